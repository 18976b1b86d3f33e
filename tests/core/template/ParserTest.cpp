#include "template/Parser.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/template/SampleTemplates.h"
#include "support/MessageText.h"
#include "support/RecordingPrompt.h"
#include "support/TempDir.h"
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

std::string msg(MessageId id, std::string_view file = "mem.FRM") {
    return test::text(id, {file});
}

// Answers with fixed sizes and remembers what it was asked.
class FakeBitmaps : public BitmapLookup {
  public:
    std::optional<BitmapSize> find(std::string_view name, const std::string& path) override {
        asked.emplace_back(name, path);
        auto it = sizes.find(std::string(name));
        if (it == sizes.end()) return std::nullopt;
        return it->second;
    }
    std::map<std::string, BitmapSize> sizes;
    std::vector<std::pair<std::string, std::string>> asked;
};

class ParserTest : public ::testing::Test {
  protected:
    std::unique_ptr<Form> load(const std::vector<std::uint8_t>& bytes) {
        Parser parser;
        return parser.LoadFromMemory(bytes, "mem.FRM", env, noErase);
    }
    // A template with one page holding the given items, then the given rules.
    std::unique_ptr<Form> loadPage(const std::function<void(TemplateWriter&)>& items,
                                   const std::vector<RawRule>& rawRules = {}) {
        TemplateWriter w;
        w.header("T", "Titel").page("P");
        items(w);
        w.pageEnd().end().rules(rawRules);
        auto form = load(w.finish());
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
    auto form = loadPage([](TemplateWriter& w) {
        w.control(control(TemplateTag::Label, "Etikett"));
        w.control(control(TemplateTag::Frame, "Ram", 2));         // disabled
        w.control(control(TemplateTag::Button, "Knapp", 1 | 4));  // numbered 0, hidden
        RawControl box = dataControl(TemplateTag::CheckBox, "Aktiv", 0x10 << 3);
        box.onChar = "J";
        box.offChar = "N";
        box.field.defaultValue = "J";
        w.control(box);  // 1
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
        w.control(control(TemplateTag::Picture, "bild.bmp"));
        choice.field = {0x14 << 3, 8, 3, 2, "7"};  // 6, no entry holds its value
        w.control(choice);
    });
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(prompt.entries.empty());
    const FormPage& page = form->page(0);
    ASSERT_EQ(page.allControls.size(), 11u);
    ASSERT_EQ(page.controls.size(), 9u);  // the two option buttons live in their group

    using K = ControlKind;
    struct Expected {
        K kind;
        int number;
        std::string text;
        bool enabled, visible;
    };
    const Expected expected[] = {
        {K::Label, -1, "Etikett", true, true}, {K::Frame, -1, "Ram", false, true},
        {K::Button, 0, "Knapp", true, false},  {K::CheckBox, 1, "Aktiv", true, true},
        {K::Edit, 2, "42", true, true},        {K::Choice, 3, "På", true, true},
        {K::OptionGroup, 4, "", true, true},   {K::Option, 5, "Ett", true, true},
        {K::Option, -1, "Ett", true, true},    {K::Picture, -1, "bild.bmp", true, true},
        {K::Choice, 6, "", true, true},
    };
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        const FormControl& c = *page.allControls[i];
        EXPECT_EQ(c.kind, expected[i].kind);
        EXPECT_EQ(c.number, expected[i].number);
        EXPECT_EQ(c.text, expected[i].text);
        EXPECT_EQ(c.enabled, expected[i].enabled);
        EXPECT_EQ(c.visible, expected[i].visible);
        EXPECT_EQ(c.number >= 0 ? form->control(c.number) : &c, &c);
        EXPECT_EQ(c.masked, i == 4);  // bit 9 only means something to edits
    }
    EXPECT_EQ(page.allControls[0]->dialogRect, (RawRect{4, 8, 60, 12}));
    EXPECT_EQ(page.allControls[0]->rect, (PixelRect{8, 16, 120, 24}));

