#pragma once

#include <optional>

#include "template/FormControl.h"

namespace loom {

class Form;

struct PixelSize {
    int width = 0, height = 0;
    bool operator==(const PixelSize&) const = default;
};

struct PixelPoint {
    int x = 0, y = 0;
    bool operator==(const PixelPoint&) const = default;
};

// The arithmetic of the scrolling surface that shows a page, in pixels.
class PageGeometry {
  public:
    // The page's extent plus a margin of 10 on each axis; nothing without a form or for a
    // page it does not have.
    static PixelSize scrollSize(const Form* form, int page);
    // A page step is three quarters of the client area, a line step a tenth.
    static PixelSize pageStep(PixelSize client);
    static PixelSize lineStep(PixelSize client);
    // The largest scroll position: what does not fit, never negative.
    static PixelPoint maximumScroll(PixelSize total, PixelSize client);

    // After Tab: nothing when `control` (in client coordinates) lies wholly in the client
    // area; else the position that centres it there, kept within 0 ... `maximum`.
    static std::optional<PixelPoint> scrollIntoView(const PixelRect& control, PixelSize client,
                                                    PixelPoint position, PixelPoint maximum);
    // Dragging from `from` to `to`: the content follows the mouse, within 0 ... `maximum`;
    // nothing when the page fits in both directions.
    static std::optional<PixelPoint> dragScroll(PixelPoint position, PixelPoint from, PixelPoint to,
                                                PixelPoint maximum);
};

}  // namespace loom
