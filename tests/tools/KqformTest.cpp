#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "AtomicFile.h"
#include "Decompiler.h"
#include "KqformCli.h"
#include "SourceCompiler.h"
#include "SourceError.h"
#include "SourceToken.h"
#include "core/template/SampleTemplates.h"
#include "support/TempDir.h"
#include "template/TemplateScanner.h"
#include "template/TemplateWriter.h"

namespace loom::kqform {
namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

Bytes recompile(const Bytes& bytes) {
    return SourceCompiler::compile(Decompiler::decompile(bytes));
}

std::string readText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Collects what a template holds, to check what a source compiles to.
class Collector : public TemplateVisitor {
  public:
    void onControl(const RawControl& c) override { controls.push_back(c); }
    void onProductAddress(std::uint32_t a) override { productAddress = a; }
    void onNoErase(std::uint32_t v) override { noErase.push_back(v); }
    void onRuleCount(std::uint32_t n) override { count = n; }
    void onRule(const RawRule& r) override { rules.push_back(r); }
    std::vector<RawControl> controls;
    std::vector<RawRule> rules;
    std::vector<std::uint32_t> noErase;
    std::uint32_t productAddress = 0, count = 0;
};

Collector collect(const Bytes& bytes) {
    Collector c;
    auto scanner = TemplateScanner::fromMemory(bytes);
    scanner.readBody(c);
    return c;
}

// Every statement, with names; the rules at its end use every condition word.
const std::string kRichSource = std::string(R"(template "RICH 1" "Rik \"mall\" åäö €"
version 1
idaddress 0x1F0
productaddress -1
help "rik.hlp"
noerase
group "Yttre"
  group "Inre"
    page "Första" @forsta
      caption "före"
      optiongroup "Typ" #typ prom 0x100 size 8 type 2 fieldflags 2 default "0"
      option "A" at 1 2 3 4 value "0" group #typ
      option "B" at 1 2 3 4 value "1" group 0
      edit "Tid" #tid at 10 10 40 12 prom 0x101.3 size 5 filter 5 maxchars 3 minchars 0 maxvalue none minvalue 0x80000001 password multiline noscroll
      checkbox "På" #pa prom 0x102 size 1 type 8 on "J" off "\xA0" hidden disabled
      values $val
        "Av" "0"
        "" ""
      endvalues
      choice "Val" #val at 0 0 0 0 addr 0x80000050 list $val flags 0x80000000
      label "Rad\tett\nRad två \\ \x01" at 0xFFFFFFFF 0 0 1 flags 0x7FFFFDE0
    endpage
  endgroup
  page "Andra" @andra
    button "Knapp" #knapp at 1 1 20 10
    frame "Ram"
    picture "bild.bmp" at 0 0 30 30
    values
    endvalues
  endpage
endgroup
events
  code 0xFFFF0012
    1 "Inbrott\n"
    0 ""
    255 "sista"
  code 7
endevents
idaddress 0x200
help ""
noerase 0
events
endevents

rules
when clicked #knapp
  do show #tid
  do settext #tid "30"
  do disablepage @forsta
  do enablepage 1
when signal "larm"
when entered-value #tid #pa
  do settext-value #tid #pa
  do settext-text 1 2
  do enter #pa "J"
  do enter-value #pa #tid
  do enter-text #pa #tid
  do message "Hej"
  do raise "larm"
  do hide #val
  do enable #val
  do disable #val
  do focus #val
)") + [] {
    std::string rules;
    for (const char* c :
         {"entered-text #tid #pa", "entered-is #tid \"5\"", "textset-value #tid #pa",
          "textset-text #tid #pa", "textset-is #tid \"x\"", "layout 0", "focus 0", "blur 0",
          "shown 0", "hidden 0", "enabled 0", "disabled 0", "rightclicked 0", "entered 0",
          "textset 0", "49 4\n  do 60 4"})
        rules = rules + "when " + c + "\n";
    return rules;
}();

TEST(Kqform, RichSourceSurvivesDecompileAndCompile) {
    Bytes bytes = SourceCompiler::compile(kRichSource);
    EXPECT_EQ(recompile(bytes), bytes);
}

