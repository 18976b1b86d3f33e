#include "eventlog/LogPageLayout.h"

#include <algorithm>

namespace loom {

int LogPageLayout::entryHeight(std::size_t lines, int boldLine, int regularLine) {
    const int others = static_cast<int>(std::max<std::size_t>(lines, 1) - 1);
    return boldLine + others * regularLine + regularLine / 2;
}

int LogPageLayout::lineOffset(std::size_t line, int boldLine, int regularLine) {
    return line == 0 ? 0 : boldLine + static_cast<int>(line - 1) * regularLine;
}

LogPageLayout::LogPageLayout(const Metrics& metrics, std::span<const std::size_t> lineCounts)
    : metrics_(metrics) {
    const int w = metrics.pageWidth;
    const int h = metrics.pageHeight;
    area_ = {w / 10, h / 20, w - w / 10, h - h / 20};

    int page = 0;
    int y = area_.top;
    placements_.reserve(lineCounts.size());
    for (const std::size_t count : lineCounts) {
        const int height = entryHeight(count, metrics.boldLine, metrics.regularLine);
        // An entry never continues on the next page; one taller than a whole page stays
        // on a page of its own rather than leaving an empty one before it.
        if (y + height > area_.bottom && y > area_.top) {
            ++page;
            y = area_.top;
        }
        std::size_t fitting = 0;
        while (fitting < count) {
            const int lineHeight = fitting == 0 ? metrics.boldLine : metrics.regularLine;
            const int lineBottom =
                y + lineOffset(fitting, metrics.boldLine, metrics.regularLine) + lineHeight;
            if (lineBottom > area_.bottom) break;
            ++fitting;
        }
        placements_.push_back({page, y, fitting});
        y += height;
    }
    pageCount_ = page + 1;
}

LogPageLayout::Rect LogPageLayout::numberBox() const {
    return {area_.left, area_.bottom, area_.right, area_.bottom + metrics_.regularLine};
}

}  // namespace loom
