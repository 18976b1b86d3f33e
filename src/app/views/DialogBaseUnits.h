#pragma once

#include <QFont>

#include "template/DialogUnits.h"

namespace loom {

// The dialog base units of a font, as templates expect them: the average width of the
// letters A-Z and a-z, rounded, and the font's line height. Templates give rectangles in
// quarters of the width and eighths of the height; the frame hands these units to the
// document before a template is read.
DialogUnits dialogUnitsOf(const QFont& font);

}  // namespace loom
