#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fields/ValueCodec.h"
#include "fields/ValueScale.h"
#include "support/HexBytes.h"

namespace loom {
namespace {

using test::hexBytes;
using test::hexString;
using R = CodecResult;

struct ParseCase {
    unsigned type;
    std::uint32_t bits;
    std::string text;  // code page 1252
    R result;
    std::string bytes;  // checked on Ok only
};

TEST(ValueCodec, ParsesEachTypeIntoFieldBits) {
    const ParseCase cases[] = {
        {0, 4, "17", R::Ok, "01"},  // only the low 4 bits are kept
        {0, 16, "300", R::Ok, "2C 01"},
        {0, 32, "4294967295", R::Ok, "FF FF FF FF"},
        {0, 32, "4294967300", R::DoesNotFit, ""},  // 429496730 before the last digit
        {0, 32, "4294967296", R::DoesNotFit, ""},  // would wrap to 0: refused
        {0, 8, "1a", R::BadCharacter, ""},
        {0, 48, "4294967295", R::Ok, "FF FF FF FF 00 00"},  // wide: low 32 bits only
        {1, 12, "FFF", R::Ok, "FF 0F"},
        {1, 16, "aB1", R::Ok, "B1 0A"},
        {1, 12, "1000", R::DoesNotFit, ""},
        {1, 10, "1", R::DoesNotFit, ""},
        {2, 16, "12", R::Ok, "12 FF"},
        {3, 16, "1234", R::Ok, "12 34"},
        {7, 24, "9", R::Ok, "9F FF FF"},
        {2, 8, "123", R::DoesNotFit, ""},
        {4, 8, "101", R::Ok, "05"},
        {4, 8, "111111111", R::DoesNotFit, ""},
        {8, 12, "100000000001", R::Ok, "01 08"},
        {5, 32, "\xC5ke", R::Ok, "8F 6B 65 20"},
        {5, 16, "abc", R::DoesNotFit, ""},
        {5, 33, "A", R::DoesNotFit, ""},
        {6, 8, "16", R::Ok, "01"},
        {6, 8, "60", R::Ok, "04"},  // midway between 50 and 70
        {6, 8, "99999", R::Ok, "F5"},
        {6, 8, "99999999999999999999999", R::Ok, "FF"},  // no overflow result
        {9, 8, "1", R::Ok, "00"},
        {10, 8, "1", R::BadCharacter, ""},
    };
    for (const auto& c : cases) {
        std::vector<std::uint8_t> bytes{0xAA};
        const R r = parseValue(c.type, c.text, c.bits, bytes);
        SCOPED_TRACE("type " + std::to_string(c.type) + " size " + std::to_string(c.bits) +
                     " text '" + c.text + "'");
        EXPECT_EQ(r, c.result);
        if (r == R::Ok) {
            EXPECT_EQ(hexString(bytes), c.bytes);
        }
    }
}

struct FormatCase {
    unsigned type;
    std::uint32_t bits;
    std::string bytes;
    R result;
    std::string text;  // code page 1252, checked on Ok only
};

TEST(ValueCodec, FormatsEachTypeFromFieldBits) {
    const FormatCase cases[] = {
        {0, 4, "01", R::Ok, "1"},
        {0, 4, "F1", R::Ok, "1"},  // bits above the size are not the field's
        {0, 32, "FF FF FF FF", R::Ok, "4294967295"},
        {0, 64, "FF FF FF FF FF FF FF FF", R::Ok, "18446744073709551615"},
        {1, 12, "0A 00", R::Ok, "A"},
        {2, 16, "12 FF", R::Ok, "12"},
        {3, 16, "1A 2F", R::Ok, "1A2"},
        {3, 16, "F1 FF", R::Ok, "F1"},  // only trailing F goes
        {4, 8, "05", R::Ok, "101"},
        {5, 32, "8F 6B 65 20", R::Ok, "\xC5ke"},
        {5, 32, "41 FF FF FF", R::Ok, "A\xFF\xFF\xFF"},  // only all-0xFF is empty
        {5, 40, "41 42 00 43 44", R::Ok, "AB"},
        {5, 32, "41 20 09 20", R::Ok, "A"},
        {5, 33, "41 41 41 41 00", R::DoesNotFit, ""},
        {6, 8, "01", R::Ok, "15"},
        {6, 8, "F5", R::Ok, "99999"},
        {7, 16, "12 34", R::Ok, ""},
        {9, 8, "00", R::Ok, "1"},
        {9, 32, "FF FF FF FF", R::Ok, "4294967296"},  // exact, no 32-bit wrap
        {10, 8, "00", R::BadCharacter, ""},
    };
    for (const auto& c : cases) {
        const auto bytes = hexBytes(c.bytes);
        std::string text = "unchanged";
        const R r = formatValue(c.type, bytes, c.bits, text);
        SCOPED_TRACE("type " + std::to_string(c.type) + " size " + std::to_string(c.bits) +
                     " bytes " + c.bytes);
        EXPECT_EQ(r, c.result);
        if (r == R::Ok) {
            EXPECT_EQ(text, c.text);
        }
    }
}

TEST(ValueCodec, WideNumbersFormatExactlyAtAnyWidth) {
    // 2^200 - 1 needs the long division; 2^100 checks the limb boundaries.
    std::vector<std::uint8_t> ones(25, 0xFF), pow100(13, 0);
    pow100[12] = 0x10;
    const struct {
        unsigned type, bits;
        const std::vector<std::uint8_t>& bytes;
        const char* text;
    } cases[] = {{0, 200, ones, "1606938044258990275541962092341162602522202993782792835301375"},
                 {9, 200, ones, "1606938044258990275541962092341162602522202993782792835301376"},
                 {0, 101, pow100, "1267650600228229401496703205376"},
                 {0, 100, pow100, "0"}};  // bit 100 is outside the field
    for (const auto& c : cases) {
        std::string text;
        ASSERT_EQ(formatValue(c.type, c.bytes, c.bits, text), R::Ok);
        EXPECT_EQ(text, c.text) << c.bits;
    }
}

TEST(ValueScale, NearestEntryTiesGoUpAndOverflowGivesTheLast) {
    const struct {
        std::uint64_t v;
        unsigned index;
    } cases[] = {
        {0, 0},       {7, 0},       {8, 1},        {16, 1},
        {23, 2},      {60, 4},      {92300, 244},  {96149, 244},
        {96150, 245}, {99999, 245}, {100000, 255}, {~std::uint64_t{0}, 255},
    };
    for (const auto& c : cases)
        EXPECT_EQ(nearestScaleIndex(c.v), c.index) << c.v;
}

}  // namespace
}  // namespace loom
