#pragma once

#include <QWidget>

#include "template/BitmapLookup.h"
#include "template/FormControl.h"

namespace loom {

// The window of a picture control: a sunken frame that paints the control's bitmap,
// found through `pictures` (none: an empty frame).
QWidget* createPictureWidget(BitmapLookup* pictures, const FormControl& control,
                             QWidget* parent);

}  // namespace loom