TEST(Kqform, NamesAndWordsCompileToTheirNumbersAndBits) {
    Collector c = collect(SourceCompiler::compile(kRichSource));
    EXPECT_EQ(c.productAddress, 0xFFFFFFFFu);
    EXPECT_EQ(c.noErase, (std::vector<std::uint32_t>{1, 0}));
    ASSERT_EQ(c.controls.size(), 10u);
    EXPECT_EQ(c.controls[1].optionGroup, 0u);  // #typ
    EXPECT_EQ(c.controls[2].optionGroup, 0u);
    const RawControl& edit = c.controls[3];
    EXPECT_EQ(edit.flags, 0x1u | 0x8 | 0x10 | 0x200);
    EXPECT_EQ(edit.field.address, (0x101u << 3) | 3);
    EXPECT_EQ(edit.minChars, 0u);
    EXPECT_EQ(edit.maxValue, kAbsentLimit);
    EXPECT_EQ(edit.minValue, 0x80000001u);
    EXPECT_EQ(c.controls[4].offChar, "\xA0");
    EXPECT_EQ(c.controls[4].flags, 0x7u);
    EXPECT_EQ(c.controls[5].valueList, 0u);  // $val
    EXPECT_EQ(c.controls[5].flags, 0x80000001u);
    EXPECT_EQ(c.controls[6].text, "Rad\tett\nRad tv\xE5 \\ \x01");
    EXPECT_EQ(c.controls[6].rect.x, 0xFFFFFFFFu);
    ASSERT_FALSE(c.rules.empty());
    const RawRule& first = c.rules[0];
    EXPECT_EQ(first.condition.control, 4u);  // #knapp: the fifth numbered control
    ASSERT_EQ(first.actions.size(), 4u);
    const std::uint32_t codes[] = {60, 65, 74, 73}, targets[] = {1, 1, 0, 1};  // #tid, @forsta
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(first.actions[i].code, codes[i]) << i;
        EXPECT_EQ(first.actions[i].target, targets[i]) << i;
    }
    std::uint64_t sum = 0;
    for (const auto& r : c.rules)
        sum += 1 + r.actions.size();
    EXPECT_EQ(c.count, sum);
}

// Templates that kqform itself would not write, but that a loader accepts.
TEST(Kqform, OddButValidTemplatesSurviveDecompileAndCompile) {
    std::string everyByte;
    for (int b = 1; b < 256; ++b)
        everyByte.push_back(static_cast<char>(b));
    std::vector<Bytes> odd{samples::richTemplate()};
    {
        // Rule count below the sum: reading stops inside the sum of the last rule.
        TemplateWriter w;
        w.header("N", "N").page("P").control(samples::control(TemplateTag::Button, "B", 1));
        w.pageEnd().end();
        w.rules(3, {samples::rule(49, 0, {samples::action(60, 0)}),
                    samples::rule(49, 0, {samples::action(60, 0), samples::action(61, 0)})});
        odd.push_back(w.finish());
    }
    {
        // Every byte in texts, check-box characters and event tags; open groups; odd flags.
        TemplateWriter w;
        w.header(everyByte.substr(0, 200), everyByte.substr(200));
        w.group(everyByte).group("").page(std::string(699, '\xFF'));
        RawControl box =
            samples::dataControl(TemplateTag::CheckBox, everyByte, 0xFFFFFFFFu, 0xFFFFFFFFu);
        box.onChar = "\x01";
        box.offChar = "\"";
        box.field = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, "\\"};
        w.control(box);
        w.control(samples::dataControl(TemplateTag::OptionGroup, "", 0, 0xFFFFFFFFu));
        RawControl option = samples::control(TemplateTag::Option, "", 0xFFFFFFFEu);
        option.optionGroup = 1;
        w.control(option);
        RawControl edit = samples::dataControl(TemplateTag::Edit, "", 0);
        edit.filter = 0xFFFFFFFFu;
        edit.maxChars = edit.minChars = edit.maxValue = edit.minValue = 0;
        w.control(edit);
        w.valueList({{everyByte.substr(100), everyByte.substr(0, 100)}});
        w.pageEnd();
        std::vector<RawEventCode> events(1);
        for (int tag = 0; tag < 256; ++tag) {
            if (tag != 21 && tag != 29) {
                events[0].entries.push_back(
                    {static_cast<std::uint8_t>(tag), everyByte.substr(0, 3)});
            }
        }
        w.events(events).idAddress(0).idAddress(0x80000000u).noErase(7).noErase(0);
        w.end().rules(2, {samples::rule(51, 1, {samples::action(73, 0)})});
        Bytes bytes = w.finish();
        bytes.insert(bytes.end(), {0, 1, 0xFF, '"'});  // ignored bytes after the checksum
        odd.push_back(bytes);
    }
    for (std::size_t i = 0; i < odd.size(); ++i) {
        std::string source = Decompiler::decompile(odd[i]);
        Bytes again;
        ASSERT_NO_THROW(again = SourceCompiler::compile(source)) << i << "\n" << source;
        EXPECT_EQ(again, odd[i]) << i << "\n" << source;
    }
}

