#pragma once

#include <QFont>

#include "platform/FontDescription.h"

namespace loom {

// Between a stored printer font description and a QFont. The size is a point size, so a
// painter on a printer scales it to the printer's resolution.
QFont fontFromDescription(const FontDescription& description);
// The description of a font chosen by the user, with its weight and size brought into
// the ranges a description takes, so that what is stored is read back as chosen.
FontDescription descriptionOfFont(const QFont& font);

}  // namespace loom
