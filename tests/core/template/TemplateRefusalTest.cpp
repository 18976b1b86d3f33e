#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/template/SampleTemplates.h"
#include "support/MessageText.h"
#include "support/RecordingPrompt.h"
#include "template/EventTexts.h"
#include "template/FormRules.h"
#include "template/Parser.h"
#include "template/TemplateWriter.h"
#include "template/TreeOutline.h"

namespace loom {
namespace {

using samples::action;
using samples::control;
using samples::dataControl;
using samples::rule;

std::string msg(MessageId id) {
    return test::text(id, {std::string_view("mem.FRM")});
}

// Each broken template: what the scanner alone says of it (nothing when only the parser
// can tell) and exactly the messages the user sees.
TEST(TemplateRefusal, EachBrokenTemplateShowsExactlyItsMessages) {
    TreeOutline tree;
    EventTexts events;
    FormRules rules;
    test::RecordingPrompt prompt;
    ParserEnvironment env{tree, events, rules, prompt, DialogUnits{8, 16, 2, 3}, nullptr, "/p"};
    bool noErase = false;
    using F = ScanFailure;
    using samples::onePage;
    using samples::topLevel;
    using W = TemplateWriter;
    const std::string long700(700, 'x');
    const std::string behind(5000, '\1');  // so that the whole item lies in the buffer
    auto bytesOf = [](W& w) { return w.finish(); };
    auto changed = [](std::vector<std::uint8_t> b, std::size_t at, std::uint8_t to) {
        b[at] = to;
        return b;
    };
    auto box = [](std::string on, std::string off, std::string more = {}) {
        return [=](W& w) {
            RawControl c = dataControl(TemplateTag::CheckBox, "c", 8);
            c.onChar = on;
            c.offChar = off;
            w.control(c).rawBytes(more);
        };
    };
    auto option = [](std::uint32_t group) {
        return [group](W& w) {
            w.control(dataControl(TemplateTag::OptionGroup, "g", 8));  // control 1
            RawControl o = control(TemplateTag::Option, "o", 1);
            o.optionGroup = group;
            w.control(o);
        };
    };
    auto ruled = [](RawRule r) { return onePage([](W&) {}, {std::move(r)}); };
    auto wrongSum = W().header("T", "T").end().rules({}).finishWithWrongChecksum();
    struct Case {
        std::string name;
        std::vector<std::uint8_t> bytes;
        std::optional<F> scan;
    };
    const Case cases[] = {
        {"wrong magic", changed(samples::minimalTemplate(), 1, 'k'), F::NotTemplate},
        {"version 2", bytesOf(W().header("T", "T", 2).end().rules({})), F::WrongVersion},
        {"name of 700", bytesOf(W().header(long700, "T").end().rules({})), F::Malformed},
        {"group end without group", topLevel([](W& w) { w.groupEnd(); }), F::Malformed},
        {"control at top level",
         topLevel([](W& w) { w.control(control(TemplateTag::Label, "L")); }), F::Malformed},
        {"tag 30 at top level", topLevel([](W& w) { w.rawByte(30); }), F::Malformed},
        {"event section not starting with a code",
         topLevel([](W& w) { w.rawByte(20).rawByte(5).rawText("x").rawByte(29); }), F::Malformed},
        {"page inside a page", onePage([](W& w) { w.page("Q"); }), F::Malformed},
        {"control text of 700, bytes behind",
         onePage([&](W& w) { w.control(control(TemplateTag::Label, long700)).rawBytes(behind); }),
         F::Malformed},
        {"on char two, bytes behind", onePage(box("JA", "N", behind)), F::Malformed},
        {"value list count beyond the file",
         onePage([](W& w) { w.rawByte(14).rawInt(0xFFFFFFFFu).rawText("a").rawText("b"); }),
         F::Malformed},
        {"action count beyond the file",
         bytesOf(W().header("T", "T").end().rawInt(1).rawInt(49).rawInt(0).rawInt(0x40000000u)),
         F::Malformed},
        {"checksum", wrongSum, F::BadChecksum},
        {"unknown condition", ruled(rule(41, 0, {action(60, 0)})), F::UnknownRuleCode},
        {"unknown action 59", ruled(rule(49, 0, {action(59, 0)})), F::UnknownRuleCode},
        // What only the parser can tell.
        {"value list missing", onePage([](W& w) {
             w.valueList({{"a", "a"}});
             RawControl c = dataControl(TemplateTag::Choice, "c", 8);
             c.valueList = 1;
             w.control(c);
         }),
         std::nullopt},
        {"option group not numbered yet", onePage(option(2)), std::nullopt},
        {"option group on another page", topLevel([](W& w) {
             w.page("A").control(dataControl(TemplateTag::OptionGroup, "g", 8)).pageEnd();
             w.page("B").control(control(TemplateTag::Option, "o", 0)).pageEnd();
         }),
         std::nullopt},
        {"groups nested too deep", topLevel([](W& w) {
             for (std::size_t i = 0; i <= kMaxGroupDepth; ++i)
                 w.group("G");
         }),
         std::nullopt},
        {"trigger equals count", ruled(rule(49, 1, {action(60, 0)})), std::nullopt},
        {"action target equals count", ruled(rule(49, 0, {action(60, 1)})), std::nullopt},
    };
    const std::string cannotParse = msg(MessageId::CannotParse);
    const std::string wrongVersion = msg(MessageId::WrongTemplateVersion);
    const std::map<std::optional<F>, std::vector<std::string>> messages = {
        {F::NotTemplate, {msg(MessageId::NotATemplate)}},
        {F::WrongVersion, {wrongVersion}},
        {F::Malformed, {cannotParse}},
        {F::BadChecksum, {msg(MessageId::BadChecksum), cannotParse}},
        {F::UnknownRuleCode, {wrongVersion, cannotParse}},
        {std::nullopt, {cannotParse}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(samples::scanFailure(c.bytes), c.scan);
        prompt.entries.clear();
        EXPECT_EQ(Parser().LoadFromMemory(c.bytes, "mem.FRM", env, noErase), nullptr);
        EXPECT_EQ(prompt.texts(), messages.at(c.scan));
        EXPECT_TRUE(rules.rules().empty());  // nothing points into a form that is gone
        EXPECT_TRUE(tree.redraw());
    }
}

}  // namespace
}  // namespace loom
