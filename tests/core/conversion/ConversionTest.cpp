#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include "common/Messages.h"
#include "conversion/ConversionList.h"
#include "fields/PromImage.h"
#include "platform/FileSystem.h"
#include "support/HexBytes.h"
#include "support/MessageText.h"
#include "support/RecordingPrompt.h"
#include "support/TempDir.h"

namespace loom {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::hexBytes;
using test::hexString;

// Header lines of a conversion source; the product text lands at 0x7F0 (the target model
// past its first 8 characters), the blank area is 0x7F8-0x7FF.
std::string head(const std::string& source = "GL 200",
                 const std::string& target = "MODEL-B PRODUCT1",
                 const std::string& more = "product 0x7F0\nblank 0x7F8\n") {
    return "source \"" + source + "\" \"" + source + " centralapparat\"\ntarget \"" + target +
           "\" \"VT 340 centralapparat\"\n" + more;
}

// A .cnv as the demo's builder makes it from its readable source.
Bytes build(const std::string& source) {
    static int count = 0;
    const std::string base =
        (std::filesystem::temp_directory_path() /
         ("loom-cnv-" + std::to_string(::getpid()) + "-" + std::to_string(count++)))
            .string();
    test::writeFile(base + ".txt", source);
    const std::string command =
        std::string(LOOM_MAKE_CONVERSION) + " " + base + ".txt -o " + base + ".cnv";
    EXPECT_EQ(std::system(command.c_str()), 0) << source;
    const std::string bytes = test::readFile(base + ".cnv");
    std::filesystem::remove(base + ".txt");
    std::filesystem::remove(base + ".cnv");
    return {bytes.begin(), bytes.end()};
}

// A conversion source; raw bytes after a '|' take the place of the closing opcode, for
// programs the builder would refuse.
Bytes build(const std::string& header, const std::string& program) {
    const std::size_t bar = program.find('|');
    Bytes cnv = build(header + program.substr(0, bar));
    if (bar == std::string::npos) return cnv;
    cnv.pop_back();
    const Bytes tail = hexBytes(program.substr(bar + 1));
    cnv.insert(cnv.end(), tail.begin(), tail.end());
    return cnv;
}

std::string dump(const PromImage& image) {
    std::ostringstream out;
    for (const PromBlock& b : image.blocks())
        out << std::hex << b.address << ": " << hexString(b.data) << "\n";
    return out.str();
}

// "ADDRESS:BYTES;..." in hexadecimal.
PromImage imageOf(const std::string& writes) {
    PromImage image;
    std::istringstream in(writes);
    for (std::string write; std::getline(in, write, ';');) {
        const std::size_t colon = write.find(':');
        image.write(static_cast<std::uint32_t>(std::stoul(write.substr(0, colon), nullptr, 16)),
                    hexBytes(write.substr(colon + 1)));
    }
    return image;
}

ConversionEntry entryOf(const Bytes& cnv) {
    auto parsed = ConversionList::parse(cnv, "test.cnv");
    EXPECT_TRUE(parsed.has_value());
    return parsed.value_or(ConversionEntry{});
}

TEST(ConversionFile, MalformedFilesAreRefused) {
    const Bytes whole = build(head());
    const std::uint32_t area = whole[4];  // the texts take fewer than 256 bytes
    const auto patched = [&](std::size_t at, std::uint32_t v) {
        Bytes b = whole;
        for (std::size_t i = 0; i < 4; ++i)
            b.at(at + i) = static_cast<std::uint8_t>(v >> (8 * i));
        return b;
    };
    const struct {
        const char* name;
        Bytes bytes;
        bool ok;
    } cases[] = {
        {"complete", whole, true},
        {"short header", Bytes(whole.begin(), whole.begin() + 39), false},
        {"area of 0: no offset is inside", patched(4, 0), false},
        {"second target offset at the end", patched(28, area), false},
        {"last byte of the area", patched(28, area - 1), true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ConversionList::parse(c.bytes, "x.cnv").has_value(), c.ok) << c.name;
}

class ConversionFolder : public ::testing::Test {
  protected:
    std::filesystem::path folder() const { return dir.path("Convert"); }
    void add(const std::string& name, const Bytes& bytes) {
        std::filesystem::create_directories(folder());
        dir.write("Convert/" + name, bytes);
    }
    ConversionList load(FileSystem& fs) {
        ConversionList list;
        list.LoadConversions(fs, folder());
        return list;
    }

    test::TempDir dir;
    LocalFileSystem files;
};

TEST_F(ConversionFolder, LoadsTheReadableFilesAndFindsByThirteenCharactersInOneDirection) {
    EXPECT_TRUE(load(files).entries().empty());  // no folder yet
    add("gl.cnv", build(head("GL 200", "VT 340")));
    const Bytes longNames = build(head("LONGMODEL 123A", "PANELMODEL 45B"));
    add("long.CNV", longNames);
    add("short.cnv", Bytes(longNames.begin(), longNames.begin() + 39));
    add("notes.txt", build(head("Z 1", "VT 340")));
    const ConversionList list = load(files);
    EXPECT_EQ(list.entries().size(), 2u);
    const struct {
        const char* templateModel;
        const char* panelModel;
        const char* found;
    } cases[] = {
        {"GL 200", "VT 340", "GL 200"},
        {"VT 340", "GL 200", "none"},
        {"LONGMODEL 123X", "PANELMODEL 45Y", "LONGMODEL 123A"},
        {"LONGMODEL 123", "PANELMODEL 4", "none"},
    };
    for (const auto& c : cases) {
        const ConversionEntry* e = list.FindConversion(c.templateModel, c.panelModel);
        EXPECT_EQ(e ? e->sourceModel : "none", c.found)
            << c.templateModel << " -> " << c.panelModel;
    }
}

struct ProgramCase {
    const char* name;
    std::string program;  // source lines
    const char* result;
};

void checkCases(const char* source, const std::vector<ProgramCase>& cases, bool ran,
                const std::string& header = head()) {
    for (const ProgramCase& c : cases) {
        PromImage image = imageOf(source);
        EXPECT_EQ(ConversionList::Convert(image, entryOf(build(header, c.program))), ran) << c.name;
        EXPECT_EQ(dump(image), dump(imageOf(c.result))) << c.name;
    }
}

TEST(Convert, ProgramsRunToTheirEndOrFailLeavingTheSource) {
    const std::string c = "copy 0x100 0x10 1\n";  // 0x10 holds 11
    // 0xAC = 1010 1100, 0x11 = 0001 0001.
    checkCases(
        "100:11 22 33 44 55 66 77 88 99 AA BB CC DD EE F0 01;200:AC 0F F0 05;1D000:41 42",
        {
            {"no program at all", "", ""},
            {"nothing runs after opcode 0", "|00 01 00 01 00 00 00 00 00 00 04", ""},
            {"copy carries the product text", "copy 0x7F0 0x7F0 16", "7F0:50 52 4F 44 55 43 54 31"},
            {"blank area cleared after the copy", "copy 0x100 0x7F4 8", "7F4:11 22 33 44"},
            {"bits with shifts", c + "bits 0x200 2 0x10 5 3", "10:71"},
            {"bits cut to the byte", c + "bits 0x201 0 0x10 6 4", "10:D1"},
            {"condition holds", c + "if 0x200 0x0F 0x0C\nset 0x10 0xF0 0xA0", "10:A1"},
            // The later operands are read all the same, so the copy after them runs.
            {"first condition fails",
             "if 0x200 0xFF 0\nif 0x201 0x0F 0x0F\nset 0x10 0xFF 0x42\ncopy 0x100 0x20 2",
             "20:11 22"},
            {"set ORs the unmasked value", c + "if 0x200 0 0\nset 0x10 0x0F 0x82", "10:92"},
            {"images grow beyond 64 KB", "copy 0x1D000 0x30000 2\ncopy 0x100 0xFFFF0 2",
             "30000:41 42;FFFF0:11 22"},
        },
        true);

    // A failing program leaves the source with the product text of the first step and the
    // blank area cleared.
    const char* kept = "100:11 22 33 44;7F0:50 52 4F 44 55 43 54 31";
    const std::string copied = "copy 0x100 0 4|";
    checkCases(
        "100:11 22 33 44;7F8:01 02 03 04",
        {
            {"unknown opcode", copied + "04", kept},
            {"condition then copy", "|03 00 01 00 00 00 00 01 00 01 00 00 00 00 00 00 04", kept},
        },
        false);

    // Reads at 1 MB or above give 0xFF; writes there are dropped, the blank area too.
    checkCases("FFFFE:01 02;100000:03 04;FFFFFFF0:05",
               {{"edge",
                 "copy 0x100000 0x10 2\ncopy 0xFFFFFFF0 0x12 1\ncopy 0xFFFFE 0xFFFFF 4\n"
                 "copy 0xFFFFE 0x20 4\ncopy 0xFFFFFFFE 0x30 8",
                 "FFFFF:01;20:01 02 FF FF"}},
               true, head("GL 200", "MODEL-B PRODUCT1", "product 0x100000\nblank 0xFFFFFFFC\n"));
}

// A panel of another model: the user is asked to convert; without a conversion, warned.
TEST_F(ConversionFolder, YesConvertsNoAndCancelRefuse) {
    add("gl_vt.cnv", build(head(), "copy 0x100 0x10 2"));
    const ConversionList list = load(files);
    const PromImage image = imageOf("100:11 22");
    test::RecordingPrompt prompt;
    const std::string question =
        test::text(MessageId::ConvertQuestion, {"MODEL-B PRODU", "GL 200"});
    for (const auto& [answer, accepted] :
         {std::pair{Answer::Yes, true}, std::pair{Answer::No, false},
          std::pair{Answer::Cancel, false}}) {
        PromImage current = image;
        prompt.entries.clear();
        prompt.answers = {answer};
        EXPECT_EQ(list.CheckProductModel("MODEL-B PRODUCT1 v2", "GL 200", current, prompt),
                  accepted);
        EXPECT_EQ(prompt.texts(), std::vector<std::string>{question});
        EXPECT_EQ(dump(current), dump(accepted ? imageOf("10:11 22") : image));
    }
    prompt.entries.clear();
    PromImage same = image;
    EXPECT_TRUE(list.CheckProductModel("GL 200 serie 4", "GL 200 serie 5", same, prompt));
    EXPECT_TRUE(prompt.entries.empty());
    EXPECT_EQ(dump(same), dump(image));
    // No conversion: a warning with the full names.
    EXPECT_FALSE(list.CheckProductModel("VT 340 centralapparat", "GL 200 centralapparat utan", same,
                                        prompt));
    EXPECT_EQ(prompt.texts(), std::vector<std::string>{test::text(
                                  MessageId::ModelMismatch,
                                  {"VT 340 centralapparat", "GL 200 centralapparat utan"})});
    EXPECT_EQ(dump(same), dump(image));
}

}  // namespace
}  // namespace loom
