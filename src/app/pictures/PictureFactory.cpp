#include "pictures/PictureFactory.h"

#include "QtText.h"
#include "pictures/PictureWidget.h"

namespace loom {

QWidget* createPictureWidget(BitmapLookup* pictures, const FormControl& control, QWidget* parent) {
    const BitmapImage* bitmap = pictures != nullptr ? pictures->image(control.caption) : nullptr;
    auto* widget = new PictureWidget(bitmap, parent);
    widget->setAccessibleName(toQt(control.caption));
    return widget;
}

}  // namespace loom
