#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/Settings.h"

namespace loom {

// A printer font as the settings "Font0" to "Font2" keep it: "I,U,S,weight,tenths,face",
// for example "N,Y,Y,700,120,Arial". Italic, underline and strikeout are "Y" or "N"
// exactly; the weight is 0 to 1000 (400 normal, 700 bold); the size is in tenths of a
// point, 10 to 720; the face is the rest of the text after the fifth comma (so it may
// hold commas) and is not empty.
struct FontDescription {
    static constexpr int kLowestWeight = 0;
    static constexpr int kHighestWeight = 1000;
    static constexpr int kSmallestSize = 10;
    static constexpr int kLargestSize = 720;

    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    int weight = 400;
    int tenthsOfPoint = 100;
    std::string face;  // code page 1252

    // Nothing when `text` breaks any of the rules above.
    static std::optional<FontDescription> parse(std::string_view text);
    // The stored form, without blanks.
    std::string format() const;

    bool operator==(const FontDescription&) const = default;
};

// The description stored for `font`, or that font's default when the stored text is
// missing or invalid.
FontDescription storedPrintFont(const Settings& settings, PrintFont font);

}  // namespace loom
