#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/FontDescription.h"

namespace loom {
namespace {

TEST(FontDescription, ParsesOnlyWhatTheRulesAllowAndWritesItBackUnchanged) {
    struct Case {
        std::string text;
        std::optional<FontDescription> parsed;
    };
    const auto font = [](bool i, bool u, bool s, int weight, int size, std::string face) {
        return std::optional(FontDescription{i, u, s, weight, size, std::move(face)});
    };
    const Case cases[] = {
        {"N,Y,Y,700,120,Arial", font(false, true, true, 700, 120, "Arial")},
        {"Y,N,N,1000,10,Arial", font(true, false, false, 1000, 10, "Arial")},
        {"N,N,Y,0,720,Times New Roman", font(false, false, true, 0, 720, "Times New Roman")},
        {"N,N,N,400,90,Face, with,commas,",
         font(false, false, false, 400, 90, "Face, with,commas,")},
        {"N,N,N,400,9,Arial", std::nullopt},
        {"N,N,N,400,721,Arial", std::nullopt},
        {"N,N,N,1001,100,Arial", std::nullopt},
        {"N,N,N,99999999999,100,Arial", std::nullopt},
        {"y,N,N,400,100,Arial", std::nullopt},
        {"N, N,N,400,100,Arial", std::nullopt},
        {"N,N,N,+400,100,Arial", std::nullopt},
        {"N,N,N,-,100,Arial", std::nullopt},
        {"N,N,N,400,100,", std::nullopt},
        {"N,N,N,400,100", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FontDescription::parse(c.text), c.parsed) << c.text;
        if (c.parsed) {
            EXPECT_EQ(c.parsed->format(), c.text);
        }
    }
    // A leading minus is a sign: "-0" is zero.
    EXPECT_EQ(FontDescription::parse("N,N,N,-0,100,Arial")->weight, 0);
    EXPECT_EQ((FontDescription{true, false, false, 700, 140, "Arial"}.format()),
              "Y,N,N,700,140,Arial");
}

TEST(FontDescription, MissingOrInvalidStoredFontsFallBackToTheirOwnDefaults) {
    MemorySettingsStore store;
    Settings settings(store);
    EXPECT_EQ(storedPrintFont(settings, PrintFont::Heading),
              (FontDescription{false, true, true, 700, 120, "Arial"}));
    EXPECT_EQ(storedPrintFont(settings, PrintFont::Text),
              (FontDescription{false, false, false, 400, 90, "Arial"}));

    settings.setPrintFont(PrintFont::Subheading, "y,N,N,400,100,Courier");
    EXPECT_EQ(storedPrintFont(settings, PrintFont::Subheading),
              (FontDescription{true, false, false, 400, 100, "Arial"}));
    // The invalid text stays until a font is chosen.
    EXPECT_EQ(store.readString("", "Font1", ""), "y,N,N,400,100,Courier");

    settings.setPrintFont(PrintFont::Text, "N,N,N,400,100,Courier");
    EXPECT_EQ(storedPrintFont(settings, PrintFont::Text).face, "Courier");
    EXPECT_EQ(storedPrintFont(settings, PrintFont::Heading).face, "Arial");
}

}  // namespace
}  // namespace loom
