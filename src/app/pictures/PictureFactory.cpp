#include "pictures/PictureFactory.h"

#include <QFrame>

namespace loom {

QWidget* createPictureWidget(BitmapLookup*, const FormControl&, QWidget* parent) {
    auto* frame = new QFrame(parent);
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return frame;
}

}  // namespace loom
