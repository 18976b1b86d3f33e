#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace loom {

// Where the printed event log puts its entries: one bold line, the others regular, half a
// regular line after each entry, whole entries only on a page. Everything in the device's
// units (pixels of the printer or the PDF page); the painter only draws what this decides.
class LogPageLayout {
  public:
    struct Metrics {
        int pageWidth = 0;
        int pageHeight = 0;
        int boldLine = 0;     // line height of the first line's font
        int regularLine = 0;  // line height of the other lines' font
    };
    struct Rect {
        int left = 0;
        int top = 0;
        int right = 0;
        int bottom = 0;
        bool operator==(const Rect&) const = default;
    };
    struct Placement {
        int page = 0;  // from 0
        int y = 0;     // top of the entry's first line
        // Lines drawn: all of them, unless the entry is taller than a page and is cut at
        // the bottom margin.
        std::size_t lines = 0;
        bool operator==(const Placement&) const = default;
    };

    // `lineCounts`: the shown entries' numbers of lines, in list order.
    LogPageLayout(const Metrics& metrics, std::span<const std::size_t> lineCounts);

    // A tenth of the width left and right, a twentieth of the height above and below.
    const Rect& area() const { return area_; }
    const std::vector<Placement>& placements() const { return placements_; }
    // At least 1: the first page is begun before any entry.
    int pageCount() const { return pageCount_; }
    // The page number is centred in this box: between the margins, its top on the bottom
    // margin line, one regular line high.
    Rect numberBox() const;
    static std::string pageNumber(int page) { return std::to_string(page + 1); }

    // One bold line, (lines - 1) regular ones and half a regular line; an entry without
    // text is as high as one of a single line. The list on screen uses the same.
    static int entryHeight(std::size_t lines, int boldLine, int regularLine);
    // Top of line `line` (from 0) below the entry's top.
    static int lineOffset(std::size_t line, int boldLine, int regularLine);

  private:
    Metrics metrics_;
    Rect area_;
    std::vector<Placement> placements_;
    int pageCount_ = 1;
};

}  // namespace loom
