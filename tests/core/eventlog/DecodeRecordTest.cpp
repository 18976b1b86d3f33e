#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "common/Cp1252.h"
#include "datafile/LabelTable.h"
#include "eventlog/DecodeRecord.h"
#include "fields/PromImage.h"
#include "support/HexBytes.h"
#include "template/EventTexts.h"

namespace loom {
namespace {

LogRecord recordOf(const char* hex) {
    LogRecord r;
    r.bytes.fill(0xFF);
    const std::vector<std::uint8_t> bytes = test::hexBytes(hex);
    for (std::size_t i = 0; i < bytes.size() && i < r.bytes.size(); ++i)
        r.bytes[i] = bytes[i];
    return r;
}

void writeText(PromImage& image, std::uint32_t address, const std::string& promBytes) {
    image.write(address, std::vector<std::uint8_t>(promBytes.begin(), promBytes.end()));
}

// One decoding step of event code 0x40, on a record and a PROM image.
struct StepCase {
    const char* name;
    std::uint8_t tag;
    const char* parameter;                                     // UTF-8
    const char* record;                                        // hexadecimal, missing bytes FF
    std::vector<std::pair<std::uint32_t, std::string>> image;  // PROM bytes, panel charset
    const char* expected;                                      // UTF-8
    bool useImage = true;
};

class DecodeStep : public ::testing::TestWithParam<StepCase> {};

TEST_P(DecodeStep, GivesTheHandComputedText) {
    const StepCase& c = GetParam();
    EventTexts table;
    table.setCode(0x40, {{c.tag, utf8ToCp1252(c.parameter)}});
    PromImage image;
    for (const auto& [address, bytes] : c.image)
        writeText(image, address, bytes);
    LabelTable labels;
    labels.set(3, "Anna");
    labels.set(2, "\xC5sa");
    const DecodedRecord d =
        DecodeRecord(recordOf(c.record), table, c.useImage ? &image : nullptr, labels);
    EXPECT_EQ(cp1252ToUtf8(d.text), c.expected);
}

const char* const kDate15June2009 = "40 1E 2D 0E 0F 06 09";

INSTANTIATE_TEST_SUITE_P(
    Tags, DecodeStep,
    ::testing::Values(
        StepCase{"TextLineFeeds", 0x16, "Inbrott\nlarm\n", "40", {}, "Inbrott\r\nlarm\r\n"},
        StepCase{"Date", 0x17, "1", kDate15June2009, {}, "Måndag, 15 juni 2009, 14:45.30"},
        StepCase{"DateAtOtherOffset",
                 0x17,
                 "7",
                 "40 00 00 00 00 00 00 05 04 03 1D 02 28",
                 {},
                 "Onsdag, 29 februari 2040, 03:04.05"},
        StepCase{
            "DateDayZero", 0x17, "1", "40 05 06 07 00 03 09", {}, "Ogiltigt datum: 9-3-0 7:6.5"},
        StepCase{
            "DateMonth13", 0x17, "1", "40 05 06 07 01 0D 09", {}, "Ogiltigt datum: 9-13-1 7:6.5"},
        StepCase{
            "DateSecond60", 0x17, "1", "40 3C 00 00 01 01 09", {}, "Ogiltigt datum: 9-1-1 0:0.60"},
        StepCase{
            "DateHour24", 0x17, "1", "40 00 00 18 01 01 09", {}, "Ogiltigt datum: 9-1-1 24:0.0"},
        StepCase{"February31CarriesOver",
                 0x17,
                 "1",
                 "40 00 00 0C 1F 02 09",
                 {},
                 "Tisdag, 3 mars 2009, 12:00.00"},
        StepCase{"DatePastRecordReadsErased",
                 0x17,
                 "11",
                 "40",
                 {},
                 "Ogiltigt datum: 255-255-255 255:255.255"},
        StepCase{"Byte", 0x18, "9", "40 00 00 00 00 00 00 00 00 C8", {}, "200"},
        StepCase{"BytePastRecord", 0x18, "16", "40", {}, "255"},
        StepCase{"ByteBadParameterIsOffset0", 0x18, "9 ", "40", {}, "64"},
        StepCase{"ZeroBitsOneAndTwo", 0x19, "8", "40 00 00 00 00 00 00 00 FC", {}, "12"},
        StepCase{"ZeroBitsTwoBytes", 0x19, "8:2", "40 00 00 00 00 00 00 00 FF 7E", {}, "916"},
        StepCase{"ZeroBitsPastRecord",
                 0x19,
                 "15:9",
                 "40 00 00 00 00 00 00 00 00 00 00 00 00 00 00 FE",
                 {},
                 "1"},
        StepCase{"LineUnitPanel", 0x1A, "7", "40 00 00 00 00 00 00 45 10", {}, "Linje2 MP  6"},
        StepCase{"LineUnitCentral", 0x1A, "7", "40 00 00 00 00 00 00 45 00", {}, "Linje2 UC  6"},
        StepCase{"LineUnitPastRecord", 0x1A, "99999999999", "40", {}, "Linje4 MP  16"},
        StepCase{"SectionLocationTamper",
                 0x1B,
                 "7",
                 "40 00 00 00 00 00 00 95 05",
                 {},
                 "Linje 2, UC 6, S 1 3 "},
        StepCase{
            "SectionLocationT", 0x1B, "7", "40 00 00 00 00 00 00 2B 80", {}, "Linje 2, UC 6, T 8 "},
        StepCase{
            "SectionLocationG", 0x1B, "7", "40 00 00 00 00 00 00 2A 01", {}, "Linje 2, UC 6, G 1 "},
        StepCase{"SectionLocationNoBits", 0x1B, "7", "40 00 00 00 00 00 00 2B 00", {}, ""},
        StepCase{"PowerUnitCentral",
                 0x1C,
                 "7",
                 "40 00 00 00 00 00 00 0B 15 00",
                 {},
                 "Linje2, UC 7: SABOTAGE NÄTFEL \r\nLinje2, UC 8: SABOTAGE "},
        StepCase{"PowerUnitPanelSecondOnly",
                 0x1C,
                 "7",
                 "40 00 00 00 00 00 00 0B 80 01",
                 {},
                 "Linje3, MP 8: BATTERIFEL "},
        StepCase{"PowerUnitFirstOnly",
                 0x1C,
                 "7",
                 "40 00 00 00 00 00 00 00 02 00",
                 {},
                 "Linje1, UC 1: SPÄNNING \r\n"},
        StepCase{"Label", 0x1E, "7", "40 00 00 00 00 00 00 03", {}, "Anna"},
        StepCase{"LabelWithLetters", 0x1E, "7", "40 00 00 00 00 00 00 02", {}, "Åsa"},
        StepCase{"LabelEmptyShowsNumber", 0x1E, "7", "40 00 00 00 00 00 00 04", {}, "4"},
        StepCase{"Label255ShowsNumber", 0x1E, "7", "40", {}, "255"},
        StepCase{"ColourHasNoText", 0x20, "FFFFFF:C00000", "40", {}, ""},
        StepCase{"PromText",
                 0x21,
                 "9, 118768, 16, 16",
                 "40 00 00 00 00 00 00 00 00 02",
                 {{0x1D010, "Lager"}},
                 "Lager"},
        StepCase{"PromTextLength",
                 0x21,
                 "9,118768;16:4",
                 "40 00 00 00 00 00 00 00 00 02",
                 {{0x1D010, "Lagerlokal"}},
                 "Lage"},
        StepCase{"PromTextLengthAt16",
                 0x21,
                 "9 118768 16 99",
                 "40 00 00 00 00 00 00 00 00 02",
                 {{0x1D010, "0123456789ABCDEFGH"}},
                 "0123456789ABCDEF"},
        StepCase{"PromTextBeyondPromIsEmpty",
                 0x21,
                 "7, 4294967295, 4294967295, 16",
                 "40",
                 {},
                 "[ingen text]"},
        StepCase{"PromTextNoImage", 0x21, "9, 118768, 16, 16", "40", {}, "", false},
        StepCase{"PromTextMalformed", 0x21, "9, x", "40", {}, "logGetText(9, x)"},
        StepCase{"PromTextTooFewNumbers", 0x21, "9, 1, 2", "40", {}, "logGetText(9, 1, 2)"},
        StepCase{"Areas",
                 0x22,
                 "8",
                 "40 00 00 00 00 00 00 00 FA FF FF FF FF FF FF 7F",
                 {{0x1D000, "Kontor  "}, {0x1D020, std::string(16, ' ')}, {0x1D3F0, "Lager"}},
                 "Område: 1: Kontor 3: [ingen text] 64: Lager"},
        StepCase{"AreasNoImage",
                 0x22,
                 "8",
                 "40 00 00 00 00 00 00 00 FA FF FF FF FF FF FF 7F",
                 {},
                 "Område: 1:  3:  64:",
                 false},
        StepCase{"AreasPastRecord",
                 0x22,
                 "15",
                 "40 00 00 00 00 00 00 00 00 00 00 00 00 00 00 FE",
                 {},
                 "Område: 1:",
                 false},
        StepCase{"Larm200", 0x23, "", "40", {}, "logLarm200()"},
        StepCase{
            "IfPositionEqual", 0x24, "9, 2, Öppen", "40 00 00 00 00 00 00 00 00 02", {}, "Öppen"},
        StepCase{"IfPositionOther", 0x24, "9, 2, Öppen", "40 00 00 00 00 00 00 00 00 03", {}, ""},
        StepCase{"IfPositionMalformed", 0x24, "x", "40", {}, "logIfPosition(x)"},
        StepCase{"Sections",
                 0x25,
                 "7",
                 "40 00 00 00 00 00 00 23 05",
                 {{0x14180, "K\x84llare"}},
                 "Sektion 6021: Källare\nSektion 6023: [ingen text]\n"},
        StepCase{"SectionsTamper",
                 0x25,
                 "7",
                 "40 00 00 00 00 00 00 9A 80",
                 {{0x14A70, "D\x94rr"}},
                 "Sabotage S2118: Dörr\n"},
        StepCase{"SectionsNoImage",
                 0x25,
                 "7",
                 "40 00 00 00 00 00 00 23 01",
                 {},
                 "Sektion 6021: \n",
                 false},
        StepCase{"CentralUnitMainsFault",
                 0x26,
                 "7",
                 "40 00 00 00 00 00 00 00 04",
                 {},
                 "Nätfel Centralapparat T1413"},
        StepCase{"CentralUnitPanel",
                 0x26,
                 "7",
                 "40 00 00 00 00 00 00 12 41",
                 {},
                 "Sabotagekontakt Nyinkoppling ManöverPanel Linje2 MP3 S2637"},
        StepCase{"CentralUnitSubCentral",
                 0x26,
                 "7",
                 "40 00 00 00 00 00 00 21 00",
                 {},
                 "UnderCentral Linje3 UC2 T3420"},
        StepCase{"CentralUnitBatteries",
                 0x26,
                 "7",
                 "40 00 00 00 00 00 00 00 18",
                 {},
                 "Batterifel kortBatterifel långCentralapparat T1415"},
        StepCase{"SecondSectionsTamperAndThreat",
                 0x27,
                 "7",
                 "40 00 00 00 00 00 00 1A 81",
                 {{0x1BD00, "Grind"}, {0x1BD70, "Kod"}},
                 "Sabotage S2311:Grind\nHotkod2318:Kod\n"},
        StepCase{"SecondSections",
                 0x27,
                 "7",
                 "40 00 00 00 00 00 00 12 02",
                 {{0x1B910, "Port"}},
                 "Sektion 2232:Port\n"},
        StepCase{"Sabotage",
                 0x28,
                 "7",
                 "40 00 00 00 00 00 00 23 01",
                 {{0x15300, "Lock"}},
                 "Sabotage S3041:Lock\n"},
        StepCase{"SecondSabotage",
                 0x29,
                 "7",
                 "40 00 00 00 00 00 00 35 40",
                 {{0x1CAE0, "Sk\x86p"}},
                 "Sabotage S4267:Skåp\n"},
        StepCase{"UnknownTagSaysNothing", 0x1D, "7", "40", {}, ""}),
    [](const ::testing::TestParamInfo<StepCase>& p) { return std::string(p.param.name); });

LabelTable labelsWithBo() {
    LabelTable labels;
    labels.set(2, "Bo");
    return labels;
}

struct BuiltInCase {
    const char* name;
    const char* record;
    const char* expected;
};

class DecodeBuiltIn : public ::testing::TestWithParam<BuiltInCase> {};

TEST_P(DecodeBuiltIn, GivesTheFixedText) {
    const DecodedRecord d =
        DecodeRecord(recordOf(GetParam().record), EventTexts{}, nullptr, labelsWithBo());
    EXPECT_EQ(cp1252ToUtf8(d.text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, DecodeBuiltIn,
    ::testing::Values(
        BuiltInCase{"Larm", "2C 1E 2D 0E 0F 06 09 00 93 05",
                    "Larm\r\nMåndag, 15 juni 2009, 14:45.30\r\nLinje 2, MP 4, S 1 3 "},
        BuiltInCase{"AutomaticBypass", "2B 1E 2D 0E 0F 06 09 00 21 02 00 00 93 05 FF 00",
                    "Aut. bortk. av sektion\r\nMåndag, 15 juni 2009, 14:45.30\r\n"
                    "Linje 3, MP 2, G 2 \r\n\r\nLinje 2, MP 4, S 1 3 \r\n"},
        BuiltInCase{"ManualBypass", "2E 1E 2D 0E 0F 06 09 02 FF FF FF FF FF FF 21 02",
                    "Man. bortk. av sektion\r\nMåndag, 15 juni 2009, 14:45.30\r\n"
                    "Användare: Bo\r\nLinje 3, MP 2, G 2 "},
        BuiltInCase{"ManualReset", "2F 1E 2D 0E 0F 06 09 07 FF FF FF FF FF FF 21 00",
                    "Man. tillk. av sektion\r\nMåndag, 15 juni 2009, 14:45.30\r\n"
                    "Användare: 7\r\n"},
        BuiltInCase{"Unknown05", "05", "Händelsefunktion: 0x05"},
        BuiltInCase{"UnknownAB", "AB", "Händelsefunktion: 0xAB"},
        BuiltInCase{"AllErased", "FF", "Händelsefunktion: 0xFF"}),
    [](const ::testing::TestParamInfo<BuiltInCase>& p) { return std::string(p.param.name); });

TEST(DecodeRecord, DateStepGivesTheDateKey) {
    EventTexts table;
    table.setCode(0x40, {{0x16, "Larm\n"}, {0x17, "1"}});
    const DecodedRecord d = DecodeRecord(recordOf(kDate15June2009), table, nullptr, LabelTable{});
    EXPECT_EQ(d.dateKey, 20090615u);
    // The key follows the date shown when the day carries into the next month.
    const DecodedRecord carried =
        DecodeRecord(recordOf("40 00 00 0C 1F 02 09"), table, nullptr, LabelTable{});
    EXPECT_EQ(carried.dateKey, 20090303u);
    EXPECT_FALSE(
        DecodeRecord(recordOf("40 05 06 07 00 03 09"), table, nullptr, LabelTable{}).dateKey);
    EXPECT_FALSE(DecodeRecord(recordOf("05"), table, nullptr, LabelTable{}).dateKey);
}

TEST(DecodeRecord, BuiltInLarmHasTheDateKey) {
    const DecodedRecord d = DecodeRecord(recordOf("2C 00 00 00 1D 02 28 00 93 00"), EventTexts{},
                                         nullptr, LabelTable{});
    EXPECT_EQ(cp1252ToUtf8(d.text), "Larm\r\nOnsdag, 29 februari 2040, 00:00.00\r\n");
    EXPECT_EQ(d.dateKey, 20400229u);
}

TEST(DecodeRecord, ColoursComeFromTheColourStepOnly) {
    EventTexts table;
    table.setCode(0x40, {{0x16, "A"}, {0x20, "FFFFFF:c00080"}});
    table.setCode(0x41, {{0x20, "FFFFFF-C00000"}});
    table.setCode(0x42, {{0x20, "FFFFFF:C0000"}});
    const DecodedRecord red = DecodeRecord(recordOf("40"), table, nullptr, LabelTable{});
    EXPECT_EQ(red.textColour, (LogColour{0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(red.background, (LogColour{0xC0, 0x00, 0x80}));
    for (const char* record : {"41", "42", "05"}) {
        const DecodedRecord plain = DecodeRecord(recordOf(record), table, nullptr, LabelTable{});
        EXPECT_EQ(plain.textColour, LogColour::black()) << record;
        EXPECT_EQ(plain.background, LogColour::white()) << record;
    }
}

TEST(DecodeRecord, StepsRunInOrderAndTheTableOverridesBuiltIns) {
    EventTexts table;
    table.setCode(0x2C, {{0x16, "Eget larm\n"}, {0x17, "1"}, {0x16, "\nSektion "}, {0x18, "8"}});
    const DecodedRecord d = DecodeRecord(recordOf(kDate15June2009), table, nullptr, LabelTable{});
    // Code 0x40 of kDate15June2009 is not in this table: the built-in fallback.
    EXPECT_EQ(cp1252ToUtf8(d.text), "Händelsefunktion: 0x40");
    const DecodedRecord own =
        DecodeRecord(recordOf("2C 1E 2D 0E 0F 06 09 00 11"), table, nullptr, LabelTable{});
    EXPECT_EQ(cp1252ToUtf8(own.text), "Eget larm\r\nMåndag, 15 juni 2009, 14:45.30\r\nSektion 17");
}

TEST(DecodeRecord, SixteenErasedBytesGiveAnEmptyLocation) {
    EventTexts table;
    table.setCode(0xFF, {{0x1B, "8"}});
    EXPECT_EQ(DecodeRecord(recordOf("FF"), table, nullptr, LabelTable{}).text, "");
}

}  // namespace
}  // namespace loom