    const FormControl& box = *page.allControls[3];
    EXPECT_EQ(box.onChar, 'J');
    EXPECT_EQ(box.offChar, 'N');
    EXPECT_EQ(box.field->value, "J");

    const FormControl& edit = *page.allControls[4];
    EXPECT_EQ(*edit.field, (FieldRecord{0x11 << 3, 16, 0x03, 0xFE, "42"}));  // low 8 bits;
    EXPECT_EQ(edit.initialValue, "42");  // bit 0 of the flags marks the end of data files
    EXPECT_TRUE(edit.noHorizontalScroll);
    EXPECT_TRUE(edit.multiline);

    EXPECT_EQ(page.allControls[5]->valueList, 0);
    EXPECT_EQ(page.allControls[5]->selected, 1);
    EXPECT_EQ(page.allControls[10]->selected, kNoSelection);

    FormControl& group = *page.allControls[6];
    EXPECT_EQ(group.rect, PixelRect{});
    EXPECT_EQ(group.options, (std::vector<FormControl*>{page.allControls[7], page.allControls[8]}));
    EXPECT_EQ(page.allControls[7]->group, &group);
    EXPECT_EQ(page.allControls[7]->optionValue, "1");
    EXPECT_EQ(page.allControls[8]->field, nullptr);
    EXPECT_EQ(page.allControls[9]->rect, (PixelRect{8, 16, 124, 30}));  // 120 x 24, edges 2, 3
    EXPECT_EQ(form->store().size(), 5u);
    EXPECT_EQ(page.extentWidth, 8 + 124);
    EXPECT_EQ(page.extentHeight, 16 + 30);
}

TEST_F(ParserTest, TreeNestsGroupsAndPagesAndLeavesOpenGroupsAlone) {
    tree.addRoot("old");  // a load replaces the tree of the last one
    TemplateWriter w;
    w.header("T", "Centrala");
    w.group("A").page("P0").pageEnd().group("B").page("P1").pageEnd().groupEnd().groupEnd();
    w.page("P2").pageEnd().group("C").page("P3").pageEnd();  // C stays open
    w.end().rules({});
    auto form = load(w.finish());
    ASSERT_NE(form, nullptr) << ::testing::PrintToString(prompt.texts());
    using K = TreeOutline::Kind;
    struct Expected {
        K kind;
        std::string name;
        int page, parent;
    };
    const std::vector<Expected> expected = {
        {K::Root, "Centrala", -1, -1}, {K::Group, "A", -1, 0}, {K::Page, "P0", 0, 1},
        {K::Group, "B", -1, 1},        {K::Page, "P1", 1, 3},  {K::Page, "P2", 2, 0},
        {K::Group, "C", -1, 0},        {K::Page, "P3", 3, 6},
    };
    ASSERT_EQ(tree.nodes().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(tree.nodes()[i].kind, expected[i].kind);
        EXPECT_EQ(tree.nodes()[i].name, expected[i].name);
        EXPECT_EQ(tree.nodes()[i].pageNumber, expected[i].page);
        EXPECT_EQ(tree.nodes()[i].parent, expected[i].parent);
    }
    EXPECT_TRUE(tree.redraw());
}

TEST_F(ParserTest, CaptionsCountTheDataControlsReadBeforeThem) {
    TemplateWriter w;
    w.header("T", "T").page("P").caption("first");
    w.control(control(TemplateTag::Label, "x")).caption("after label");
    w.control(dataControl(TemplateTag::OptionGroup, "g", 8));
    RawControl option = control(TemplateTag::Option, "o");
    option.optionGroup = 0;
    w.control(option).caption("after group and option");
    w.control(dataControl(TemplateTag::Edit, "e", 16, 0)).pageEnd();
    w.page("Q").caption("second page").control(dataControl(TemplateTag::CheckBox, "c", 24));
    w.caption("end").pageEnd().end().rules({});
    auto form = load(w.finish());
    ASSERT_NE(form, nullptr) << ::testing::PrintToString(prompt.texts());
    const std::vector<std::pair<std::string, std::uint32_t>> expected = {
        {"first", 0},       {"after label", 0}, {"after group and option", 1},
        {"second page", 2}, {"end", 3},
    };
    EXPECT_EQ(form->captions(), expected);
}

