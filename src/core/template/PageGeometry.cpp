#include "template/PageGeometry.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "template/Form.h"

namespace loom {
namespace {

constexpr int kMargin = 10;

int saturated(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, 0, std::numeric_limits<int>::max()));
}

PixelPoint clampTo(std::int64_t x, std::int64_t y, PixelPoint maximum) {
    return PixelPoint{static_cast<int>(std::clamp<std::int64_t>(x, 0, maximum.x)),
                      static_cast<int>(std::clamp<std::int64_t>(y, 0, maximum.y))};
}

}  // namespace

PixelSize PageGeometry::scrollSize(const Form* form, int page) {
    if (form == nullptr || page < 0 || page >= form->pageCount()) return {};
    const FormPage& p = form->page(page);
    return PixelSize{saturated(std::int64_t{p.extentWidth} + kMargin),
                     saturated(std::int64_t{p.extentHeight} + kMargin)};
}

PixelSize PageGeometry::pageStep(PixelSize client) {
    return PixelSize{client.width * 3 / 4, client.height * 3 / 4};
}

PixelSize PageGeometry::lineStep(PixelSize client) {
    return PixelSize{client.width / 10, client.height / 10};
}

PixelPoint PageGeometry::maximumScroll(PixelSize total, PixelSize client) {
    return PixelPoint{std::max(0, total.width - client.width),
                      std::max(0, total.height - client.height)};
}

std::optional<PixelPoint> PageGeometry::scrollIntoView(const PixelRect& control, PixelSize client,
                                                       PixelPoint position, PixelPoint maximum) {
    const std::int64_t left = control.x, top = control.y;
    const std::int64_t right = left + control.width, bottom = top + control.height;
    const bool inside = left >= 0 && top >= 0 && right <= client.width && bottom <= client.height;
    if (inside) return std::nullopt;
    const std::int64_t dx = (left + right) / 2 - client.width / 2;
    const std::int64_t dy = (top + bottom) / 2 - client.height / 2;
    return clampTo(position.x + dx, position.y + dy, maximum);
}

std::optional<PixelPoint> PageGeometry::dragScroll(PixelPoint position, PixelPoint from,
                                                   PixelPoint to, PixelPoint maximum) {
    if (maximum.x <= 0 && maximum.y <= 0) return std::nullopt;
    return clampTo(std::int64_t{position.x} + from.x - to.x,
                   std::int64_t{position.y} + from.y - to.y, maximum);
}

}  // namespace loom
