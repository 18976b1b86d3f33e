#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "common/Cp1252.h"
#include "datafile/LabelTable.h"
#include "eventlog/DecodeRecord.h"
#include "fields/PromImage.h"
#include "support/HexBytes.h"
#include "template/EventTexts.h"

namespace loom {
namespace {

LogRecord recordOf(const std::string& hex) {
    LogRecord r;
    r.bytes.fill(0xFF);
    const std::vector<std::uint8_t> bytes = test::hexBytes(hex);
    for (std::size_t i = 0; i < bytes.size() && i < r.bytes.size(); ++i)
        r.bytes[i] = bytes[i];
    return r;
}

// One decoding step of event code 0x40 on a record (missing bytes FF), a PROM image and
// labels 3 "Anna" and 2 "Åsa".
struct StepCase {
    std::uint8_t tag;
    const char* parameter;   // UTF-8
    const char* record;      // hexadecimal; "+" stands for code 0x40 and six zero bytes
    const char* expected;    // UTF-8
    const char* image = "";  // "address=text|...", address hexadecimal, panel character set
};

TEST(DecodeRecord, EachStepGivesTheHandComputedText) {
    const StepCase cases[] = {
        {0x16, "Inbrott\nlarm\n", "40", "Inbrott\r\nlarm\r\n"},
        {0x17, "7", "+05 04 03 1D 02 28", "Onsdag, 29 februari 2040, 03:04.05"},
        {0x18, "9", "+00 00 C8", "200"},
        {0x19, "8:2", "+00 FF 7E", "916"},
        {0x1B, "7", "+2B 80", "Linje 2, UC 6, T 8 "},
        {0x1C, "7", "+0B 15 00", "Linje2, UC 7: SABOTAGE NÄTFEL \r\nLinje2, UC 8: SABOTAGE "},
        {0x1E, "7", "+03", "Anna"},
        {0x20, "FFFFFF:C00000", "40", ""},
        {0x21, "9, 118768, 16, 16", "+00 00 02", "Lager", "1D010=Lager"},
        {0x22, "8", "+00 FA FF FF FF FF FF FF 7F", "Område: 1: Kontor 3: [ingen text] 64: Lager",
         "1D000=Kontor  |1D020=                |1D3F0=Lager"},
        {0x25, "7", "+23 05", "Sektion 6021: Källare\nSektion 6023: [ingen text]\n",
         "14180=K\x84llare"},
        {0x27, "7", "+1A 81", "Sabotage S2311:Grind\nHotkod2318:Kod\n", "1BD00=Grind|1BD70=Kod"},
        {0x28, "7", "+23 01", "Sabotage S3041:ÄÅÖ\n", "15300=\x8E\x8F\x99"},
    };
    LabelTable labels;
    labels.set(3, "Anna");
    labels.set(2, "\xC5sa");
    for (const StepCase& c : cases) {
        EventTexts table;
        table.setCode(0x40, {{c.tag, utf8ToCp1252(c.parameter)}});
        PromImage image;
        std::istringstream texts(c.image);
        for (std::string t; std::getline(texts, t, '|');)
            image.write(static_cast<std::uint32_t>(std::stoul(t, nullptr, 16)),
                        std::vector<std::uint8_t>(t.begin() + t.find('=') + 1, t.end()));
        const std::string record = c.record;
        const DecodedRecord d = DecodeRecord(
            recordOf(record[0] == '+' ? "40 00 00 00 00 00 00 " + record.substr(1) : record), table,
            &image, labels);
        EXPECT_EQ(cp1252ToUtf8(d.text), c.expected)
            << int{c.tag} << " " << c.parameter << " @ " << c.record;
    }
}

// Whole records: the built-in codes, a table entry overriding one of them, the fallback for
// codes in neither, and the date key that follows the date shown.
TEST(DecodeRecord, RecordsGiveTheirTextAndDateKey) {
    const struct {
        const char* record;
        const char* text;  // UTF-8
        std::optional<std::uint32_t> dateKey;
    } cases[] = {{"2C 1E 2D 0E 0F 06 09 00 93 05",
                  "Larm\r\nMåndag, 15 juni 2009, 14:45.30\r\nLinje 2, MP 4, S 1 3 ", 20090615u},
                 {"2C 00 00 00 1D 02 28 00 93 00", "Larm\r\nOnsdag, 29 februari 2040, 00:00.00\r\n",
                  20400229u},
                 // 31 February carries into March.
                 {"40 00 00 0C 1F 02 09", "Larm\r\nTisdag, 3 mars 2009, 12:00.00", 20090303u},
                 {"40 05 06 07 00 03 09", "Larm\r\nOgiltigt datum: 9-3-0 7:6.5", std::nullopt},
                 {"05", "Händelsefunktion: 0x05", std::nullopt}};
    EventTexts table;
    table.setCode(0x40, {{0x16, "Larm\n"}, {0x17, "1"}});
    LabelTable labels;
    labels.set(2, "Bo");
    for (const auto& c : cases) {
        const DecodedRecord d = DecodeRecord(recordOf(c.record), table, nullptr, labels);
        EXPECT_EQ(cp1252ToUtf8(d.text), c.text) << c.record;
        EXPECT_EQ(d.dateKey, c.dateKey) << c.record;
    }
    // The table's steps run in order and override a built-in code.
    table.setCode(0x2C, {{0x16, "Eget larm\n"}, {0x18, "8"}});
    EXPECT_EQ(DecodeRecord(recordOf("2C 00 00 00 00 00 00 00 11"), table, nullptr, labels).text,
              "Eget larm\r\n17");
}

}  // namespace
}  // namespace loom