TEST_F(ParserTest, NamesThatLeaveTheirFolderOpenNothing) {
    env.bitmaps = &bitmaps;
    for (const std::string name : {"..", "..\\LOGIN.KEY", "sub/x.bmp", "C:x.bmp", "/etc/passwd"}) {
        SCOPED_TRACE(name);
        bitmaps.asked.clear();
        bitmaps.sizes[name] = {1, 1};
        TemplateWriter w;
        w.header("T", "T").help(name).page("P");
        RawControl p = control(TemplateTag::Picture, name);
        p.rect = {0, 0, 0, 0};
        w.control(p).pageEnd().end().rules({});
        auto form = load(w.finish());
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->helpName(), name);  // kept for showing
        EXPECT_EQ(form->helpPath(), "");
        EXPECT_TRUE(bitmaps.asked.empty());
    }
}

TEST_F(ParserTest, AddressesNoEraseAndHelp) {
    const std::string help = "/prog" + sep() + "HELP" + sep() + "GL200.HLP";
    struct Case {
        std::function<void(TemplateWriter&)> items;
        std::int64_t id, product;
        bool noErase;
        std::string helpName, helpPath;
    };
    const Case cases[] = {
        {[](TemplateWriter& w) {
             w.idAddress(0x1F0).productAddress(0).noErase(0).help("GL200.HLP");
         },
         0x1F0, 0, false, "GL200.HLP", help},
        {[](TemplateWriter& w) { w.noErase(7).idAddress(0xFFFFFFFFu); }, -1, -1, true, "", ""},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        noErase = !cases[i].noErase;
        auto form = load(samples::topLevel(cases[i].items));
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->idAddress(), cases[i].id);
        EXPECT_EQ(form->productAddress(), cases[i].product);
        EXPECT_EQ(form->noErase(), cases[i].noErase);
        EXPECT_EQ(noErase, cases[i].noErase);
        EXPECT_EQ(form->helpName(), cases[i].helpName);
        EXPECT_EQ(form->helpPath(), cases[i].helpPath);
    }
}

TEST_F(ParserTest, RulesResolveControlsAndPagesAndKeepTheRawRules) {
    TemplateWriter w;
    w.header("T", "T").page("P0").pageEnd().page("P1");
    w.control(control(TemplateTag::Button, "b", 1));     // 0
    w.control(dataControl(TemplateTag::Edit, "e", 8));   // 1
    w.control(dataControl(TemplateTag::Edit, "f", 16));  // 2
    w.pageEnd().end();
    RawRule signal;
    signal.condition = {59, 0, 0, "larm"};
    signal.actions = {action(71, 0, 0, "Meddelande"), action(74, 1), action(66, 1, 2)};
    RawRule compare = rule(53, 1, {action(65, 2, 0, "x")});
    compare.condition.control2 = 2;
    const std::vector<RawRule> raw = {rule(49, 0, {action(60, 1), action(73, 0)}), rule(51, 2, {}),
                                      signal, compare};
    w.rules(raw);
    auto form = load(w.finish());
    ASSERT_NE(form, nullptr) << ::testing::PrintToString(prompt.texts());
    EXPECT_EQ(form->rawRules(), raw);

    ASSERT_EQ(rules.rules().size(), 3u);  // the rule without actions is dropped
    const FormRule& click = rules.rules()[0];
    EXPECT_EQ(click.trigger, form->control(0));
    EXPECT_EQ(click.condition, 49);
    EXPECT_TRUE(form->control(0)->hasRules);
    EXPECT_EQ(rules.actions()[click.firstAction].target, form->control(1));
    EXPECT_EQ(rules.actions()[click.firstAction + 1].page, 0);

    const FormRule& sig = rules.rules()[1];
    EXPECT_EQ(sig.trigger, nullptr);
    EXPECT_EQ(sig.text, "larm");
    const RuleAction* a = &rules.actions()[sig.firstAction];
    EXPECT_EQ(a[0].text, "Meddelande");
    EXPECT_EQ(a[1].page, 1);
    EXPECT_EQ(a[2].target, form->control(1));
    EXPECT_EQ(a[2].control, form->control(2));
    EXPECT_EQ(rules.rules()[2].argument, form->control(2));
}

