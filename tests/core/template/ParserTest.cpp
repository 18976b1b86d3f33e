#include "template/Parser.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "core/template/SampleTemplates.h"
#include "support/MessageText.h"
#include "support/RecordingPrompt.h"
#include "template/BitmapLookup.h"
#include "template/EventTexts.h"
#include "template/FormRules.h"
#include "template/TemplateWriter.h"
#include "template/TreeOutline.h"

namespace loom {
namespace {

using samples::action;
using samples::control;
using samples::dataControl;
using samples::rule;
using Strings = std::vector<std::string>;

std::string msg(MessageId id) {
    return test::text(id, {std::string_view("mem.FRM")});
}

// Finds every picture and remembers the names it was asked for.
class FakeBitmaps : public BitmapLookup {
  public:
    std::optional<BitmapSize> find(std::string_view name, const std::string&) override {
        asked.emplace_back(name);
        return BitmapSize{1, 1};
    }
    Strings asked;
};

class ParserTest : public ::testing::Test {
  protected:
    std::unique_ptr<Form> load(const std::vector<std::uint8_t>& bytes) {
        Parser parser;
        return parser.LoadFromMemory(bytes, "mem.FRM", env, noErase);
    }
    std::unique_ptr<Form> load(const std::function<void(TemplateWriter&)>& body) {
        TemplateWriter w;
        w.header("T", "Centrala");
        body(w);
        auto form = load(w.end().rules({}).finish());
        EXPECT_NE(form, nullptr) << ::testing::PrintToString(prompt.texts());
        return form;
    }

