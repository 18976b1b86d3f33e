#include "views/DialogBaseUnits.h"

#include <QFontMetrics>

#include <algorithm>

namespace loom {

DialogUnits dialogUnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    DialogUnits units;
    units.baseWidth = std::max(1, (letters / 26 + 1) / 2);
    units.baseHeight = std::max(1, metrics.height());
    return units;
}

}  // namespace loom
