#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "AtomicFile.h"
#include "Decompiler.h"
#include "KqformCli.h"
#include "SourceCompiler.h"
#include "SourceError.h"
#include "SourceToken.h"
#include "core/template/SampleTemplates.h"
#include "template/TemplateScanner.h"
#include "template/TemplateWriter.h"

namespace loom::kqform {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes recompile(const Bytes& bytes) {
    return SourceCompiler::compile(Decompiler::decompile(bytes));
}

// Collects the controls and rules a template holds, to check what a source compiles to.
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

const char* const kRichSource = R"(; every statement, with names
template "RICH 1" "Rik \"mall\" åäö €"
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
when entered-text #tid #pa
when entered-is #tid "5"
when textset-value #tid #pa
when textset-text #tid #pa
when textset-is #tid "x"
when layout 0
when focus 0
when blur 0
when shown 0
when hidden 0
when enabled 0
when disabled 0
when rightclicked 0
when entered 0
when textset 0
when 49 4
  do 60 4
)";

TEST(Kqform, RichSourceSurvivesDecompileAndCompile) {
    Bytes bytes = SourceCompiler::compile(kRichSource);
    EXPECT_EQ(recompile(bytes), bytes);
}

TEST(Kqform, NamesAndWordsCompileToTheirNumbersAndBits) {
    Collector c = collect(SourceCompiler::compile(kRichSource));
    ASSERT_EQ(c.controls.size(), 10u);
    const RawControl& optionB = c.controls[2];
    EXPECT_EQ(optionB.optionGroup, 0u);
    EXPECT_EQ(c.controls[1].optionGroup, 0u);  // #typ
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
    EXPECT_EQ(first.actions[0].target, 1u);  // #tid
    EXPECT_EQ(first.actions[2].code, 74u);
    EXPECT_EQ(first.actions[2].target, 0u);  // @forsta
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
    std::vector<Bytes> odd;
    odd.push_back(samples::richTemplate());
    odd.push_back(samples::minimalTemplate());
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

TEST(Kqform, DecompileRefusesWhatTheLoaderRefuses) {
    Bytes bad = TemplateWriter().header("T", "T").end().rules({}).finishWithWrongChecksum();
    EXPECT_THROW(Decompiler::decompile(bad), TemplateRefused);
    Bytes v2 = TemplateWriter().header("T", "T", 2).end().rules({}).finish();
    EXPECT_THROW(Decompiler::decompile(v2), TemplateRefused);
    // The loader's own messages, in UTF-8 and on one line, naming the file.
    try {
        Decompiler::decompile(Bytes{'x', 'y'}, "n\xC3\xA4r.FRM");
        ADD_FAILURE() << "decompiled two bytes";
    } catch (const TemplateRefused& e) {
        std::string what = e.what();
        EXPECT_NE(what.find("inte en mall"), std::string::npos) << what;
        EXPECT_NE(what.find("n\xC3\xA4r.FRM"), std::string::npos) << what;
        EXPECT_EQ(what.find('\n'), std::string::npos) << what;
    }
}

Bytes optionGroupOnAnotherPage() {
    TemplateWriter w;
    w.header("T", "T").page("P1");
    w.control(samples::dataControl(TemplateTag::OptionGroup, "G", 0x100 << 3, 1));
    w.pageEnd().page("P2");
    RawControl option = samples::control(TemplateTag::Option, "O");
    option.optionGroup = 0;
    w.control(option).pageEnd().end().rules({});
    return w.finish();
}

Bytes optionButtonInALabel() {
    TemplateWriter w;
    w.header("T", "T").page("P").control(samples::control(TemplateTag::Label, "L", 1));
    RawControl option = samples::control(TemplateTag::Option, "O");
    option.optionGroup = 0;
    w.control(option).pageEnd().end().rules({});
    return w.finish();
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

std::string nestedGroupsSource(std::size_t depth) {
    std::string s = "template \"T\" \"T\"\n";
    for (std::size_t i = 0; i < depth; ++i)
        s += "group \"G\"\n";
    s += "page \"P\"\nendpage\n";
    for (std::size_t i = 0; i < depth; ++i)
        s += "endgroup\n";
    return s;
}

// Items the scanner passes on but the loader refuses: one page, one numbered button.
TEST(Kqform, DecompileRefusesReferencesToWhatDoesNotExist) {
    auto build = [](const RawControl* extra, const std::vector<RawRule>& rules) {
        TemplateWriter w;
        w.header("T", "T").page("P").control(samples::control(TemplateTag::Button, "B", 1));
        if (extra) w.control(*extra);
        w.valueList({{"a", "0"}}).pageEnd().end().rules(rules);
        return w.finish();
    };
    RawControl choice = samples::dataControl(TemplateTag::Choice, "C", 0, 0);
    choice.valueList = 0;  // the list comes after it
    RawControl option = samples::control(TemplateTag::Option, "O", 1);
    option.optionGroup = 1;  // itself: not numbered before it
    RawControl inLabel = option;
    inLabel.optionGroup = 0;  // the button: numbered, but not an option group
    RawRule twoControls = samples::rule(53, 0, {});
    twoControls.condition.control2 = 1;
    struct Case {
        const char* name;
        Bytes bytes;
    };
    const Case cases[] = {
        {"value list defined after the choice", build(&choice, {})},
        {"option group not numbered before", build(&option, {})},
        {"option button in a button", build(&inLabel, {})},
        {"option group on another page", optionGroupOnAnotherPage()},
        {"option button in a label", optionButtonInALabel()},
        {"condition control equal to the count", build(nullptr, {samples::rule(49, 1, {})})},
        {"second condition control", build(nullptr, {twoControls})},
        {"action control", build(nullptr, {samples::rule(49, 0, {samples::action(60, 7)})})},
        {"action second control",
         build(nullptr, {samples::rule(49, 0, {samples::action(66, 0, 1)})})},
        {"page equal to the page count",
         build(nullptr, {samples::rule(49, 0, {samples::action(74, 1)})})},
    };
    for (const auto& c : cases) {
        try {
            Decompiler::decompile(c.bytes);
            ADD_FAILURE() << c.name;
        } catch (const TemplateRefused& e) {
            EXPECT_NE(std::string(e.what()).find("kan inte tolkas"), std::string::npos)
                << c.name << ": " << e.what();
        }
    }
    // The same template with good references decompiles.
    EXPECT_NO_THROW(Decompiler::decompile(build(
        nullptr, {samples::rule(49, 0, {samples::action(74, 0), samples::action(66, 0, 0)})})));
}

TEST(Kqform, EveryByteSurvivesQuoting) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    auto tokens = tokenizeLine("x " + quoteText(all) + " ; comment", 1);
    ASSERT_EQ(tokens.size(), 2u);
    EXPECT_EQ(tokens[1].kind, SourceToken::Kind::String);
    EXPECT_EQ(tokens[1].text, all);
}

TEST(Kqform, CompilesSettingsAndVersion) {
    Bytes bytes = SourceCompiler::compile("template \"A\" \"B\"\nversion 1\n");
    EXPECT_EQ(bytes, TemplateWriter().header("A", "B").end().rules({}).finish());
    bytes = SourceCompiler::compile("\xEF\xBB\xBFtemplate \"A\" \"B\"\r\nrules count 0\r\n");
    EXPECT_EQ(bytes, TemplateWriter().header("A", "B").end().rules({}).finish());
}

struct ErrorCase {
    const char* source;
    int line;
    const char* message;  // a part of the message
};

TEST(Kqform, ReportsFaultsWithTheirLine) {
    const std::string head = "template \"T\" \"T\"\n";  // line 1
    const ErrorCase cases[] = {
        {"", 1, "template"},
        {"page \"P\"\n", 1, "must start with template"},
        {"template \"T\"\n", 1, "title"},
        {"template \"T\" \"T\"\ntemplate \"U\" \"U\"\n", 2, "only one"},
        {"template \"T\" \"T\"\ngroup \"G\"\nversion 1\n", 3, "right after"},
        {"template \"T\" \"T\"\n\n\nendgroup\n", 4, "endgroup without"},
        {"template \"T\" \"T\"\npage \"P\"\nlabel \"L\"\n", 2, "endpage missing"},
        {"template \"T\" \"T\"\nlabel \"L\"\n", 2, "inside a page"},
        {"template \"T\" \"T\"\npage \"P\"\npage \"Q\"\n", 3, "not allowed inside a page"},
        {"template \"T\" \"T\"\npage \"P\"\nedit \"E\" maxchars many\nendpage\n", 3,
         "not a 32-bit number"},
        {"template \"T\" \"T\"\nidaddress 0x100000000\n", 2, "32-bit"},
        {"template \"T\" \"T\"\nidaddress 4294967296\n", 2, "32-bit"},
        {"template \"T\" \"T\"\nhelp \"abc\n", 2, "not closed"},
        {"template \"T\" \"T\"\nhelp \"\\q\"\n", 2, "escape"},
        {"template \"T\" \"T\"\nhelp \"\\x4\"\n", 2, "two hexadecimal"},
        {"template \"T\" \"T\"\nhelp \"\\x00\"\n", 2, "zero byte"},
        {"template \"T\" \"T\"\nhelp \"日本\"\n", 2, "code page 1252"},
        {"template \"T\" \"T\"\nhelp \"a\" \"b\"\n", 2, "unexpected string"},
        {"template \"T\" \"T\"\nfoo\n", 2, "unknown statement"},
        {"template \"T\" \"T\"\npage \"P\"\ncheckbox \"C\" on \"JA\"\nendpage\n", 3,
         "exactly one character"},
        {"template \"T\" \"T\"\npage \"P\"\ncheckbox \"C\" off \"\"\nendpage\n", 3,
         "exactly one character"},
        {"template \"T\" \"T\"\npage \"P\"\noptiongroup \"O\" at 1 1 1 1\nendpage\n", 3,
         "not a property"},
        {"template \"T\" \"T\"\npage \"P\"\nlabel \"L\" default \"x\"\nendpage\n", 3,
         "not a property"},
        {"template \"T\" \"T\"\npage \"P\"\nlabel \"L\" bold\nendpage\n", 3,
         "unknown control property"},
        {"template \"T\" \"T\"\npage \"P\"\noption \"O\" group 0\nendpage\n", 3, "does not exist"},
        {"template \"T\" \"T\"\npage \"P\"\noption \"O\" #o group #o\nendpage\n", 3,
         "not defined before"},
        {"template \"T\" \"T\"\npage \"P\"\nlabel \"L\"\noption \"O\" group 0\nendpage\n", 4,
         "does not exist"},
        {"template \"T\" \"T\"\npage \"P\"\nchoice \"C\" list 0\nendpage\n", 3, "does not exist"},
        {"template \"T\" \"T\"\npage \"P\"\nchoice \"C\" list $v\nvalues $v\nendvalues\nendpage\n",
         3, "not defined before"},
        {"template \"T\" \"T\"\npage \"P\"\nedit \"A\" #a\nedit \"B\" #a\nendpage\n", 4,
         "used twice"},
        {"template \"T\" \"T\"\npage \"P\"\nedit \"A\" prom 0x10000000\nendpage\n", 3, "prom"},
        {"template \"T\" \"T\"\npage \"P\"\nedit \"A\" prom 0x10.8\nendpage\n", 3, "prom"},
        {"template \"T\" \"T\"\npage \"P\"\nvalues\n\"a\"\nendvalues\nendpage\n", 4,
         "stored value"},
        {"template \"T\" \"T\"\npage \"P\"\nvalues\nendpage\n", 4, "endvalues expected"},
        {"template \"T\" \"T\"\npage \"P\"\nvalues\n", 3, "endvalues missing"},
        {"template \"T\" \"T\"\nevents\n1 \"x\"\nendevents\n", 3, "before the first code"},
        {"template \"T\" \"T\"\nevents\ncode 1\n21 \"x\"\nendevents\n", 4, "reserved"},
        {"template \"T\" \"T\"\nevents\ncode 1\n29 \"x\"\nendevents\n", 4, "reserved"},
        {"template \"T\" \"T\"\nevents\ncode 1\n256 \"x\"\nendevents\n", 4, "one byte"},
        {"template \"T\" \"T\"\nevents\ncode 1\n", 2, "endevents missing"},
        {"template \"T\" \"T\"\nrules\ndo show 0\n", 3, "before the first when"},
        {"template \"T\" \"T\"\nrules\nwhen clicked 0\n", 3, "does not exist"},
        {"template \"T\" \"T\"\nrules\nwhen clicked #x\n", 3, "not defined"},
        {"template \"T\" \"T\"\nrules\nwhen pressed 0\n", 3, "unknown condition"},
        {"template \"T\" \"T\"\nrules\nwhen 60 0\n", 3, "unknown condition"},
        {"template \"T\" \"T\"\nrules\nwhen signal \"s\"\ndo 59 0\n", 4, "unknown action"},
        {"template \"T\" \"T\"\nrules\nwhen signal \"s\"\ndo disablepage 0\n", 4, "does not exist"},
        {"template \"T\" \"T\"\nrules\nwhen signal \"s\"\ndo disablepage @p\n", 4, "not defined"},
        {"template \"T\" \"T\"\nrules\nwhen signal \"s\"\ngroup \"G\"\n", 4, "only when, do"},
        {"template \"T\" \"T\"\nrules count 1\n", 2, "does not end at the last rule"},
        {"template \"T\" \"T\"\n\nrules count 3\nwhen signal \"a\"\nwhen signal \"b\"\n", 3,
         "does not end at the last rule"},
        {"template \"T\" \"T\"\nrules count 1\nwhen signal \"a\"\nwhen signal \"b\"\n", 2,
         "does not end at the last rule"},
        {"template \"T\" \"T\"\ntrailer \"x\"\nhelp \"\"\n", 3, "nothing may follow"},
        {"template \"T\" \"T\"\nversion 2\n", 2, "only version 1"},
        {"template \"T\" \"T\"\nversion 0\n", 2, "only version 1"},
        {"template \"T\" \"T\"\npage \"P\"\nvalues\nendvalues\n", 2, "page not closed"},
        {"template \"T\" \"T\"\n\npage \"P\"\nvalues\n\"a\" \"0\"\nendvalues\nlabel \"L\"\n", 3,
         "page not closed"},
        {"template \"T\" \"T\"\npage \"P\"\nlabel \"L\" #l\noption \"O\" group #l\nendpage\n", 4,
         "(label) is not an optiongroup"},
        {"template \"T\" \"T\"\npage \"P\"\nedit \"E\" numbered\noption \"O\" group 0\nendpage\n",
         4, "(edit) is not an optiongroup"},
        {"template \"T\" \"T\"\npage \"P\"\noptiongroup \"G\" #g\nendpage\npage \"Q\"\n"
         "option \"O\" group #g\nendpage\n",
         6, "on another page"},
        {"template \"T\" \"T\"\npage \"P\"\noptiongroup \"G\" #g\noption \"O\" value "
         "\"1\"\nendpage\n",
         4, "needs its option group"},
        {"template \"T\" \"T\"\npage \"P\"\nchoice \"C\" prom 1\nendpage\n", 3,
         "needs a value list"},
        {"template \"T\" \"T\"\npage \"P\"\nchoice \"C\" list 0\nvalues\nendvalues\nendpage\n", 3,
         "does not exist"},
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
    // The longest text is accepted, one more is refused.
    EXPECT_NO_THROW(SourceCompiler::compile(head + "help \"" + std::string(699, 'a') + "\"\n"));
    try {
        SourceCompiler::compile(head + "help \"" + std::string(700, 'a') + "\"\n");
        ADD_FAILURE() << "compiled a text of 700 characters";
    } catch (const SourceError& e) {
        EXPECT_EQ(e.line(), 2);
    }
}

TEST(Kqform, GroupsNestAsDeepAsTheLoaderAllows) {
    // As deep as allowed: both ways, and the source is the same as the one written by hand
    // apart from its indentation.
    Bytes deepest = nestedGroups(kMaxGroupDepth);
    EXPECT_EQ(SourceCompiler::compile(nestedGroupsSource(kMaxGroupDepth)), deepest);
    EXPECT_EQ(recompile(deepest), deepest);
    // One deeper: refused by both, the compiler naming the line of the group too many.
    EXPECT_THROW(Decompiler::decompile(nestedGroups(kMaxGroupDepth + 1)), TemplateRefused);
    try {
        SourceCompiler::compile(nestedGroupsSource(kMaxGroupDepth + 1));
        ADD_FAILURE() << "compiled groups nested too deep";
    } catch (const SourceError& e) {
        EXPECT_EQ(e.line(), static_cast<int>(kMaxGroupDepth) + 2);
        EXPECT_NE(std::string(e.what()).find("at most 256"), std::string::npos) << e.what();
    }
}

TEST(Kqform, IndentationStopsGrowingButTheRoundTripHolds) {
    Bytes deep = nestedGroups(kMaxGroupDepth);
    std::string source = Decompiler::decompile(deep);
    std::size_t widest = 0;
    std::istringstream lines(source);
    for (std::string line; std::getline(lines, line);)
        widest = std::max(widest, line.find_first_not_of(' '));
    EXPECT_GT(widest, 8u);
    EXPECT_LE(widest, 32u);
    // Uncapped, the indentation alone would take over 130000 bytes.
    EXPECT_LT(source.size(), 30000u);
    EXPECT_EQ(SourceCompiler::compile(source), deep);
}

TEST(Kqform, AcceptsWhatTheLoaderAccepts) {
    // A choice without list takes list 0; an option's group is an option group on its page.
    const char* const sources[] = {
        "template \"T\" \"T\"\npage \"P\"\nvalues\nendvalues\nchoice \"C\"\nendpage\n",
        "template \"T\" \"T\"\npage \"P\"\noptiongroup \"G\" numbered\nlabel \"L\" numbered\n"
        "option \"O\" group 0 numbered\noption \"O\" group 0\nendpage\n",
        "template \"T\" \"T\"\nevents\nendevents\nevents\ncode 1\nendevents\n",
    };
    for (const char* source : sources) {
        Bytes bytes;
        ASSERT_NO_THROW(bytes = SourceCompiler::compile(source)) << source;
        EXPECT_EQ(recompile(bytes), bytes) << source;
    }
}

TEST(Kqform, AcceptsTheRuleCountsALoaderReadsAsWritten) {
    const std::string base =
        "template \"T\" \"T\"\npage \"P\"\nbutton \"B\" numbered\nendpage\nrules count ";
    const std::string rules = "\nwhen clicked 0\ndo show 0\nwhen clicked 0\ndo show 0\ndo hide 0\n";
    for (std::uint32_t n : {3u, 4u, 5u}) {
        Collector c = collect(SourceCompiler::compile(base + std::to_string(n) + rules));
        EXPECT_EQ(c.count, n);
        EXPECT_EQ(c.rules.size(), 2u);
    }
}

TEST(Kqform, DocumentedExampleCompiles) {
    std::ifstream in(std::string(LOOM_DEMO_DIR) + "/../docs/kqform.md");
    std::stringstream doc;
    doc << in.rdbuf();
    std::string text = doc.str();
    auto at = text.find("## Example");
    ASSERT_NE(at, std::string::npos);
    auto start = text.find("```\n", at) + 4;
    auto end = text.find("```", start);
    Bytes bytes = SourceCompiler::compile(text.substr(start, end - start));
    EXPECT_EQ(recompile(bytes), bytes);
}

TEST(Kqform, DemoSourcesRoundTrip) {
    std::filesystem::path forms = std::string(LOOM_DEMO_DIR) + "/forms";
    if (!std::filesystem::exists(forms)) GTEST_SKIP();
    for (const auto& entry : std::filesystem::directory_iterator(forms)) {
        if (entry.path().extension() != ".kqf") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream source;
        source << in.rdbuf();
        Bytes bytes = SourceCompiler::compile(source.str());
        EXPECT_EQ(recompile(bytes), bytes) << entry.path();
    }
}

class KqformCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("loom_kqform_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    int run(std::vector<std::string> args) {
        out.str("");
        err.str("");
        return runKqform(args, out, err);
    }
    void write(const std::filesystem::path& p, const std::string& text) {
        std::ofstream(p, std::ios::binary) << text;
    }
    std::string read(const std::filesystem::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::filesystem::path dir;
    std::ostringstream out, err;
};

TEST_F(KqformCommand, CompilesAndDecompilesFiles) {
    write(dir / "a.kqf", kRichSource);
    ASSERT_EQ(run({"compile", (dir / "a.kqf").string(), "-o", (dir / "A.FRM").string()}), 0)
        << err.str();
    ASSERT_EQ(run({"decompile", (dir / "A.FRM").string(), "--output", (dir / "b.kqf").string()}), 0)
        << err.str();
    ASSERT_EQ(run({"compile", (dir / "b.kqf").string(), "-o", (dir / "B.FRM").string()}), 0);
    EXPECT_EQ(read(dir / "A.FRM"), read(dir / "B.FRM"));
    EXPECT_EQ(run({"decompile", (dir / "A.FRM").string()}), 0);
    EXPECT_EQ(out.str(), read(dir / "b.kqf"));
    // Only the two outputs, no temporary files left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 4);
}

TEST_F(KqformCommand, FaultySourceWritesNothingAndKeepsTheOldOutput) {
    write(dir / "bad.kqf", "template \"T\" \"T\"\npage \"P\"\nlabel \"L\" bold\nendpage\n");
    write(dir / "OLD.FRM", "old");
    EXPECT_EQ(run({"compile", (dir / "bad.kqf").string(), "-o", (dir / "OLD.FRM").string()}), 1);
    EXPECT_EQ(err.str().rfind((dir / "bad.kqf").string() + ":3: ", 0), 0u) << err.str();
    EXPECT_EQ(read(dir / "OLD.FRM"), "old");
    EXPECT_EQ(run({"compile", (dir / "bad.kqf").string(), "-o", (dir / "NEW.FRM").string()}), 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "NEW.FRM"));
}

TEST_F(KqformCommand, RefusesFilesThatAreNotTemplates) {
    write(dir / "X.FRM", "not a template at all");
    EXPECT_EQ(run({"decompile", (dir / "X.FRM").string(), "-o", (dir / "x.kqf").string()}), 1);
    // The loader's message, in UTF-8, on the one error line.
    EXPECT_EQ(err.str().rfind((dir / "X.FRM").string() + ": refused by the loader: Filen \xC3\xA4r "
                                                         "inte en mall.",
                              0),
              0u)
        << err.str();
    const std::string shown = err.str();
    EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'), 1) << shown;
    EXPECT_FALSE(std::filesystem::exists(dir / "x.kqf"));
    EXPECT_EQ(run({"decompile", (dir / "missing.FRM").string()}), 1);
    EXPECT_EQ(run({"compile", (dir / "missing.kqf").string(), "-o", (dir / "M.FRM").string()}), 1);
}

TEST_F(KqformCommand, DecompileRefusesAnOptionButtonTheLoaderRefuses) {
    Bytes bytes = optionButtonInALabel();
    write(dir / "O.FRM", std::string(bytes.begin(), bytes.end()));
    EXPECT_EQ(run({"decompile", (dir / "O.FRM").string(), "-o", (dir / "o.kqf").string()}), 1);
    EXPECT_NE(err.str().find("kan inte tolkas"), std::string::npos) << err.str();
    EXPECT_FALSE(std::filesystem::exists(dir / "o.kqf"));
}

TEST_F(KqformCommand, RefusesToReadADirectory) {
    std::filesystem::create_directory(dir / "D.FRM");
    EXPECT_EQ(run({"decompile", (dir / "D.FRM").string()}), 1);
    EXPECT_NE(err.str().find("not a regular file"), std::string::npos) << err.str();
    EXPECT_EQ(run({"compile", (dir / "D.FRM").string(), "-o", (dir / "E.FRM").string()}), 1);
    EXPECT_NE(err.str().find("not a regular file"), std::string::npos) << err.str();
    EXPECT_FALSE(std::filesystem::exists(dir / "E.FRM"));
}

TEST_F(KqformCommand, AtomicFileReadsOnlyRegularFiles) {
    std::filesystem::create_directory(dir / "sub");
    std::string data = "keep", error;
    EXPECT_FALSE(readWholeFile(dir / "sub", data, error));
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    EXPECT_EQ(data, "keep");
    EXPECT_FALSE(readWholeFile(dir / "missing", data, error));
    EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
    write(dir / "f", std::string("a\0b", 3));
    ASSERT_TRUE(readWholeFile(dir / "f", data, error)) << error;
    EXPECT_EQ(data, std::string("a\0b", 3));
}

TEST_F(KqformCommand, FailedWriteLeavesNoTemporaryFile) {
    // The target is a directory with something in it: the rename over it fails.
    std::filesystem::create_directories(dir / "target" / "inside");
    std::string error = writeFileAtomically(dir / "target", "data");
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(std::filesystem::is_directory(dir / "target"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);
    // A folder that does not exist: nothing can be created.
    error = writeFileAtomically(dir / "none" / "F.FRM", "data");
    EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);
    // A good write leaves just the file.
    EXPECT_EQ(writeFileAtomically(dir / "F.FRM", "data"), "");
    EXPECT_EQ(read(dir / "F.FRM"), "data");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 2);
}