// The decompiler refuses what the loader refuses, with the loader's message in UTF-8 on one
// line, naming the file: here a file that is no template, and an option button whose group
// is on another page, which the scanner passes on.
TEST(Kqform, DecompileRefusesWhatTheLoaderRefuses) {
    TemplateWriter w;
    w.header("T", "T").page("P");
    w.control(samples::dataControl(TemplateTag::OptionGroup, "G", 0x100 << 3, 1));
    RawControl option = samples::control(TemplateTag::Option, "O");
    option.optionGroup = 0;
    w.pageEnd().page("Q").control(option).pageEnd().end().rules({});
    const std::pair<Bytes, const char*> cases[] = {{Bytes{'x', 'y'}, "inte en mall"},
                                                   {w.finish(), "kan inte tolkas"}};
    for (const auto& [bytes, message] : cases) {
        try {
            Decompiler::decompile(bytes, "n\xC3\xA4r.FRM");
            ADD_FAILURE() << message;
        } catch (const TemplateRefused& e) {
            std::string what = e.what();
            EXPECT_NE(what.find(message), std::string::npos) << what;
            EXPECT_NE(what.find("n\xC3\xA4r.FRM"), std::string::npos) << what;
            EXPECT_EQ(what.find('\n'), std::string::npos) << what;
        }
    }
}

TEST(Kqform, CompilesSettingsAndVersion) {
    const Bytes empty = TemplateWriter().header("A", "B").end().rules({}).finish();
    EXPECT_EQ(SourceCompiler::compile("template \"A\" \"B\"\nversion 1\n"), empty);
    EXPECT_EQ(SourceCompiler::compile("\xEF\xBB\xBFtemplate \"A\" \"B\"\r\nrules count 0\r\n"),
              empty);
}

