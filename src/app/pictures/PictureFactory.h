#pragma once

#include <QWidget>

#include "template/BitmapLookup.h"
#include "template/FormControl.h"

namespace loom {

// The window of a picture control (a PictureWidget): a sunken frame that paints the bitmap
// that `pictures` found for the control's caption while the template was loaded (none: an
// empty frame). Opens no file. The caller places it and sets its visible and enabled state.
QWidget* createPictureWidget(BitmapLookup* pictures, const FormControl& control, QWidget* parent);

}  // namespace loom