TEST_F(ParserTest, LoadsAndReadsHeadersFromFilesAndNamesThemInMessages) {
    test::TempDir dir;
    const std::string missing = dir.path("SAKNAS.FRM");
    Parser parser;
    EXPECT_EQ(parser.Load(missing, env, noErase), nullptr);
    const Strings said = prompt.texts();
    ASSERT_EQ(said.size(), 3u);  // the system's reason first
    EXPECT_EQ(said[1], msg(MessageId::CannotOpenFile, missing));
    EXPECT_EQ(said[2], msg(MessageId::NotATemplate, missing));

    prompt.entries.clear();
    const std::string path = dir.write("GL.FRM", samples::richTemplate());
    std::string name, title;
    ASSERT_TRUE(parser.ReadHeader(path, name, title, false));
    EXPECT_EQ(name, "GL 200 v1.2");
    EXPECT_EQ(title, "Centrala \xC5\xC4\xD6");
    auto good = parser.Load(path, env, noErase);
    ASSERT_NE(good, nullptr) << ::testing::PrintToString(prompt.texts());
    EXPECT_EQ(good->title(), title);
    EXPECT_TRUE(noErase);

    auto broken = samples::richTemplate();
    broken.back() ^= 1;
    const std::string bad = dir.write("BAD.FRM", broken);
    EXPECT_EQ(parser.Load(bad, env, noErase), nullptr);
    EXPECT_EQ(prompt.texts(),
              (Strings{msg(MessageId::BadChecksum), msg(MessageId::CannotParse, bad)}));
}

TEST_F(ParserTest, PageValuesGoOutComeInAndCompare) {
    TemplateWriter w;
    w.header("T", "T").page("P0");
    w.control(dataControl(TemplateTag::Edit, "e", 8));
    w.valueList({{"Av", "0"}, {"På", "1"}});
    RawControl choice = dataControl(TemplateTag::Choice, "c", 16);
    choice.field.defaultValue = "0";
    w.control(choice);
    w.pageEnd().page("P1").control(dataControl(TemplateTag::Edit, "other", 24));
    w.pageEnd().end().rules({});
    auto form = load(w.finish());
    ASSERT_NE(form, nullptr);

    FieldStore out;
    form->storePage(0, out);
    EXPECT_EQ(out.size(), 2u);
    EXPECT_EQ(out.find(24), nullptr);  // other page

    FieldStore in = out;
    in.find(8)->value = "77";
    in.find(16)->value = "1";
    in.find(16)->size = 99;  // the template's size stays
    EXPECT_TRUE(form->pageDiffers(0, out, in));
    EXPECT_FALSE(form->pageDiffers(0, out, out));
    EXPECT_FALSE(form->pageDiffers(1, out, in));  // neither holds page 1's field

    form->setPage(0, in);
    const FormPage& p = form->page(0);
    EXPECT_EQ(p.allControls[0]->text, "77");
    EXPECT_EQ(p.allControls[1]->text, "På");
    EXPECT_EQ(p.allControls[1]->field->size, 8u);
}

}  // namespace
}  // namespace loom
