#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "Decompiler.h"
#include "KqformCli.h"
#include "SourceCompiler.h"
#include "SourceError.h"
#include "core/template/SampleTemplates.h"
#include "support/DemoTemplates.h"
#include "support/TempDir.h"
#include "template/TemplateScanner.h"
#include "template/TemplateWriter.h"

namespace loom::kqform {
namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;
using test::readFile;

// Collects what a template holds, to check what a source compiles to.
class Collector : public TemplateVisitor {
  public:
    void onControl(const RawControl& c) override { controls.push_back(c); }
    void onRuleCount(std::uint32_t n) override { count = n; }
    void onRule(const RawRule& r) override { rules.push_back(r); }
    std::vector<RawControl> controls;
    std::vector<RawRule> rules;
    std::uint32_t count = 0;
};

Collector collect(const Bytes& bytes) {
    Collector c;
    auto scanner = TemplateScanner::fromMemory(bytes);
    scanner.readBody(c);
    return c;
}

// Names resolve to their numbers, words to their codes and bits.
TEST(Kqform, NamesAndWordsCompileToTheirNumbersAndBits) {
    const Collector c = collect(SourceCompiler::compile(R"(template "T" "T"
page "P" @p
  optiongroup "G" #g prom 0x100 size 8
  option "A" value "0" group #g
  edit "E" #e prom 0x101.3 size 5 maxvalue none password multiline noscroll
  checkbox "C" #c prom 0x102 size 1 on "J" hidden disabled
  button "B" #b
endpage
rules
when clicked #b
  do show #e
  do settext #e "30"
  do disablepage @p
  do enablepage 0
when signal "s"
)"));
    ASSERT_EQ(c.controls.size(), 5u);
    EXPECT_EQ(c.controls[1].optionGroup, 0u);  // #g
    const RawControl& edit = c.controls[2];
    EXPECT_EQ(edit.flags, 0x1u | 0x8 | 0x10 | 0x200);
    EXPECT_EQ(edit.field.address, (0x101u << 3) | 3);
    EXPECT_EQ(edit.maxValue, kAbsentLimit);
    EXPECT_EQ(c.controls[3].flags, 0x7u);
    ASSERT_EQ(c.rules.size(), 2u);
    const RawRule& first = c.rules[0];
    EXPECT_EQ(first.condition.control, 3u);  // #b: the fourth numbered control
    ASSERT_EQ(first.actions.size(), 4u);
    const std::uint32_t codes[] = {60, 65, 74, 73}, targets[] = {1, 1, 0, 0};  // #e, @p
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(first.actions[i].code, codes[i]) << i;
        EXPECT_EQ(first.actions[i].target, targets[i]) << i;
    }
    EXPECT_EQ(c.count, 6u);  // each condition and each action counts one
}

// Templates that kqform itself would not write, but that a loader accepts: every byte in
// texts, check-box characters and event tags, open groups as deep as allowed, odd flags.
TEST(Kqform, OddButValidTemplatesSurviveDecompileAndCompile) {
    std::string everyByte;
    for (int b = 1; b < 256; ++b)
        everyByte.push_back(static_cast<char>(b));
    TemplateWriter w;
    w.header(everyByte.substr(0, 200), everyByte.substr(200));
    w.group(everyByte);
    for (std::size_t depth = 1; depth < kMaxGroupDepth; ++depth)
        w.group("");
    w.page(std::string(699, '\xFF'));
    RawControl box = samples::dataControl(TemplateTag::CheckBox, everyByte, 0, 0xFFFFFFFFu);
    box.onChar = "\\";
    box.offChar = "\"";
    w.control(box);
    w.valueList({{everyByte.substr(100), everyByte.substr(0, 100)}});
    w.pageEnd();
    std::vector<RawEventCode> events(1);
    for (int tag = 0; tag < 256; ++tag) {
        if (tag != 21 && tag != 29)
            events[0].entries.push_back({static_cast<std::uint8_t>(tag), everyByte.substr(0, 3)});
    }
    w.events(events).idAddress(0).idAddress(0x80000000u).noErase(7).noErase(0);
    w.end().rules(2, {samples::rule(51, 0, {samples::action(73, 0)})});
    Bytes odd = w.finish();
    odd.insert(odd.end(), {0, 1, 0xFF, '"'});  // ignored bytes after the checksum
    for (const Bytes& bytes : {odd, samples::richTemplate()}) {
        const std::string source = Decompiler::decompile(bytes);
        Bytes again;
        ASSERT_NO_THROW(again = SourceCompiler::compile(source)) << source;
        EXPECT_EQ(again, bytes) << source;
    }
}

// One case for each kind of check, with the line it names and a part of its message.
TEST(Kqform, ReportsFaultsWithTheirLine) {
    const std::string t = "template \"T\" \"T\"\n";  // line 1
    const std::string p = t + "page \"P\"\n";        // lines 1-2
    const struct {
        std::string source;
        int line;
        const char* message;
    } cases[] = {
        {"page \"P\"\n", 1, "must start with template"},
        {t + "label \"L\"\n", 2, "inside a page"},
        {p + "checkbox \"C\" on \"JA\"\nendpage\n", 3, "exactly one character"},
        {p + "optiongroup \"G\" #g\nendpage\npage \"Q\"\noption \"O\" group #g\nendpage\n", 6,
         "on another page"},
        {t + "events\ncode 1\n21 \"x\"\nendevents\n", 4, "reserved"},
        {t + "\nrules count 3\nwhen signal \"a\"\nwhen signal \"b\"\n", 3, "does not end"},
    };
    for (const auto& c : cases) {
        try {
            SourceCompiler::compile(c.source);
            ADD_FAILURE() << "compiled: " << c.source;
        } catch (const SourceError& e) {
            EXPECT_EQ(e.line(), c.line) << c.source << "\n" << e.what();
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << c.source << "\n"
                                                                                << e.what();
        }
    }
}

// Files in and out. A refusal exits 1 and writes nothing, keeping the old output and
// leaving no temporary file; misuse exits 2.
TEST(KqformCommand, CompilesDecompilesAndRefuses) {
    test::TempDir dir;
    std::ostringstream out, err;
    const auto run = [&](const std::vector<std::string>& args) {
        out.str("");
        err.str("");
        return runKqform(args, out, err);
    };
    const std::string a = dir.path("a.kqf"), A = dir.path("A.FRM"), b = dir.path("b.kqf");
    test::writeFile(a, test::demoTemplateSource("GL200"));
    ASSERT_EQ(run({"compile", a, "-o", A}), 0) << err.str();
    ASSERT_EQ(run({"decompile", A, "--output", b}), 0) << err.str();
    test::writeFile(a, "template \"T\" \"T\"\npage \"P\"\nlabel \"L\" bold\n");
    EXPECT_EQ(run({"compile", a, "-o", A}), 1);
    EXPECT_TRUE(err.str().starts_with(a + ":3: ")) << err.str();
    ASSERT_EQ(run({"compile", b, "-o", dir.path("B.FRM")}), 0);
    EXPECT_EQ(readFile(A), readFile(dir.path("B.FRM")));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path("")), {}), 4);
    EXPECT_EQ(run({"decompile", a}), 1);
    EXPECT_EQ(err.str(),
              a + ": refused by the loader: Filen \xC3\xA4r inte en mall. fil: " + a + "\n");

    EXPECT_EQ(run({"compile", "a.kqf"}), 2);
    EXPECT_NE(err.str().find("usage: kqform"), std::string::npos);
}

}  // namespace
}  // namespace loom::kqform
