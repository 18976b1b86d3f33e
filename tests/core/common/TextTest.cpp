#include <gtest/gtest.h>

#include <string>

#include "common/Cp1252.h"
#include "common/Messages.h"

namespace loom {
namespace {

TEST(Cp1252, EveryByteSurvivesUtf8RoundTrip) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    bool lossy = true;
    EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(all), &lossy), all);
    EXPECT_FALSE(lossy);
}

TEST(Cp1252, ConvertsSwedishLettersAndMarksUnmappable) {
    struct Case {
        std::string utf8;
        std::string cp1252;
        bool lossy;
    };
    const Case cases[] = {
        {"Åke", "\xC5ke", false},
        {"äöÄÖ€", "\xE4\xF6\xC4\xD6\x80", false},
        {"日", "?", true},
        {"\xFF", "\xFF", false},          // not UTF-8: taken as it stands
        {"\xC0\x80", "\xC0\x80", false},  // overlong zero: bytes as they stand, no NUL
        {"\xC1\x81", "\xC1\x81", false},
        {"\xED\xA0\x80", "\xED\xA0\x80", false},  // a surrogate is not a character
    };
    for (const auto& c : cases) {
        bool lossy = false;
        EXPECT_EQ(utf8ToCp1252(c.utf8, &lossy), c.cp1252) << c.utf8;
        EXPECT_EQ(lossy, c.lossy) << c.utf8;
    }
}

TEST(Cp1252, UpperCasesLatin1AndTheHighBlock) {
    EXPECT_EQ(cp1252Upper('a'), 'A');
    EXPECT_EQ(cp1252Upper('\xE5'), '\xC5');  // å
    EXPECT_EQ(cp1252Upper('\xF7'), '\xF7');  // division sign has no capital
    EXPECT_EQ(cp1252Upper('\x9A'), '\x8A');  // š
    EXPECT_EQ(cp1252Upper('\xFF'), '\x9F');  // ÿ
    EXPECT_EQ(cp1252Upper('1'), '1');
}

TEST(Messages, FormatsPlaceholdersInOrder) {
    EXPECT_EQ(substitute("100%% %s %d %u %x", {std::string_view("a"), std::int64_t{-3}}),
              "100% a -3  %x");
}

}  // namespace
}  // namespace loom
