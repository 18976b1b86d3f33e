#include "template/FormPrintLayout.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace loom {
namespace {

using Op = FormPrintLayout::Op;

int clampInt(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min() / 2,
                                                     std::numeric_limits<int>::max() / 2));
}

int scaled(int v, int percent) {
    return clampInt(std::int64_t{v} * percent / 100);
}

Op text(EdgeRect r, int font, std::string s, bool wrap = false) {
    Op op;
    op.kind = Op::Kind::Text;
    op.rect = r;
    op.font = font;
    op.text = std::move(s);
    op.wrap = wrap;
    return op;
}

Op shape(Op::Kind kind, EdgeRect r, bool filled = false) {
    Op op;
    op.kind = kind;
    op.rect = r;
    op.filled = filled;
    return op;
}

// A group box: the frame begins half a line down, the caption stands over its top line.
void groupFrame(std::vector<Op>& ops, EdgeRect r, int font, int line, const std::string& caption) {
    ops.push_back(shape(Op::Kind::Frame, {r.left, r.top + line / 2, r.right, r.bottom}));
    ops.push_back(text(r, font, caption));
}

// The shapes and texts of one item at its mapped rectangle, L being the line height.
void drawItem(std::vector<Op>& ops, const PrintItem& item, EdgeRect r, int font, int L) {
    switch (item.kind) {
        case PrintItem::Frame:
            groupFrame(ops, r, font, L, item.text);
            break;
        case PrintItem::Edit: {
            int d = (r.bottom - r.top - L) / 2;
            if (d > L) d = L / 4;
            ops.push_back(text({r.left + L / 2, r.top + d, r.right + L / 2, r.bottom + d}, font,
                               item.text, true));
            ops.push_back(shape(Op::Kind::Frame, r));
            break;
        }
        case PrintItem::Option:
            ops.push_back(shape(Op::Kind::Circle,
                                {r.left, r.top + L / 4, r.left + L / 2, r.top + 3 * L / 4},
                                item.on));
            ops.push_back(text({r.left + L, r.top, r.right, r.bottom}, font, item.text));
            break;
        case PrintItem::CheckBox:
            ops.push_back(shape(Op::Kind::Square, {r.left, r.top, r.left + L, r.top + L}));
            if (item.on)
                ops.push_back(shape(
                    Op::Kind::Square,
                    {r.left + L / 4, r.top + L / 4, r.left + L - L / 4, r.top + L - L / 4}, true));
            ops.push_back(text({r.left + 3 * L / 2, r.top, r.right, r.bottom}, font, item.text));
            break;
        case PrintItem::Choice:
            ops.push_back(
                text({r.left + L / 2, r.top + L / 4, r.right, r.top + 3 * L / 2}, font, item.text));
            ops.push_back(shape(Op::Kind::Frame, {r.left, r.top, r.right, r.top + 3 * L / 2}));
            break;
        default:
            ops.push_back(text(r, font, item.text));
            break;
    }
}

}  // namespace

FormPrintLayout::FormPrintLayout(const Input& input) : input_(input) {
    margin_ = clampInt(std::int64_t{7} * input_.fonts[0].width);
    usableWidth_ = input_.printerWidth - margin_;
    const int count = static_cast<int>(input_.pages.size());
    int next = std::clamp(input_.first, 0, count);
    const int end = std::clamp(input_.end, next, count);
    bool infoDone = false;
    while (next < end) {
        Sheet sheet;
        int x = 0, y = 0, rowBottom = 0;
        if (!infoDone) {
            y = placeFileInfo(sheet) + kGap;
            sheet.fileInfo = infoDone = true;
        }
        for (; next < end; ++next) {
            const PrintPage& page = input_.pages[static_cast<std::size_t>(next)];
            const Scale scale = scaleFor(page.width, page.height);
            const int w = scaled(page.width, scale.sx), h = scaled(page.height, scale.sy);
            // A new row only below something: a page wider than the sheet keeps its row.
            if (x > 0 && x + w > usableWidth_) {
                x = 0;
                y = rowBottom + kGap;
            }
            // Full: the page begins the next sheet, where it stands at the top alone if
            // need be (cut at the edge when even that is too small).
            if (y + h > input_.printerHeight && y != 0) break;
            placePage(sheet, next, page, scale, x, y);
            x += w + kGap;
            rowBottom = std::max(rowBottom, y + h);
        }
        sheets_.push_back(std::move(sheet));
    }
}

FormPrintLayout::Scale FormPrintLayout::scaleOf(int font) const {
    const CharMetrics& f = input_.fonts[static_cast<std::size_t>(font)];
    // A screen metric of 0 (no font measured) counts as 1 rather than dividing by it.
    const int sw = std::max(1, input_.screen.width), sh = std::max(1, input_.screen.height);
    return Scale{font, clampInt(std::int64_t{f.width} * 100 / sw),
                 clampInt(std::int64_t{f.height} * 100 / sh)};
}

FormPrintLayout::Scale FormPrintLayout::scaleFor(int w, int h) const {
    for (int font = 0; font < 2; ++font) {
        const Scale s = scaleOf(font);
        if (scaled(w, s.sx) < usableWidth_ && scaled(h, s.sy) < input_.printerHeight) return s;
    }
    return scaleOf(2);
}

int FormPrintLayout::placeFileInfo(Sheet& sheet) const {
    const int L = input_.fonts[0].height;
    const int px = margin_ / 3, py = margin_ / 5;
    int widest = 0;
    int top = py + L;
    for (const InfoLine& line : input_.fileInfo) {
        sheet.ops.push_back(
            text({margin_ + px, top, margin_ + px + line.width, top + L}, 0, line.text));
        widest = std::max(widest, line.width);
        top += L;
    }
    const int bottom = top + py;
    groupFrame(sheet.ops, {margin_, 0, margin_ + px + widest + px, bottom}, 0, L, input_.infoTitle);
    return bottom;
}

void FormPrintLayout::placePage(Sheet& sheet, int index, const PrintPage& page, const Scale& scale,
                                int x, int y) const {
    const int L = input_.fonts[static_cast<std::size_t>(scale.font)].height;
    const int left = margin_ + x;
    const EdgeRect frame{left, y, left + scaled(page.width, scale.sx),
                         y + scaled(page.height, scale.sy)};
    sheet.pages.push_back({index, frame, scale.font, L});
    sheet.ops.push_back(shape(Op::Kind::Frame, frame));
    for (const PrintItem& item : page.items) {
        const EdgeRect r{
            scaled(item.rect.left, scale.sx) + left, scaled(item.rect.top, scale.sy) + y,
            scaled(item.rect.right, scale.sx) + left, scaled(item.rect.bottom, scale.sy) + y};
        drawItem(sheet.ops, item, r, scale.font, L);
    }
}

}  // namespace loom
