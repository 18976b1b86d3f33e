#include "views/DifferenceMarkers.h"

#include <QPaintEngine>
#include <QPainter>
#include <QPolygonF>

namespace loom {

std::vector<QRect> DifferenceMarkers::rects() const {
    std::vector<QRect> out;
    for (const DifferenceMark& m : marks_)
        if (m.control != nullptr && m.control->visible)
            out.emplace_back(m.x - kWidth, m.y, kWidth, kHeight);
    return out;
}

void DifferenceMarkers::paint(QPainter& painter) const {
    if (marks_.empty()) return;
    // A printed form carries no markers.
    const QPaintEngine* engine = painter.paintEngine();
    if (engine != nullptr && engine->type() == QPaintEngine::Pdf) return;
    for (const QRect& r : rects())
        draw(painter, r);
}

void DifferenceMarkers::draw(QPainter& painter, const QRect& r) {
    // A flag with its point towards the control: orange with a dark outline, readable on
    // the button-face background in light and dark palettes alike.
    const qreal left = r.left() + 0.5;
    const qreal right = r.left() + r.width() - 0.5;
    const qreal top = r.top() + 0.5;
    const qreal bottom = r.top() + r.height() - 0.5;
    const qreal shoulder = left + (right - left) / 2;
    const qreal middle = (top + bottom) / 2;
    const QPolygonF wedge(
        {{left, top}, {shoulder, top}, {right, middle}, {shoulder, bottom}, {left, bottom}});
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(QColor(0x6b, 0x1d, 0x0c), 1.0));
    painter.setBrush(QColor(0xf0, 0x6a, 0x1e));
    painter.drawPolygon(wedge);
    painter.restore();
}

}  // namespace loom