    TreeOutline tree;
    EventTexts events;
    FormRules rules;
    test::RecordingPrompt prompt;
    FakeBitmaps bitmaps;
    ParserEnvironment env{tree, events, rules, prompt, DialogUnits{8, 16, 2, 3}, nullptr, "/prog"};
    bool noErase = false;
};

std::string sep() {
    return std::string(1, static_cast<char>(std::filesystem::path::preferred_separator));
}

TEST_F(ParserTest, LoadsEveryControlKindWithItsState) {
    auto form = load([](TemplateWriter& w) {
        w.page("P").control(control(TemplateTag::Label, "Etikett"));
        w.control(control(TemplateTag::Frame, "Ram", 2));                   // disabled
        w.control(control(TemplateTag::Button, "Knapp", 1 | 4));            // numbered 0, hidden
        w.control(dataControl(TemplateTag::CheckBox, "Aktiv", 0x10 << 3));  // 1, off '0'
        RawControl edit =
            dataControl(TemplateTag::Edit, "Tid", 0x11 << 3, 1 | (1 << 3) | (1 << 4) | (1 << 9));
        edit.field = {0x11 << 3, 16, 0x103, 0x1FF, "42"};
        w.control(edit);  // 2
        w.valueList({{"Av", "0"}, {"På", "1"}});
        RawControl choice = dataControl(TemplateTag::Choice, "Val", 0x12 << 3);
        choice.field.defaultValue = "1";
        w.control(choice);                                                     // 3
        w.control(dataControl(TemplateTag::OptionGroup, "Grupp", 0x13 << 3));  // 4
        RawControl option = control(TemplateTag::Option, "Ett", 1);            // 5
        option.optionValue = "1";
        option.optionGroup = 4;
        w.control(option);
        option.optionValue = "2";
        option.flags = 0;
        w.control(option);
        w.control(control(TemplateTag::Picture, "bild.bmp")).pageEnd();
    });
    ASSERT_NE(form, nullptr);
    const FormPage& page = form->page(0);
    ASSERT_EQ(page.allControls.size(), 10u);
    ASSERT_EQ(page.controls.size(), 8u);  // the two option buttons live in their group

    // Kind, number, text, enabled and visible of each control, in order.
    using K = ControlKind;
    std::vector<std::tuple<K, int, std::string, bool, bool>> controls;
    for (const FormControl* c : page.allControls)
        controls.emplace_back(c->kind, c->number, c->text, c->enabled, c->visible);
    const std::vector<std::tuple<K, int, std::string, bool, bool>> expected = {
        {K::Label, -1, "Etikett", true, true}, {K::Frame, -1, "Ram", false, true},
        {K::Button, 0, "Knapp", true, false},  {K::CheckBox, 1, "Aktiv", true, true},
        {K::Edit, 2, "42", true, true},        {K::Choice, 3, "På", true, true},
        {K::OptionGroup, 4, "", true, true},   {K::Option, 5, "Ett", true, true},
        {K::Option, -1, "Ett", true, true},    {K::Picture, -1, "bild.bmp", true, true},
    };
    EXPECT_EQ(controls, expected);
    EXPECT_EQ(form->control(5), page.allControls[7]);
    EXPECT_EQ(page.allControls[0]->rect, (PixelRect{8, 16, 120, 24}));
    EXPECT_EQ(page.allControls[3]->offChar, '0');

    const FormControl& edit = *page.allControls[4];
    EXPECT_EQ(*edit.field, (FieldRecord{0x11 << 3, 16, 0x03, 0xFE, "42"}));  // low 8 bits;
    EXPECT_EQ(edit.initialValue, "42");  // bit 0 of the flags marks the end of data files
    EXPECT_TRUE(edit.noHorizontalScroll && edit.multiline && edit.masked);

    EXPECT_EQ(page.allControls[5]->selected, 1);

    FormControl& group = *page.allControls[6];
    EXPECT_EQ(group.rect, PixelRect{});
    EXPECT_EQ(group.options, (std::vector<FormControl*>{page.allControls[7], page.allControls[8]}));
    EXPECT_EQ(page.allControls[7]->group, &group);
    EXPECT_EQ(page.allControls[9]->rect, (PixelRect{8, 16, 124, 30}));  // 120 x 24, edges 2, 3
    EXPECT_EQ(page.extentWidth, 8 + 124);
    EXPECT_EQ(page.extentHeight, 16 + 30);

    // The page's values go out, come back changed (the template's sizes stay) and compare.
    FieldStore out;
    form->storePage(0, out);
    FieldStore in = out;
    in.find(0x11 << 3)->value = "77";
    in.find(0x12 << 3)->value = "0";
    in.find(0x12 << 3)->size = 99;
    EXPECT_TRUE(form->pageDiffers(0, out, in));
    EXPECT_FALSE(form->pageDiffers(0, out, out));
    form->setPage(0, in);
    EXPECT_EQ(edit.text, "77");
    EXPECT_EQ(page.allControls[5]->text, "Av");
    EXPECT_EQ(page.allControls[5]->field->size, 8u);
}

// Captions count the data controls read before them; a load replaces the last tree.
TEST_F(ParserTest, TreeNestsGroupsAndPagesAndCaptionsFollowTheirDataControls) {
    tree.addRoot("old");
    auto form = load([](TemplateWriter& w) {
        w.group("A").page("P0").caption("first");
        w.control(control(TemplateTag::Label, "x")).caption("after label");
        w.control(dataControl(TemplateTag::OptionGroup, "g", 8));
        RawControl option = control(TemplateTag::Option, "o");
        option.optionGroup = 0;
        w.control(option).caption("after group and option");
        w.control(dataControl(TemplateTag::Edit, "e", 16, 0)).pageEnd();
        w.group("B").page("P1").caption("second page");
        w.control(dataControl(TemplateTag::CheckBox, "c", 24)).caption("end").pageEnd();
        w.groupEnd().groupEnd().page("P2").pageEnd().group("C").page("P3").pageEnd();  // C open
    });
    ASSERT_NE(form, nullptr);
    // Name, page number and parent of each node, in order.
    std::vector<std::tuple<std::string, int, int>> nodes;
    for (const auto& n : tree.nodes())
        nodes.emplace_back(n.name, n.pageNumber, n.parent);
    const std::vector<std::tuple<std::string, int, int>> expected = {
        {"Centrala", -1, -1}, {"A", -1, 0}, {"P0", 0, 1}, {"B", -1, 1},
        {"P1", 1, 3},         {"P2", 2, 0}, {"C", -1, 0}, {"P3", 3, 6},
    };
    EXPECT_EQ(nodes, expected);
    EXPECT_TRUE(tree.redraw());
    const std::vector<std::pair<std::string, std::uint32_t>> captions = {
        {"first", 0},       {"after label", 0}, {"after group and option", 1},
        {"second page", 2}, {"end", 3},
    };
    EXPECT_EQ(form->captions(), captions);
}

TEST_F(ParserTest, NamesThatLeaveTheirFolderOpenNothingAndAddressesCanBeAbsent) {
    env.bitmaps = &bitmaps;
    for (const std::string name : {"..\\LOGIN.KEY", "sub/x.bmp", "C:x.bmp", "GL200.HLP"}) {
        SCOPED_TRACE(name);
        bitmaps.asked.clear();
        auto form = load([&](TemplateWriter& w) {
            w.help(name).page("P").control(control(TemplateTag::Picture, name)).pageEnd();
        });
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->helpName(), name);  // kept for showing
        const bool safe = name == "GL200.HLP";
        EXPECT_EQ(form->helpPath(), safe ? "/prog" + sep() + "HELP" + sep() + name : "");
        EXPECT_EQ(bitmaps.asked, safe ? Strings{name} : Strings{});
    }
    auto form = load([](TemplateWriter& w) { w.idAddress(0x1F0).noErase(7); });
    EXPECT_EQ(form->idAddress(), 0x1F0);
    EXPECT_EQ(form->productAddress(), -1);  // absent
    EXPECT_TRUE(noErase);
    form = load([](TemplateWriter& w) { w.idAddress(0xFFFFFFFFu).productAddress(0); });
    EXPECT_EQ(form->idAddress(), -1);
    EXPECT_EQ(form->productAddress(), 0);
    EXPECT_FALSE(noErase);
}

TEST_F(ParserTest, RulesResolveControlsAndPagesAndKeepTheRawRules) {
    RawRule signal = rule(59, 0, {action(74, 1), action(66, 1, 2)});
    signal.condition.text = "larm";
    RawRule compare = rule(53, 1, {action(65, 2, 0, "x")});
    compare.condition.control2 = 2;
    const std::vector<RawRule> raw = {rule(49, 0, {action(60, 1), action(73, 0)}), rule(51, 2, {}),
                                      signal, compare};
    TemplateWriter w;
    w.header("T", "T").page("P0").pageEnd().page("P1");
    w.control(control(TemplateTag::Button, "b", 1));  // 0
    w.control(dataControl(TemplateTag::Edit, "e", 8))
        .control(dataControl(TemplateTag::Edit, "f", 16));
    auto form = load(w.pageEnd().end().rules(raw).finish());
    ASSERT_NE(form, nullptr) << ::testing::PrintToString(prompt.texts());
    EXPECT_EQ(form->rawRules(), raw);

    ASSERT_EQ(rules.rules().size(), 3u);  // the rule without actions is dropped
    const FormRule& click = rules.rules()[0];
    EXPECT_EQ(click.trigger, form->control(0));
    EXPECT_TRUE(form->control(0)->hasRules);
    EXPECT_EQ(rules.actions()[click.firstAction].target, form->control(1));
    EXPECT_EQ(rules.actions()[click.firstAction + 1].page, 0);

    const FormRule& sig = rules.rules()[1];
    EXPECT_EQ(sig.text, "larm");
    const RuleAction* a = &rules.actions()[sig.firstAction];
    EXPECT_EQ(a[0].page, 1);
    EXPECT_EQ(a[1].target, form->control(1));
    EXPECT_EQ(a[1].control, form->control(2));
    EXPECT_EQ(rules.rules()[2].argument, form->control(2));
}

// Each broken template: what the scanner alone says of it (nothing when only the parser
// can tell) and exactly the messages the user sees.
TEST_F(ParserTest, EachBrokenTemplateShowsExactlyItsMessages) {
    using F = ScanFailure;
    using samples::onePage;
    using samples::topLevel;
    using W = TemplateWriter;
    const std::string long700(700, 'x');
    const std::string behind(5000, '\1');  // so that the whole item lies in the buffer
    auto ruled = [](RawRule r) { return onePage([](W&) {}, {std::move(r)}); };
    auto notTemplate = W().header("T", "T").end().rules({}).finish();
    notTemplate[1] = 'k';
    auto wrongSum = W().header("T", "T").end().rules({}).finishWithWrongChecksum();
    const struct {
        std::string name;
        std::vector<std::uint8_t> bytes;
        std::optional<F> scan;
    } cases[] = {
        {"wrong magic", notTemplate, F::NotTemplate},
        {"version 2", W().header("T", "T", 2).end().rules({}).finish(), F::WrongVersion},
        {"group end without group", topLevel([](W& w) { w.groupEnd(); }), F::Malformed},
        {"page inside a page", onePage([](W& w) { w.page("Q"); }), F::Malformed},
        {"control text of 700, bytes behind",
         onePage([&](W& w) { w.control(control(TemplateTag::Label, long700)).rawBytes(behind); }),
         F::Malformed},
        {"action count beyond the file",
         W().header("T", "T").end().rawInt(1).rawInt(49).rawInt(0).rawInt(0x40000000u).finish(),
         F::Malformed},
        {"checksum", wrongSum, F::BadChecksum},
        {"unknown condition", ruled(rule(41, 0, {action(60, 0)})), F::UnknownRuleCode},
        // What only the parser can tell.
        {"value list missing", onePage([](W& w) {
             w.valueList({{"a", "a"}});
             RawControl c = dataControl(TemplateTag::Choice, "c", 8);
             c.valueList = 1;
             w.control(c);
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
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(samples::scanFailure(c.bytes), c.scan);
        prompt.entries.clear();
        EXPECT_EQ(load(c.bytes), nullptr);
        EXPECT_EQ(prompt.texts(), messages.at(c.scan));
        EXPECT_TRUE(rules.rules().empty());  // nothing points into a form that is gone
        EXPECT_TRUE(tree.redraw());
    }
}

}  // namespace
}  // namespace loom
