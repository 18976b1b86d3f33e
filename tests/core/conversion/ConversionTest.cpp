#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "conversion/ConversionBuffer.h"
#include "conversion/ConversionList.h"
#include "fields/PromImage.h"
#include "platform/FileSystem.h"
#include "support/FailingFileSystem.h"
#include "support/HexBytes.h"
#include "support/RecordingPrompt.h"
#include "support/TempDir.h"

namespace loom {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::hexBytes;
using test::hexString;

void put32(Bytes& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// Header, text area with the four texts, program; any header field can be bent.
struct CnvFile {
    std::string source = "GL 200", source2 = "GL 200 centralapparat";
    std::string target = "VT 340", target2 = "VT 340 centralapparat";
    std::uint32_t number1 = 7, number2 = 9;
    std::uint32_t blank = 0x7F8, product = 0x7F0;
    Bytes program;
    std::optional<std::uint32_t> declaredSize;
    std::optional<Bytes> area;
    std::optional<std::array<std::uint32_t, 4>> offsets;

    CnvFile& copy(std::uint32_t from, std::uint32_t to, std::uint8_t length) {
        program.push_back(1);
        put32(program, from);
        put32(program, to);
        program.push_back(length);
        return *this;
    }
    CnvFile& bits(std::uint32_t from, std::uint8_t fromShift, std::uint32_t to,
                  std::uint8_t toShift, std::uint8_t width) {
        program.push_back(2);
        put32(program, from);
        program.push_back(fromShift);
        put32(program, to);
        program.push_back(toShift);
        program.push_back(width);
        return *this;
    }
    CnvFile& when(std::uint32_t address, std::uint8_t mask, std::uint8_t value) {
        program.push_back(3);
        put32(program, address);
        program.push_back(mask);
        program.push_back(value);
        return *this;
    }
    CnvFile& set(std::uint32_t address, std::uint8_t mask, std::uint8_t value) {
        program.push_back(2);
        put32(program, address);
        program.push_back(mask);
        program.push_back(value);
        return *this;
    }
    CnvFile& raw(const Bytes& bytes) {
        program.insert(program.end(), bytes.begin(), bytes.end());
        return *this;
    }

    Bytes bytes() const {
        Bytes texts;
        std::array<std::uint32_t, 4> at{};
        const std::string* all[] = {&source, &source2, &target, &target2};
        for (std::size_t i = 0; i < 4; ++i) {
            at[i] = static_cast<std::uint32_t>(texts.size());
            texts.insert(texts.end(), all[i]->begin(), all[i]->end());
            texts.push_back(0);
        }
        if (area) texts = *area;
        if (offsets) at = *offsets;
        Bytes out = {'c', 'n', 'v', 0};
        put32(out, declaredSize.value_or(static_cast<std::uint32_t>(texts.size())));
        put32(out, at[0]);
        put32(out, at[1]);
        put32(out, number1);
        put32(out, number2);
        put32(out, at[2]);
        put32(out, at[3]);
        put32(out, blank);
        put32(out, product);
        out.insert(out.end(), texts.begin(), texts.end());
        out.insert(out.end(), program.begin(), program.end());
        return out;
    }
    ConversionEntry entry() const {
        auto parsed = ConversionList::parse(bytes(), "test.cnv");
        EXPECT_TRUE(parsed.has_value());
        return parsed.value_or(ConversionEntry{});
    }
};

std::string dump(const PromImage& image) {
    std::ostringstream out;
    for (const PromBlock& b : image.blocks())
        out << std::hex << b.address << ": " << hexString(b.data) << "\n";
    return out.str();
}

PromImage imageOf(const std::vector<std::pair<std::uint32_t, std::string>>& writes) {
    PromImage image;
    for (const auto& [address, hex] : writes)
        image.write(address, hexBytes(hex));
    return image;
}

std::string textsOf(const ConversionEntry& e) {
    return e.sourceModel + "|" + e.sourceText2 + "|" + e.targetModel + "|" + e.targetText2;
}

TEST(ConversionFile, ParsesEveryField) {
    CnvFile file;
    file.copy(0x10, 0x20, 4);
    const auto entry = ConversionList::parse(file.bytes(), "Convert/a.cnv");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->file, std::filesystem::path("Convert/a.cnv"));
    EXPECT_EQ(textsOf(*entry), "GL 200|GL 200 centralapparat|VT 340|VT 340 centralapparat");
    EXPECT_EQ(entry->sourceNumber1, 7u);
    EXPECT_EQ(entry->sourceNumber2, 9u);
    EXPECT_EQ(entry->blankAddress, 0x7F8u);
    EXPECT_EQ(entry->productAddress, 0x7F0u);
    EXPECT_EQ(hexString(entry->program), "01 10 00 00 00 20 00 00 00 04");
}

TEST(ConversionFile, TextsStayInsideTheArea) {
    CnvFile file;
    // The last text ends with the area, not with the program's zero.
    file.area = Bytes{'A', 'B', 0, 'C', 'D', 'E'};
    file.offsets = std::array<std::uint32_t, 4>{0, 1, 3, 5};
    file.raw({'F', 0});
    const auto entry = ConversionList::parse(file.bytes(), "x.cnv");
    ASSERT_TRUE(entry);
    EXPECT_EQ(textsOf(*entry), "AB|B|CDE|E");
    EXPECT_EQ(hexString(entry->program), "46 00");
}

TEST(ConversionFile, MalformedFilesAreRefused) {
    struct Case {
        const char* name;
        Bytes bytes;
        bool ok;
    };
    auto withArea = [](std::uint32_t declared, std::size_t actual) {
        CnvFile f;
        f.area = Bytes(actual, 'x');
        f.offsets = std::array<std::uint32_t, 4>{0, 0, 0, 0};
        f.declaredSize = declared;
        return f.bytes();
    };
    auto withOffset = [](std::size_t which, std::uint32_t offset) {
        CnvFile f;
        f.area = Bytes(16, 'x');
        std::array<std::uint32_t, 4> at{0, 0, 0, 0};
        at[which] = offset;
        f.offsets = at;
        return f.bytes();
    };
    Bytes badMagic = CnvFile().bytes();
    badMagic[3] = ' ';
    Bytes upperMagic = CnvFile().bytes();
    upperMagic[0] = 'C';
    const Bytes whole = CnvFile().bytes();
    const Case cases[] = {
        {"complete", whole, true},
        {"empty", {}, false},
        {"short header", Bytes(whole.begin(), whole.begin() + 39), false},
        {"header only, area missing", Bytes(whole.begin(), whole.begin() + 40), false},
        {"area one byte short", Bytes(whole.begin(), whole.begin() + 39 + 48), false},
        {"magic without zero", badMagic, false},
        {"magic in capitals", upperMagic, false},
        {"area of 512", withArea(512, 512), true},
        {"area of 513", withArea(513, 513), false},
        {"area of 2^32-1", withArea(0xFFFFFFFF, 16), false},
        {"area of 0: no offset is inside", withArea(0, 0), false},
        {"source offset at the end", withOffset(0, 16), false},
        {"second source offset at the end", withOffset(1, 16), false},
        {"target offset at the end", withOffset(2, 16), false},
        {"second target offset at the end", withOffset(3, 16), false},
        {"offset far outside", withOffset(2, 0xFFFFFFF0), false},
        {"last byte of the area", withOffset(3, 15), true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ConversionList::parse(c.bytes, "x.cnv").has_value(), c.ok) << c.name;
}

class ConversionFolder : public ::testing::Test {
  protected:
    std::filesystem::path folder() const { return dir.path("Convert"); }
    void add(const std::string& name, const Bytes& bytes) {
        std::filesystem::create_directories(folder());
        dir.write("Convert/" + name, bytes);
    }
    ConversionList load() {
        ConversionList list;
        list.LoadConversions(files, folder());
        return list;
    }

    test::TempDir dir;
    LocalFileSystem files;
};

TEST_F(ConversionFolder, FindsByThirteenCharacters) {
    CnvFile shortNames;
    CnvFile longNames;
    longNames.source = "LONGMODEL 123A";
    longNames.target = "PANELMODEL 45B";
    add("short.cnv", shortNames.bytes());
    add("long.cnv", longNames.bytes());
    const ConversionList list = load();
    ASSERT_EQ(list.entries().size(), 2u);
    struct Case {
        const char* templateModel;
        const char* panelModel;
        const char* found;
    };
    const Case cases[] = {
        {"GL 200", "VT 340", "GL 200"},
        {"GL 200", "VT 340 ", "none"},
        {"GL 200", "VT 34", "none"},
        {"GL 200 ", "VT 340", "none"},
        {"gl 200", "VT 340", "none"},
        {"VT 340", "GL 200", "none"},  // one direction only
        {"LONGMODEL 123X", "PANELMODEL 45Y", "LONGMODEL 123A"},
        {"LONGMODEL 123", "PANELMODEL 45", "LONGMODEL 123A"},
        {"LONGMODEL 12", "PANELMODEL 45", "none"},
        {"LONGMODEL 123", "PANELMODEL 4", "none"},
    };
    for (const Case& c : cases) {
        const ConversionEntry* e = list.FindConversion(c.templateModel, c.panelModel);
        EXPECT_EQ(e ? e->sourceModel : "none", c.found)
            << c.templateModel << " -> " << c.panelModel;
    }
}

TEST_F(ConversionFolder, LastLoadedFileOfAPairIsUsedAndMalformedFilesAreSkipped) {
    CnvFile first, second, other;
    first.number1 = 1;
    second.number1 = 2;
    other.source = "X 1";
    add("first.cnv", first.bytes());
    add("second.CNV", second.bytes());
    add("other.cnv", other.bytes());
    const Bytes firstBytes = first.bytes();
    add("short.cnv", Bytes(firstBytes.begin(), firstBytes.begin() + 39));
    add("empty.cnv", {});
    add("notes.txt", first.bytes());

    // The folder's listing order decides which of the pair loads last.
    std::vector<std::string> wellFormed;
    for (const std::string& name : files.list(folder(), ".cnv"))
        if (name == "first.cnv" || name == "second.CNV" || name == "other.cnv")
            wellFormed.push_back(name);
    const bool secondLast = std::find(wellFormed.begin(), wellFormed.end(), "second.CNV") >
                            std::find(wellFormed.begin(), wellFormed.end(), "first.cnv");

    const ConversionList list = load();
    ASSERT_EQ(list.entries().size(), 3u);
    const ConversionEntry* e = list.FindConversion("GL 200", "VT 340");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->sourceNumber1, secondLast ? 2u : 1u);
    EXPECT_EQ(e->file.filename(), secondLast ? "second.CNV" : "first.cnv");
    // Entries run from the last loaded to the first.
    std::vector<std::string> loaded;
    for (const ConversionEntry& entry : list.entries())
        loaded.insert(loaded.begin(), entry.file.filename().string());
    EXPECT_EQ(loaded, wellFormed);
}

TEST_F(ConversionFolder, UnreadableFileIsSkippedAndMissingFolderLoadsNothing) {
    EXPECT_TRUE(load().entries().empty());
    CnvFile a, b;
    b.source = "X 1";
    add("a.cnv", a.bytes());
    add("b.cnv", b.bytes());
    test::FailingFileSystem failing;
    failing.failOpenRead(folder() / "a.cnv");
    ConversionList list;
    list.LoadConversions(failing, folder());
    ASSERT_EQ(list.entries().size(), 1u);
    EXPECT_EQ(list.entries()[0].sourceModel, "X 1");
}

// Product text at 0x7F0 (the target model past its first 8 characters), blank area 0x7F8-0x7FF.
CnvFile conversion() {
    CnvFile f;
    f.target = "MODEL-B PRODUCT1";
    return f;
}

using Writes = std::vector<std::pair<std::uint32_t, std::string>>;
const std::pair<std::uint32_t, std::string> kProductInSource = {0x7F0, "50 52 4F 44 55 43 54 31"};

struct ProgramCase {
    const char* name;
    CnvFile file;
    Writes result;
};

void checkCases(const Writes& source, const std::vector<ProgramCase>& cases, bool ran) {
    for (const ProgramCase& c : cases) {
        PromImage image = imageOf(source);
        EXPECT_EQ(ConversionList::Convert(image, c.file.entry()), ran) << c.name;
        EXPECT_EQ(dump(image), dump(imageOf(c.result))) << c.name;
    }
}

TEST(Convert, ProgramsThatRunToTheirEnd) {
    const Writes source = {{0x100, "11 22 33 44 55 66 77 88 99 AA BB CC DD EE F0 01"},
                           {0x200, "AC 0F F0 05"},
                           {0x1D000, "41 42"}};
    const CnvFile c = conversion().copy(0x100, 0x10, 1);  // 0x10 holds 11
    // 0xAC = 1010 1100, 0x11 = 0001 0001.
    checkCases(
        source,
        {
            {"opcode 0 alone", conversion().raw({0}), {}},
            {"no program at all", conversion(), {}},
            {"nothing runs after opcode 0", conversion().raw({0}).copy(0x100, 0, 4), {}},
            {"copy",
             conversion().copy(0x100, 0x10, 16),
             {{0x10, "11 22 33 44 55 66 77 88 99 AA BB CC DD EE F0 01"}}},
            {"copy of nothing", conversion().copy(0x100, 0x10, 0), {}},
            {"copy across blocks", conversion().copy(0x104, 0x1E, 4), {{0x1E, "55 66 77 88"}}},
            {"copy carries the product text",
             conversion().copy(0x7F0, 0x7F0, 16),
             {kProductInSource}},
            {"blank area cleared after the copy",
             conversion().copy(0x100, 0x7F4, 8),
             {{0x7F4, "11 22 33 44"}}},
            {"bits, width 8", conversion().bits(0x200, 0, 0x10, 0, 8), {{0x10, "AC"}}},
            {"bits, width 0", CnvFile(c).bits(0x201, 0, 0x10, 0, 0), {{0x10, "11"}}},
            {"bits with shifts", CnvFile(c).bits(0x200, 2, 0x10, 5, 3), {{0x10, "71"}}},
            {"bits cut to the byte", CnvFile(c).bits(0x201, 0, 0x10, 6, 4), {{0x10, "D1"}}},
            {"shift of 200", CnvFile(c).bits(0x200, 200, 0x10, 200, 8), {{0x10, "11"}}},
            {"bits into an erased byte", conversion().bits(0x203, 0, 0x10, 4, 4), {{0x10, "5F"}}},
            {"condition holds",
             CnvFile(c).when(0x200, 0x0F, 0x0C).set(0x10, 0xF0, 0xA0),
             {{0x10, "A1"}}},
            {"condition fails",
             CnvFile(c).when(0x200, 0x0F, 0x0D).set(0x10, 0xF0, 0xA0),
             {{0x10, "11"}}},
            {"all conditions hold",
             conversion()
                 .when(0x200, 0xFF, 0xAC)
                 .when(0x201, 0x0F, 0x0F)
                 .when(0x203, 0x05, 0x05)
                 .set(0x10, 0xFF, 0x42),
             {{0x10, "42"}}},
            // The later operands are read all the same, so the copy after them runs.
            {"first condition fails",
             conversion()
                 .when(0x200, 0xFF, 0x00)
                 .when(0x201, 0x0F, 0x0F)
                 .when(0x203, 0x05, 0x05)
                 .set(0x10, 0xFF, 0x42)
                 .copy(0x100, 0x20, 2),
             {{0x20, "11 22"}}},
            {"last condition fails",
             conversion().when(0x200, 0xFF, 0xAC).when(0x201, 0x0F, 0x0E).set(0x10, 0xFF, 0x42),
             {}},
            {"set ORs the unmasked value",
             CnvFile(c).when(0x200, 0, 0).set(0x10, 0x0F, 0x82),
             {{0x10, "92"}}},
            {"condition on an erased byte",
             conversion().when(0x5000, 0xFF, 0xFF).set(0x10, 0xFF, 0x00),
             {{0x10, "00"}}},
            {"images grow beyond 64 KB",
             conversion().copy(0x1D000, 0x30000, 2).copy(0x100, 0xFFFF0, 2),
             {{0x30000, "41 42"}, {0xFFFF0, "11 22"}}},
        },
        true);
}

// A failing program leaves the source with the product text of the first step and the
// blank area cleared.
TEST(Convert, FailingProgramsLeaveTheSource) {
    const Writes kept = {{0x100, "11 22 33 44"}, kProductInSource};
    const CnvFile copied = conversion().copy(0x100, 0, 4);
    checkCases(
        {{0x100, "11 22 33 44"}, {0x7F8, "01 02 03 04"}},
        {
            {"unknown opcode", CnvFile(copied).raw({4}), kept},
            {"opcode 0xFF", conversion().raw({0xFF}), kept},
            {"width 9", CnvFile(copied).bits(0x100, 0, 0, 0, 9), kept},
            {"condition then copy", conversion().when(0x100, 0, 0).copy(0x100, 0, 4), kept},
            {"condition then end", conversion().when(0x100, 0, 0).raw({0}), kept},
            {"condition at the end", conversion().when(0x100, 0, 0), kept},
            {"copy cut short", CnvFile(copied).raw({1, 0, 1, 0, 0, 0x10}), kept},
            {"copy without its length", conversion().raw({1, 0, 1, 0, 0, 0x10, 0, 0, 0}), kept},
            {"bits cut short", conversion().raw({2, 0, 1, 0, 0, 0, 0x10, 0, 0, 0, 0}), kept},
            {"condition cut short", conversion().raw({3, 0, 1, 0, 0, 0xFF}), kept},
            {"set cut short", conversion().when(0x100, 0, 0).raw({2, 0x10, 0, 0, 0, 0xFF}), kept},
        },
        false);
}

TEST(Convert, NothingBeyondOneMegabyte) {
    // Reads at 1 MB or above give 0xFF; writes there are dropped, the blank area too.
    CnvFile file = conversion();
    file.blank = 0xFFFFFFFC;
    file.product = 0x100000;
    file.copy(0x100000, 0x10, 2)
        .copy(0xFFFFFFF0, 0x12, 1)
        .copy(0xFFFFE, 0xFFFFF, 4)
        .copy(0xFFFFE, 0x20, 4)
        .copy(0xFFFFFFFE, 0x30, 8);
    checkCases({{0xFFFFE, "01 02"}, {0x100000, "03 04"}, {0xFFFFFFF0, "05"}},
               {{"edge", file, {{0xFFFFF, "01"}, {0x20, "01 02 FF FF"}}}}, true);
    file.raw({9});
    checkCases({{0x10, "01"}, {0x100000, "03 04"}}, {{"failed", file, {{0x10, "01"}}}}, false);
}

TEST(ConversionBuffer, DoublesUpToOneMegabyte) {
    ConversionBuffer buffer;
    EXPECT_EQ(buffer.get(0), 0xFF);
    const std::pair<std::uint64_t, std::size_t> sets[] = {
        {65535, 65536},           {65536, 131072},
        {0x30000, 262144},  // two doublings
        {0xFFFFF, 1048576},       {0x100000, 1048576},
        {0xFFFFFFFFull, 1048576}, {std::uint64_t{1} << 40, 1048576}};
    for (const auto& [address, size] : sets) {
        buffer.set(address, static_cast<std::uint8_t>(address & 0x7F));
        EXPECT_EQ(buffer.size(), size) << address;
    }
    EXPECT_EQ(buffer.get(0x2FFFF), 0xFF);
    EXPECT_EQ(buffer.get(0x30000), 0);
    EXPECT_EQ(buffer.get(0x100000), 0xFF);
    EXPECT_EQ(buffer.get(0xFFFFF), 0x7F);
    EXPECT_EQ(buffer.get(65535), 0x7F);
    EXPECT_EQ(buffer.get(65536), 0);
}

TEST(ConversionBuffer, BlocksAreTheWrittenOnesThatAreNotErased) {
    ConversionBuffer buffer;
    buffer.set(0xFFFF5, 0x01);
    buffer.set(0x0F, 0xFF);  // written, but erased
    buffer.set(0x21, 0x00);
    buffer.set(0x2F, 0x02);
    std::vector<std::string> blocks;
    for (const PromBlock& b : buffer.blocks())
        blocks.push_back(std::to_string(b.address) + ": " + hexString(b.data));
    EXPECT_EQ(blocks, (std::vector<std::string>{
                          "32: FF 00 FF FF FF FF FF FF FF FF FF FF FF FF FF 02",
                          "1048560: FF FF FF FF FF 01 FF FF FF FF FF FF FF FF FF FF",
                      }));
}

class ProductCheck : public ConversionFolder {
  protected:
    ProductCheck() {
        CnvFile file = conversion();
        file.copy(0x100, 0x10, 2);
        add("gl_vt.cnv", file.bytes());
        list = load();
        image = imageOf({{0x100, "11 22"}});
    }
    ConversionList list;
    PromImage image;
    test::RecordingPrompt prompt;
};

const char kQuestion[] =
    "Promet och mallen är av olika produktmodeller.\nProm:\tMODEL-B PRODU\nMall:\tGL 200\n\n"
    "Konvertering är möjlig. Skall data konverteras?\n";

TEST_F(ProductCheck, YesConvertsNoAndCancelRefuse) {
    const std::pair<Answer, bool> answers[] = {
        {Answer::Yes, true}, {Answer::No, false}, {Answer::Cancel, false}};
    for (const auto& [answer, accepted] : answers) {
        PromImage current = image;
        prompt.entries.clear();
        prompt.answers = {answer};
        EXPECT_EQ(list.CheckProductModel("MODEL-B PRODUCT1 v2", "GL 200", current, prompt),
                  accepted);
        ASSERT_EQ(prompt.entries.size(), 1u);
        EXPECT_TRUE(prompt.entries[0].question);
        EXPECT_EQ(prompt.entries[0].kind, MessageKind::Question);
        EXPECT_EQ(prompt.entries[0].text, kQuestion);
        EXPECT_EQ(dump(current), dump(accepted ? imageOf({{0x10, "11 22"}}) : image));
    }
    EXPECT_EQ(prompt.unexpected, 0);
    prompt.entries.clear();
    EXPECT_TRUE(list.CheckProductModel("GL 200 serie 4", "GL 200 serie 5", image, prompt));
    EXPECT_TRUE(list.CheckProductModel("ABCDEFGHIJKLM-1", "ABCDEFGHIJKLM-2", image, prompt));
    EXPECT_TRUE(prompt.entries.empty());
    EXPECT_EQ(dump(image), dump(imageOf({{0x100, "11 22"}})));
}

TEST_F(ProductCheck, NoConversionShowsMessage79WithTheFullNames) {
    EXPECT_FALSE(list.CheckProductModel("VT 340 centralapparat", "GL 200 centralapparat utan",
                                        image, prompt));
    ASSERT_EQ(prompt.entries.size(), 1u);
    EXPECT_FALSE(prompt.entries[0].question);
    EXPECT_EQ(prompt.entries[0].kind, MessageKind::Warning);
    EXPECT_EQ(prompt.entries[0].text,
              "Promet och mallen är av olika produktmodeller.\nSändningen avbryts.\n"
              "Prom:\tVT 340 centralapparat\nFil:\tGL 200 centralapparat utan");
    EXPECT_EQ(dump(image), dump(imageOf({{0x100, "11 22"}})));
}

}  // namespace
}  // namespace loom