TEST_F(KqformCommand, UsageErrorsAndHelp) {
    struct Case {
        std::vector<std::string> args;
        int exit;
    };
    const Case cases[] = {
        {{}, 2},
        {{"--help"}, 0},
        {{"assemble", "x"}, 2},
        {{"compile", "--help"}, 0},
        {{"decompile", "--help"}, 0},
        {{"compile", "a.kqf"}, 2},
        {{"compile", "-o", "A.FRM"}, 2},
        {{"compile", "a.kqf", "b.kqf", "-o", "A.FRM"}, 2},
        {{"compile", "a.kqf", "-o"}, 2},
        {{"compile", "a.kqf", "-o", "A.FRM", "-o", "B.FRM"}, 2},
        {{"decompile", "A.FRM", "--verbose"}, 2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run(c.args), c.exit) << testing::PrintToString(c.args);
        const std::string& shown = c.exit == 0 ? out.str() : err.str();
        EXPECT_NE(shown.find("usage: kqform"), std::string::npos);
    }
}

TEST_F(KqformCommand, ProgramExitsWithTheCommandsCode) {
    write(dir / "bad.kqf", "nonsense\n");
    std::string cmd = std::string(LOOM_KQFORM) + " compile " + (dir / "bad.kqf").string() + " -o " +
                      (dir / "B.FRM").string() + " 2>/dev/null";
    int status = std::system(cmd.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
    status = std::system((std::string(LOOM_KQFORM) + " >/dev/null 2>&1").c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2);
}

}  // namespace
}  // namespace loom::kqform