// One case for each check, with the line it names and a part of its message.
TEST(Kqform, ReportsFaultsWithTheirLine) {
    const std::string t = "template \"T\" \"T\"\n";          // line 1
    const std::string p = t + "page \"P\"\n";                // lines 1-2
    const std::string r = t + "rules\nwhen signal \"s\"\n";  // lines 1-3
    struct Case {
        std::string source;
        int line;
        const char* message;
    };
    const Case cases[] = {
        {"", 1, "template"},
        {"page \"P\"\n", 1, "must start with template"},
        {"template \"T\"\n", 1, "title"},
        {t + "template \"U\" \"U\"\n", 2, "only one"},
        {t + "group \"G\"\nversion 1\n", 3, "right after"},
        {t + "version 2\n", 2, "only version 1"},
        {t + "\n\nendgroup\n", 4, "endgroup without"},
        {t + "label \"L\"\n", 2, "inside a page"},
        {t + "foo\n", 2, "unknown statement"},
        {t + "idaddress 4294967296\n", 2, "32-bit"},
        {t + "help \"abc\n", 2, "not closed"},
        {t + "help \"\\q\"\n", 2, "escape"},
        {t + "help \"\\x4\"\n", 2, "two hexadecimal"},
        {t + "help \"\\x00\"\n", 2, "zero byte"},
        {t + "help \"日本\"\n", 2, "code page 1252"},
        {t + "help \"a\" \"b\"\n", 2, "unexpected string"},
        {t + "trailer \"x\"\nhelp \"\"\n", 3, "nothing may follow"},
        {p + "page \"Q\"\n", 3, "not allowed inside a page"},
        {t + "\npage \"P\"\nvalues\n\"a\" \"0\"\nendvalues\nlabel \"L\"\n", 3, "page not closed"},
        {p + "edit \"E\" maxchars many\nendpage\n", 3, "not a 32-bit number"},
        {p + "checkbox \"C\" on \"JA\"\nendpage\n", 3, "exactly one character"},
        {p + "label \"L\" default \"x\"\nendpage\n", 3, "not a property"},
        {p + "label \"L\" bold\nendpage\n", 3, "unknown control property"},
        {p + "option \"O\" group 0\nendpage\n", 3, "does not exist"},
        {p + "option \"O\" #o group #o\nendpage\n", 3, "not defined before"},
        {p + "label \"L\" #l\noption \"O\" group #l\nendpage\n", 4,
         "(label) is not an optiongroup"},
        {p + "optiongroup \"G\" #g\nendpage\npage \"Q\"\noption \"O\" group #g\nendpage\n", 6,
         "on another page"},
        {p + "optiongroup \"G\" #g\noption \"O\" value \"1\"\nendpage\n", 4,
         "needs its option group"},
        {p + "choice \"C\" prom 1\nendpage\n", 3, "needs a value list"},
        {p + "choice \"C\" list 0\nendpage\n", 3, "does not exist"},
        {p + "choice \"C\" list $v\nvalues $v\nendvalues\nendpage\n", 3, "not defined before"},
        {p + "edit \"A\" #a\nedit \"B\" #a\nendpage\n", 4, "used twice"},
        {p + "edit \"A\" prom 0x10.8\nendpage\n", 3, "prom"},
        {p + "values\n\"a\"\nendvalues\nendpage\n", 4, "stored value"},
        {p + "values\nendpage\n", 4, "endvalues expected"},
        {p + "values\n", 3, "endvalues missing"},
        {t + "events\n1 \"x\"\nendevents\n", 3, "before the first code"},
        {t + "events\ncode 1\n21 \"x\"\nendevents\n", 4, "reserved"},
        {t + "events\ncode 1\n29 \"x\"\nendevents\n", 4, "reserved"},
        {t + "events\ncode 1\n256 \"x\"\nendevents\n", 4, "one byte"},
        {t + "events\ncode 1\n", 2, "endevents missing"},
        {t + "rules\ndo show 0\n", 3, "before the first when"},
        {t + "rules\nwhen pressed 0\n", 3, "unknown condition"},
        {t + "rules\nwhen 60 0\n", 3, "unknown condition"},
        {r + "do 59 0\n", 4, "unknown action"},
        {r + "do disablepage 0\n", 4, "does not exist"},
        {r + "do disablepage @p\n", 4, "not defined"},
        {r + "group \"G\"\n", 4, "only when, do"},
        // A rule count must end inside the last rule's entries.
        {t + "rules count 1\n", 2, "does not end at the last rule"},
        {t + "\nrules count 3\nwhen signal \"a\"\nwhen signal \"b\"\n", 3, "does not end"},
        {t + "rules count 1\nwhen signal \"a\"\nwhen signal \"b\"\n", 2, "does not end"},
        // The longest text is 699 characters.
        {t + "help \"" + std::string(700, 'a') + "\"\n", 2, "at most 699"},
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
    EXPECT_NO_THROW(SourceCompiler::compile(t + "help \"" + std::string(699, 'a') + "\"\n"));
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

TEST(Kqform, GroupsNestAsDeepAsTheLoaderAllows) {
    Bytes deepest = nestedGroups(kMaxGroupDepth);
    std::string source = Decompiler::decompile(deepest);
    EXPECT_EQ(SourceCompiler::compile(source), deepest);
    // The indentation stops growing: uncapped, it alone would take over 130000 bytes.
    std::size_t widest = 0;
    std::istringstream lines(source);
    for (std::string line; std::getline(lines, line);)
        widest = std::max(widest, line.find_first_not_of(' '));
    EXPECT_GT(widest, 8u);
    EXPECT_LE(widest, 32u);
    EXPECT_LT(source.size(), 30000u);
    // One deeper: refused by both, the compiler naming the line of the group too many.
    EXPECT_THROW(Decompiler::decompile(nestedGroups(kMaxGroupDepth + 1)), TemplateRefused);
    try {
        SourceCompiler::compile(source.insert(source.find('\n') + 1, "group \"G\"\n"));
        ADD_FAILURE() << "compiled groups nested too deep";
    } catch (const SourceError& e) {
        EXPECT_EQ(e.line(), static_cast<int>(kMaxGroupDepth) + 2);
        EXPECT_NE(std::string(e.what()).find("at most 256"), std::string::npos) << e.what();
    }
}

TEST(Kqform, AcceptsWhatTheLoaderAccepts) {
    // A choice without list takes list 0; an option's group is an option group on its page.
    const char* const sources[] = {
        "template \"T\" \"T\"\npage \"P\"\nvalues\nendvalues\nchoice \"C\"\nendpage\n",
        "template \"T\" \"T\"\npage \"P\"\noptiongroup \"G\" numbered\nlabel \"L\" numbered\n"
        "option \"O\" group 0 numbered\noption \"O\" group 0\nendpage\n",
        "template \"T\" \"T\"\nevents\nendevents\nevents\ncode 1\nendevents\n",
    };
    for (const char* source : sources)
        EXPECT_NO_THROW(SourceCompiler::compile(source)) << source;
    // Every rule count that ends inside the last rule is kept as written.
    const std::string rules =
        "template \"T\" \"T\"\npage \"P\"\nbutton \"B\" numbered\nendpage\nrules count %"
        "\nwhen clicked 0\ndo show 0\nwhen clicked 0\ndo show 0\ndo hide 0\n";
    for (std::uint32_t n : {3u, 4u, 5u}) {
        std::string source = rules;
        source.replace(source.find('%'), 1, std::to_string(n));
        Collector c = collect(SourceCompiler::compile(source));
        EXPECT_EQ(c.count, n);
        EXPECT_EQ(c.rules.size(), 2u);
    }
}

// The example in the documentation and the demo sources compile and survive the way back.
TEST(Kqform, DocumentedExampleAndDemoSourcesRoundTrip) {
    std::string doc = readText(std::string(LOOM_DEMO_DIR) + "/../docs/kqform.md");
    auto at = doc.find("## Example");
    ASSERT_NE(at, std::string::npos);
    auto start = doc.find("```\n", at) + 4;
    std::vector<std::pair<std::string, std::string>> sources{
        {"docs/kqform.md", doc.substr(start, doc.find("```", start) - start)}};
    fs::path forms = std::string(LOOM_DEMO_DIR) + "/forms";
    if (fs::exists(forms)) {
        for (const auto& entry : fs::directory_iterator(forms)) {
            if (entry.path().extension() == ".kqf")
                sources.emplace_back(entry.path().string(), readText(entry.path()));
        }
    }
    for (const auto& [name, source] : sources) {
        Bytes bytes;
        ASSERT_NO_THROW(bytes = SourceCompiler::compile(source)) << name;
        EXPECT_EQ(recompile(bytes), bytes) << name;
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
    const std::string a = write("a.kqf", kRichSource), A = dir.path("A.FRM"), b = dir.path("b.kqf"),
                      B = dir.path("B.FRM");
    ASSERT_EQ(run({"compile", a, "-o", A}), 0) << err.str();
    ASSERT_EQ(run({"decompile", A, "--output", b}), 0) << err.str();
    ASSERT_EQ(run({"compile", b, "-o", B}), 0);
    EXPECT_EQ(readText(A), readText(B));
    EXPECT_EQ(run({"decompile", A}), 0);
    EXPECT_EQ(out.str(), readText(b));
    // Only the two outputs, no temporary files left behind.
    EXPECT_EQ(files(), 4);
}

TEST_F(KqformCommand, FaultySourceWritesNothingAndKeepsTheOldOutput) {
    const std::string bad =
        write("bad.kqf", "template \"T\" \"T\"\npage \"P\"\nlabel \"L\" bold\n");
    const std::string old = write("OLD.FRM", "old");
    EXPECT_EQ(run({"compile", bad, "-o", old}), 1);
    EXPECT_EQ(err.str().rfind(bad + ":3: ", 0), 0u) << err.str();
    EXPECT_EQ(readText(old), "old");
    EXPECT_EQ(run({"compile", bad, "-o", dir.path("NEW.FRM")}), 1);
    EXPECT_EQ(files(), 2);
}

TEST_F(KqformCommand, RefusesFilesThatAreNotTemplates) {
    const std::string x = write("X.FRM", "not a template at all");
    EXPECT_EQ(run({"decompile", x, "-o", dir.path("x.kqf")}), 1);
    // The loader's message, in UTF-8, on the one error line.
    const std::string shown = err.str();
    EXPECT_EQ(shown, x + ": refused by the loader: Filen \xC3\xA4r inte en mall. fil: " + x + "\n");
    EXPECT_EQ(run({"decompile", dir.path("missing.FRM")}), 1);
    EXPECT_EQ(run({"compile", dir.path("missing.kqf"), "-o", dir.path("M.FRM")}), 1);
    EXPECT_EQ(files(), 1);
}

TEST_F(KqformCommand, AtomicFileReadsOnlyRegularFilesAndLeavesNoTemporaryFile) {
    fs::create_directories(dir.path("target/inside"));
    std::string data = "keep", error;
    EXPECT_FALSE(readWholeFile(dir.path("target"), data, error));
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    EXPECT_EQ(data, "keep");
    EXPECT_EQ(run({"decompile", dir.path("target")}), 1);
    EXPECT_NE(err.str().find("not a regular file"), std::string::npos) << err.str();
    EXPECT_FALSE(readWholeFile(dir.path("missing"), data, error));
    EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
    ASSERT_TRUE(readWholeFile(write("f", std::string("a\0b", 3)), data, error)) << error;
    EXPECT_EQ(data, std::string("a\0b", 3));
    fs::remove(dir.path("f"));
    // The target is a directory with something in it: the rename over it fails.
    EXPECT_FALSE(writeFileAtomically(dir.path("target"), "data").empty());
    EXPECT_TRUE(fs::is_directory(dir.path("target")));
    EXPECT_EQ(files(), 1);
    // A folder that does not exist: nothing can be created.
    error = writeFileAtomically(dir.path("none/F.FRM"), "data");
    EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
    EXPECT_EQ(files(), 1);
    // A good write leaves just the file.
    EXPECT_EQ(writeFileAtomically(dir.path("F.FRM"), "data"), "");
    EXPECT_EQ(readText(dir.path("F.FRM")), "data");
    EXPECT_EQ(files(), 2);
}

TEST_F(KqformCommand, UsageErrorsAndHelp) {
    using Args = std::vector<std::string>;
    for (const Args& args : {Args{"--help"}, Args{"compile", "--help"}, Args{"decompile", "-h"}}) {
        EXPECT_EQ(run(args), 0) << testing::PrintToString(args);
        EXPECT_NE(out.str().find("usage: kqform"), std::string::npos);
    }
    const Args usageErrors[] = {{},
                                {"assemble", "x"},
                                {"compile", "a.kqf"},
                                {"compile", "-o", "A.FRM"},
                                {"compile", "a.kqf", "b.kqf", "-o", "A.FRM"},
                                {"compile", "a.kqf", "-o"},
                                {"compile", "a.kqf", "-o", "A.FRM", "-o", "B.FRM"},
                                {"decompile", "A.FRM", "--verbose"}};
    for (const Args& args : usageErrors) {
        EXPECT_EQ(run(args), 2) << testing::PrintToString(args);
        EXPECT_NE(err.str().find("usage: kqform"), std::string::npos);
    }
}

TEST_F(KqformCommand, ProgramExitsWithTheCommandsCode) {
    std::string cmd = std::string(LOOM_KQFORM) + " compile " + write("bad.kqf", "nonsense\n") +
                      " -o " + dir.path("B.FRM") + " 2>/dev/null";
    int status = std::system(cmd.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
    status = std::system((std::string(LOOM_KQFORM) + " >/dev/null 2>&1").c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2);
}

}  // namespace
}  // namespace loom::kqform
