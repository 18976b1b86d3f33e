#include "pictures/PictureWidget.h"

#include <QPainter>

#include "template/BitmapImage.h"

namespace loom {
namespace {

// The decoded pixels are 0xFFRRGGBB words, as Qt's RGB32 format holds them.
QImage toImage(const BitmapImage* bitmap) {
    if (bitmap == nullptr || bitmap->width <= 0 || bitmap->height <= 0) return {};
    const QImage view(reinterpret_cast<const uchar*>(bitmap->pixels.data()), bitmap->width,
                      bitmap->height, bitmap->width * 4, QImage::Format_RGB32);
    return view.copy();
}

}  // namespace

PictureWidget::PictureWidget(const BitmapImage* bitmap, QWidget* parent)
    : QFrame(parent), image_(toImage(bitmap)) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(kEdge);
}

void PictureWidget::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (image_.isNull() || !isEnabled()) return;
    QPainter painter(this);
    // No smoothing: a stretched copy drops or repeats pixels.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(contentsRect(), image_);
}

}  // namespace loom
