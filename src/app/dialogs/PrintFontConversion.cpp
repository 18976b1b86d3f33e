#include "dialogs/PrintFontConversion.h"

#include <QFontInfo>
#include <algorithm>
#include <cmath>

#include "QtText.h"

namespace loom {

QFont fontFromDescription(const FontDescription& description) {
    QFont font(toQt(description.face));
    font.setPointSizeF(description.tenthsOfPoint / 10.0);
    // Weight 0 asks for the face's usual weight; Qt's weights start at 1.
    font.setWeight(description.weight == 0 ? QFont::Normal
                                           : static_cast<QFont::Weight>(description.weight));
    font.setItalic(description.italic);
    font.setUnderline(description.underline);
    font.setStrikeOut(description.strikeout);
    font.setStyleStrategy(QFont::PreferQuality);
    return font;
}

FontDescription descriptionOfFont(const QFont& font) {
    // A font sized in pixels has no point size of its own; the resolved one stands in.
    const double points = font.pointSizeF() > 0 ? font.pointSizeF() : QFontInfo(font).pointSizeF();
    const QString family = font.family().isEmpty() ? QFontInfo(font).family() : font.family();
    FontDescription d;
    d.italic = font.italic();
    d.underline = font.underline();
    d.strikeout = font.strikeOut();
    d.weight = std::clamp(static_cast<int>(font.weight()), FontDescription::kLowestWeight,
                          FontDescription::kHighestWeight);
    d.tenthsOfPoint = std::clamp(static_cast<int>(std::lround(points * 10)),
                                 FontDescription::kSmallestSize, FontDescription::kLargestSize);
    d.face = fromQt(family);
    return d;
}

}  // namespace loom
