#pragma once

#include <QRect>
#include <vector>

#include "document/PromDocument.h"

class QPainter;

namespace loom {

// The difference markers of the page shown in the form: a small wedge pointing at each
// control whose field differs between the file and the PROM, with its right edge at the
// mark's x and its top at its y. A mark whose control is hidden is not drawn.
class DifferenceMarkers {
  public:
    static constexpr int kWidth = 7;
    static constexpr int kHeight = 15;

    void set(std::vector<DifferenceMark> marks) { marks_ = std::move(marks); }
    void clear() { marks_.clear(); }
    bool empty() const { return marks_.empty(); }
    // Where the markers are drawn now, in page pixels.
    std::vector<QRect> rects() const;
    // Onto the page surface; nothing onto a printer.
    void paint(QPainter& painter) const;
    // The artwork, filling `rect` (kWidth by kHeight).
    static void draw(QPainter& painter, const QRect& rect);

  private:
    std::vector<DifferenceMark> marks_;
};

}  // namespace loom
