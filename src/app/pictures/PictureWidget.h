#pragma once

#include <QFrame>
#include <QImage>

namespace loom {

struct BitmapImage;

// The window of a picture control: a static with a sunken client edge that paints its
// whole bitmap stretched over the client area while it is enabled. Rows and columns are
// dropped or repeated, never blended, as a stretched copy of the bitmap does. Disabled,
// or without a bitmap, it shows only the background.
class PictureWidget final : public QFrame {
    Q_OBJECT

  public:
    // Edge width in pixels on every side, as the template reader adds it to the size.
    static constexpr int kEdge = 2;

    // `bitmap` may be null; the widget keeps its own copy of the pixels.
    PictureWidget(const BitmapImage* bitmap, QWidget* parent = nullptr);

    bool hasPicture() const { return !image_.isNull(); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage image_;
};

}  // namespace loom
