#pragma once

#include <QIcon>
#include <QPixmap>

#include "document/CommandTable.h"

namespace loom {

// The toolbar's pictures, drawn (18 x 18), and the program's own picture; a null icon for
// a command without one.
QIcon commandIcon(CommandId id);
QPixmap programPicture(int size);

}  // namespace loom
