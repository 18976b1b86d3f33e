#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
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
  values $v
  endvalues
  choice "V" #ch addr 0x80000050 list $v flags 0x80000000
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
    ASSERT_EQ(c.controls.size(), 6u);
    EXPECT_EQ(c.controls[1].optionGroup, 0u);  // #g
    const RawControl& edit = c.controls[2];
    EXPECT_EQ(edit.flags, 0x1u | 0x8 | 0x10 | 0x200);
    EXPECT_EQ(edit.field.address, (0x101u << 3) | 3);
    EXPECT_EQ(edit.maxValue, kAbsentLimit);
    EXPECT_EQ(c.controls[3].flags, 0x7u);
    EXPECT_EQ(c.controls[4].valueList, 0u);  // $v
    EXPECT_EQ(c.controls[4].flags, 0x80000001u);
    ASSERT_EQ(c.rules.size(), 2u);
    const RawRule& first = c.rules[0];
    EXPECT_EQ(first.condition.control, 4u);  // #b: the fifth numbered control
    ASSERT_EQ(first.actions.size(), 4u);
    const std::uint32_t codes[] = {60, 65, 74, 73}, targets[] = {1, 1, 0, 0};  // #e, @p
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(first.actions[i].code, codes[i]) << i;
        EXPECT_EQ(first.actions[i].target, targets[i]) << i;
    }
    std::uint64_t sum = 0;
    for (const auto& r : c.rules)
        sum += 1 + r.actions.size();
    EXPECT_EQ(c.count, sum);
}

// Groups nested `depth` deep around one empty page.
Bytes nestedGroups(std::size_t depth) {
    TemplateWriter w;
    w.header("T", "T");
    for (std::size_t i = 0; i < depth; ++i)
        w.group("G");
    w.page("P").pageEnd();
    for (std::size_t i = 0; i < depth; ++i)
        w.groupEnd();
    w.end().rules({});
    return w.finish();
}

