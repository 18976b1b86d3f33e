#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/Cp1252.h"
#include "datafile/LabelTable.h"
#include "eventlog/DecodeRecord.h"
#include "eventlog/PromText.h"
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
    const char* parameter;  // UTF-8
    const char* record;     // hexadecimal; "+" stands for code 0x40 and six zero bytes
    const char* expected;   // UTF-8
    bool useImage = true;
    const char* image = "";  // "address=text|...", address hexadecimal, panel character set
};

TEST(DecodeRecord, EachStepGivesTheHandComputedText) {
    const StepCase cases[] = {
        {0x16, "Inbrott\nlarm\n", "40", "Inbrott\r\nlarm\r\n"},
        {0x17, "7", "+05 04 03 1D 02 28", "Onsdag, 29 februari 2040, 03:04.05"},
        {0x17, "1", "40 05 06 07 01 0D 09", "Ogiltigt datum: 9-13-1 7:6.5"},
        {0x18, "9", "+00 00 C8", "200"},
        {0x19, "8", "+00 FC", "12"},
        {0x19, "8:2", "+00 FF 7E", "916"},
        {0x1A, "7", "+45 10", "Linje2 MP  6"},
        {0x1A, "99999999999", "40", "Linje4 MP  16"},
        {0x1B, "7", "+95 05", "Linje 2, UC 6, S 1 3 "},
        {0x1B, "7", "+2B 80", "Linje 2, UC 6, T 8 "},
        {0x1C, "7", "+0B 15 00", "Linje2, UC 7: SABOTAGE NÄTFEL \r\nLinje2, UC 8: SABOTAGE "},
        {0x1C, "7", "+0B 80 01", "Linje3, MP 8: BATTERIFEL "},
        {0x1E, "7", "+03", "Anna"},
        {0x20, "FFFFFF:C00000", "40", ""},
        {0x21, "9, 118768, 16, 16", "+00 00 02", "Lager", true, "1D010=Lager"},
        {0x21, "9 118768 16 99", "+00 00 02", "0123456789ABCDEF", true, "1D010=0123456789ABCDEFGH"},
        {0x21, "9, 118768, 16, 16", "40", "", false},
        {0x22, "8", "+00 FA FF FF FF FF FF FF 7F", "Område: 1: Kontor 3: [ingen text] 64: Lager",
         true, "1D000=Kontor  |1D020=                |1D3F0=Lager"},
        {0x22, "8", "+00 FA FF FF FF FF FF FF 7F", "Område: 1:  3:  64:", false},
        {0x23, "", "40", "logLarm200()"},
        {0x24, "9, 2, Öppen", "+00 00 02", "Öppen"},
        {0x25, "7", "+23 05", "Sektion 6021: Källare\nSektion 6023: [ingen text]\n", true,
         "14180=K\x84llare"},
        {0x25, "7", "+9A 80", "Sabotage S2118: Dörr\n", true, "14A70=D\x94rr"},
        {0x26, "7", "+00 04", "Nätfel Centralapparat T1413"},
        {0x26, "7", "+12 41", "Sabotagekontakt Nyinkoppling ManöverPanel Linje2 MP3 S2637"},
        {0x27, "7", "+1A 81", "Sabotage S2311:Grind\nHotkod2318:Kod\n", true,
         "1BD00=Grind|1BD70=Kod"},
        {0x28, "7", "+23 01", "Sabotage S3041:Lock\n", true, "15300=Lock"},
        {0x29, "7", "+35 40", "Sabotage S4267:Skåp\n", true, "1CAE0=Sk\x86p"},
    };
    LabelTable labels;
    labels.set(3, "Anna");
    labels.set(2, "\xC5sa");
    for (const StepCase& c : cases) {
        EventTexts table;
        table.setCode(0x40, {{c.tag, utf8ToCp1252(c.parameter)}});
        PromImage image;
        const std::string texts = c.image;
        for (std::size_t at = 0, end; at < texts.size(); at = end + 1) {
            end = std::min(texts.find('|', at), texts.size());
            const std::size_t eq = texts.find('=', at);
            image.write(
                static_cast<std::uint32_t>(std::stoul(texts.substr(at, eq - at), nullptr, 16)),
                std::vector<std::uint8_t>(texts.begin() + static_cast<long>(eq) + 1,
                                          texts.begin() + static_cast<long>(end)));
        }
        const std::string record = c.record;
        const DecodedRecord d = DecodeRecord(
            recordOf(record[0] == '+' ? "40 00 00 00 00 00 00 " + record.substr(1) : record), table,
            c.useImage ? &image : nullptr, labels);
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
                 {"2B 1E 2D 0E 0F 06 09 00 21 02 00 00 93 05 FF 00",
                  "Aut. bortk. av sektion\r\nMåndag, 15 juni 2009, 14:45.30\r\nLinje 3, MP 2, G 2 "
                  "\r\n\r\nLinje 2, MP 4, S 1 3 \r\n",
                  20090615u},
                 {"2C 00 00 00 1D 02 28 00 93 00", "Larm\r\nOnsdag, 29 februari 2040, 00:00.00\r\n",
                  20400229u},
                 // 31 February carries into March.
                 {"40 00 00 0C 1F 02 09", "Larm\r\nTisdag, 3 mars 2009, 12:00.00", 20090303u},
                 {"40 05 06 07 00 03 09", "Larm\r\nOgiltigt datum: 9-3-0 7:6.5", std::nullopt},
                 {"05", "Händelsefunktion: 0x05", std::nullopt},
                 {"FF", "Händelsefunktion: 0xFF", std::nullopt}};
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

TEST(PromText, DisplayMapsTheSwedishLettersAndTrims) {
    const std::pair<std::string, const char*> cases[] = {// panel character set, UTF-8
                                                         {"\x84\x86\x8E\x8F\x94\x99", "äåÄÅöÖ"},
                                                         {std::string(16, ' '), "[ingen text]"},
                                                         {"", "[ingen text]"},
                                                         {std::string("Port\0xyz", 8), "Port"},
                                                         {"\xE9t\x81", "ét\xC2\x81"}};
    for (const auto& [text, expected] : cases) {
        const std::vector<std::uint8_t> bytes(text.begin(), text.end());
        EXPECT_EQ(cp1252ToUtf8(PromTextToDisplay(bytes)), expected) << expected;
    }
}

}  // namespace
}  // namespace loom
