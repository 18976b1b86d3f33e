#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/FontDescription.h"

namespace loom {
namespace {

// Accepted texts parse and format back unchanged; the rest are refused.
TEST(FontDescription, ParsesOnlyWhatTheRulesAllowAndWritesItBackUnchanged) {
    const auto font = [](bool i, bool u, bool s, int weight, int size, std::string face) {
        return std::optional(FontDescription{i, u, s, weight, size, std::move(face)});
    };
    const std::pair<std::string, std::optional<FontDescription>> cases[] = {
        {"N,Y,Y,700,120,Arial", font(false, true, true, 700, 120, "Arial")},
        {"Y,N,N,1000,720,Times New Roman", font(true, false, false, 1000, 720, "Times New Roman")},
        {"N,N,N,400,90,Face, with,commas,",
         font(false, false, false, 400, 90, "Face, with,commas,")},
    };
    for (const auto& [text, parsed] : cases) {
        EXPECT_EQ(FontDescription::parse(text), parsed) << text;
        EXPECT_EQ(parsed->format(), text);
    }
    for (const char* text : {"N,N,N,400,9,Arial", "N,N,N,400,721,Arial", "N,N,N,1001,100,Arial",
                             "N,N,N,99999999999,100,Arial", "y,N,N,400,100,Arial",
                             "N,N,N,+400,100,Arial", "N,N,N,400,100,", "N,N,N,400,100"})
        EXPECT_EQ(FontDescription::parse(text), std::nullopt) << text;
    EXPECT_EQ(FontDescription::parse("N,N,N,-0,100,Arial")->weight, 0);  // "-0" is zero
}

}  // namespace
}  // namespace loom
