#include <gtest/gtest.h>

#include <filesystem>
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
        {0x0106, 0, "0", 0x00C8, 1, "0"},  // given as 0 where an erased target would read 1
        {0x0204, 0, "4", 0x0182, 0, "3"},  // 24-hour
        {0x021D, 0, "6", 0x018F, 0, "2"},  // area 6 folds onto 2
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

}  // namespace
}  // namespace loom