// Templates that kqform itself would not write, but that a loader accepts: every byte in
// texts, check-box characters and event tags, open groups, odd flags.
TEST(Kqform, OddButValidTemplatesSurviveDecompileAndCompile) {
    std::string everyByte;
    for (int b = 1; b < 256; ++b)
        everyByte.push_back(static_cast<char>(b));
    TemplateWriter w;
    w.header(everyByte.substr(0, 200), everyByte.substr(200));
    w.group(everyByte).group("").page(std::string(699, '\xFF'));
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
    for (const Bytes& bytes : {odd, samples::richTemplate(), nestedGroups(kMaxGroupDepth)}) {
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
        {t + "help \"abc\n", 2, "not closed"},
        {t + "help \"" + std::string(700, 'a') + "\"\n", 2, "at most 699"},
        {p + "checkbox \"C\" on \"JA\"\nendpage\n", 3, "exactly one character"},
        {p + "option \"O\" #o group #o\nendpage\n", 3, "not defined before"},
        {p + "optiongroup \"G\" #g\nendpage\npage \"Q\"\noption \"O\" group #g\nendpage\n", 6,
         "on another page"},
        {p + "choice \"C\" prom 1\nendpage\n", 3, "needs a value list"},
        {t + "events\ncode 1\n21 \"x\"\nendevents\n", 4, "reserved"},
        {t + "rules\nwhen pressed 0\n", 3, "unknown condition"},
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

// The example in the documentation and the demo sources compile and survive the way back.
TEST(Kqform, DocumentedExampleAndDemoSourcesRoundTrip) {
    const std::string doc = readFile(std::string(LOOM_DEMO_DIR) + "/../docs/kqform.md");
    const auto start = doc.find("```\n", doc.find("## Example")) + 4;
    std::vector<std::string> sources{doc.substr(start, doc.find("```", start) - start)};
    for (const auto& entry : fs::directory_iterator(std::string(LOOM_DEMO_DIR) + "/forms")) {
        if (entry.path().extension() == ".kqf") sources.push_back(readFile(entry.path()));
    }
    for (const std::string& source : sources) {
        Bytes bytes;
        ASSERT_NO_THROW(bytes = SourceCompiler::compile(source)) << source;
        EXPECT_EQ(SourceCompiler::compile(Decompiler::decompile(bytes)), bytes) << source;
    }
}

class KqformCommand : public ::testing::Test {
  protected:
    int run(std::vector<std::string> args) {
        out.str("");
        err.str("");
        return runKqform(args, out, err);
    }
    std::string write(const std::string& name, const std::string& text) {
        std::ofstream(dir.path(name), std::ios::binary) << text;
        return dir.path(name);
    }
    long files() const { return std::distance(fs::directory_iterator(dir.path("")), {}); }

    test::TempDir dir;
    std::ostringstream out, err;
};

TEST_F(KqformCommand, CompilesAndDecompilesFiles) {
    const std::string a = write("a.kqf", test::demoTemplateSource("GL200")), A = dir.path("A.FRM"),
                      b = dir.path("b.kqf"), B = dir.path("B.FRM");
    ASSERT_EQ(run({"compile", a, "-o", A}), 0) << err.str();
    ASSERT_EQ(run({"decompile", A, "--output", b}), 0) << err.str();
    ASSERT_EQ(run({"compile", b, "-o", B}), 0);
    EXPECT_EQ(readFile(A), readFile(B));
    EXPECT_EQ(run({"decompile", A}), 0);
    EXPECT_EQ(out.str(), readFile(b));
    EXPECT_EQ(files(), 4);  // no temporary files left behind
}

// Refusals exit 1 and write nothing, keeping an old output.
TEST_F(KqformCommand, RefusalsWriteNothing) {
    const std::string bad =
        write("bad.kqf", "template \"T\" \"T\"\npage \"P\"\nlabel \"L\" bold\n");
    const std::string old = write("OLD.FRM", "old");
    EXPECT_EQ(run({"compile", bad, "-o", old}), 1);
    EXPECT_TRUE(err.str().starts_with(bad + ":3: ")) << err.str();
    EXPECT_EQ(readFile(old), "old");
    const std::string x = write("X.FRM", "not a template at all");
    EXPECT_EQ(run({"decompile", x, "-o", dir.path("x.kqf")}), 1);
    EXPECT_EQ(err.str(),
              x + ": refused by the loader: Filen \xC3\xA4r inte en mall. fil: " + x + "\n");
    fs::create_directories(dir.path("folder/inside"));
    EXPECT_EQ(run({"decompile", dir.path("folder")}), 1);
    EXPECT_TRUE(err.str().find("not a regular file") != std::string::npos) << err.str();
    // A good source over a folder that the rename cannot replace leaves no temporary file.
    EXPECT_EQ(
        run({"compile", write("good.kqf", "template \"T\" \"T\"\n"), "-o", dir.path("folder")}), 1);
    EXPECT_EQ(run({"compile", dir.path("missing.kqf"), "-o", dir.path("M.FRM")}), 1);
    EXPECT_EQ(files(), 5);
}

TEST_F(KqformCommand, UsageErrorsAndHelp) {
    using Args = std::vector<std::string>;
    EXPECT_EQ(run({"decompile", "-h"}), 0);
    EXPECT_NE(out.str().find("usage: kqform"), std::string::npos);
    for (const Args& args : {Args{}, Args{"assemble", "x"}, Args{"compile", "a.kqf"},
                             Args{"decompile", "A.FRM", "--verbose"}}) {
        EXPECT_EQ(run(args), 2) << testing::PrintToString(args);
        EXPECT_NE(err.str().find("usage: kqform"), std::string::npos);
    }
    const std::string cmd = std::string(LOOM_KQFORM) + " compile " +
                            write("bad.kqf", "nonsense\n") + " -o " + dir.path("B.FRM") +
                            " 2>/dev/null";
    int status = std::system(cmd.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
    status = std::system((std::string(LOOM_KQFORM) + " >/dev/null 2>&1").c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2);
}

}  // namespace
}  // namespace loom::kqform
