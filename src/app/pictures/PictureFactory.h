#pragma once

#include <QWidget>

#include "template/FormControl.h"

namespace loom {

// The window of a picture control: a sunken frame that paints the control's bitmap.
QWidget* createPictureWidget(const FormControl& control, QWidget* parent);

}  // namespace loom
