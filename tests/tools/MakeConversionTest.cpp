#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "SourceCompiler.h"
#include "common/Cp1252.h"
#include "conversion/ConversionList.h"
#include "fields/FieldRecord.h"
#include "fields/PromImageBuilder.h"
#include "platform/FileSystem.h"
#include "support/DemoTemplates.h"
#include "support/RecordingPrompt.h"
#include "support/TempDir.h"
#include "template/EventTexts.h"
#include "template/FormRules.h"
#include "template/Parser.h"
#include "template/TreeSink.h"

namespace loom {
namespace {

namespace fs = std::filesystem;

int makeConversion(const std::string& source, const std::string& output) {
    const std::string cmd =
        std::string(LOOM_MAKE_CONVERSION) + " " + source + " -o " + output + " 2>/dev/null";
    return std::system(cmd.c_str());
}

struct LoadedForm {
    explicit LoadedForm(const std::string& name) {
        const auto bytes = kqform::SourceCompiler::compile(test::demoTemplateSource(name));
        bool noErase = false;
        form = Parser().LoadFromMemory(bytes, name + ".FRM", env, noErase);
    }
    FieldRecord& field(std::uint32_t byte, unsigned bit = 0) {
        FieldRecord* r = form->store().find(byte << 3 | bit);
        EXPECT_NE(r, nullptr) << std::hex << byte << "." << bit;
        static FieldRecord none;
        return r ? *r : none;
    }

    NullTreeSink tree;
    EventTexts events;
    FormRules rules;
    SilentPrompt prompt;
    ParserEnvironment env{tree, events, rules, prompt, DialogUnits{}, nullptr, {}};
    std::unique_ptr<Form> form;
};

TEST(MakeConversion, DemoConversionCarriesGl200ValuesToVt340) {
    test::TempDir dir;
    test::installDemoConversion(dir.path(""), "GL200_VT340");
    LocalFileSystem files;
    ConversionList conversions;
    conversions.LoadConversions(files, dir.path("Convert"));
    ASSERT_EQ(conversions.entries().size(), 1u);

    LoadedForm gl("GL200"), vt("VT340");
    ASSERT_TRUE(gl.form && vt.form);

    struct Case {
        std::uint32_t glByte;
        unsigned glBit;
        std::string value;
        std::uint32_t vtByte;
        unsigned vtBit;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {0x0020, 0, "Kundföretaget i Östersund AB", 0x0010, 0, "Kundföretaget i Östersun"},
        {0x1D030, 0, "Förråd", 0x00B0, 0, "Förråd"},
        {0x0106, 0, "0", 0x00C8, 1, "0"},  // given as 0 where an erased target would read 1
        {0x0204, 0, "4", 0x0182, 0, "3"},  // 24-hour
        {0x021D, 0, "6", 0x018F, 0, "2"},  // area 6 folds onto 2
        {0x0438, 0, "987654", 0x020E, 0, "9876"},
        {0x0404, 0, "11110101", 0x0218, 0, "101"},
        {0x043C, 0, "1010", 0x021B, 4, "1010"},
    };
    for (const Case& c : cases)
        gl.field(c.glByte, c.glBit).value = utf8ToCp1252(c.value);

    PromImage image = PromImageBuilder::build(gl.form->store());
    test::RecordingPrompt prompt;
    prompt.answers = {Answer::Yes};
    ASSERT_TRUE(conversions.CheckProductModel("VT 340", gl.form->name(), image, prompt));
    ASSERT_EQ(prompt.entries.size(), 1u);

    PromImageBuilder::fillStore(vt.form->store(), image);
    for (const Case& c : cases)
        EXPECT_EQ(cp1252ToUtf8(vt.field(c.vtByte, c.vtBit).value), c.expected)
            << std::hex << c.glByte << " -> " << c.vtByte << "." << c.vtBit;
    // VT 340's identity area stays erased; its product text area holds blanks.
    EXPECT_EQ(image.read(0x7F8, 8), std::vector<std::uint8_t>(8, 0xFF));
    EXPECT_EQ(image.read(0x7F0, 8), std::vector<std::uint8_t>(8, 0x20));
}

TEST(MakeConversion, RefusesFaultySourcesAndWritesNothing) {
    test::TempDir dir;
    const std::string head = "source \"A\"\ntarget \"B\"\nproduct 0\nblank 8\n";
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"unknown statement", head + "move 1 2 3\n"},
        {"width 9", head + "bits 0 0 1 0 9\n"},
        {"set without if", head + "set 0 1 1\n"},
        {"repeat without end", head + "repeat 2 1 1\ncopy 0 1 1\n"},
        {"texts over 512 bytes",
         "source \"" + std::string(600, 'x') + "\"\ntarget \"B\"\nproduct 0\nblank 8\n"},
    };
    for (const auto& [name, source] : cases) {
        std::ofstream(dir.path("bad.txt"), std::ios::binary) << source;
        EXPECT_NE(makeConversion(dir.path("bad.txt"), dir.path("bad.cnv")), 0) << name;
        EXPECT_FALSE(fs::exists(dir.path("bad.cnv"))) << name;
    }
    std::ofstream(dir.path("good.txt"), std::ios::binary) << head + "copy 0 1 1 ; comment\n";
    EXPECT_EQ(makeConversion(dir.path("good.txt"), dir.path("good.cnv")), 0);
    EXPECT_TRUE(fs::exists(dir.path("good.cnv")));
}

}  // namespace
}  // namespace loom
