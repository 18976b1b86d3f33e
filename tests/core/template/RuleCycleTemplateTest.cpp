#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/template/SampleTemplates.h"
#include "support/RecordingFormView.h"
#include "support/RecordingPrompt.h"
#include "template/EventTexts.h"
#include "template/FormInteraction.h"
#include "template/FormRules.h"
#include "template/Parser.h"
#include "template/TemplateWriter.h"
#include "template/TreeSink.h"

namespace loom::test {
namespace {

using samples::action;

RawRule signalRule(std::string name, std::vector<RawAction> actions) {
    RawRule r;
    r.condition.code = 59;
    r.condition.text = std::move(name);
    r.actions = std::move(actions);
    return r;
}

// A compiled template whose rules feed each other: two fields that copy their value into
// each other, a signal that raises itself with a message box, and a control that shows
// and hides itself. Loading it and using its controls must end, quietly.
class RuleCycleTemplateTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Numbered controls: 0 edit A, 1 edit B, 2 button, 3 label.
        TemplateWriter w;
        w.header("Cykel", "Cykel").page("Sida");
        w.control(samples::dataControl(TemplateTag::Edit, "A", 0x100 << 3));
        w.control(samples::dataControl(TemplateTag::Edit, "B", 0x101 << 3));
        w.control(samples::control(TemplateTag::Button, "Knapp", 1));
        w.control(samples::control(TemplateTag::Label, "Etikett", 1));
        w.pageEnd().end();
        w.rules({
            samples::rule(51, 0, {action(69, 1, 0)}),
            samples::rule(51, 1, {action(69, 0, 1)}),
            samples::rule(49, 2, {action(72, 0, 0, "ping")}),
            signalRule("ping", {action(71, 0, 0, "ping"), action(72, 0, 0, "ping")}),
            samples::rule(50, 2, {action(61, 3)}),
            samples::rule(46, 3, {action(60, 3)}),
            samples::rule(45, 3, {action(61, 3)}),
        });
        Parser parser;
        bool noErase = false;
        form = parser.LoadFromMemory(w.finish(), "Cykel.FRM", env, noErase);
        ASSERT_NE(form, nullptr) << (prompt.entries.empty() ? "" : prompt.entries[0].text);
        form->setShownPageIndex(0);
        ui = std::make_unique<FormInteraction>(*form, rules, view, prompt);
    }

    NullTreeSink tree;
    EventTexts events;
    FormRules rules;
    RecordingPrompt prompt;
    RecordingFormView view;
    ParserEnvironment env{tree, events, rules, prompt, DialogUnits{}, nullptr, ""};
    std::unique_ptr<Form> form;
    std::unique_ptr<FormInteraction> ui;
};

TEST_F(RuleCycleTemplateTest, FieldsEnteringIntoEachOtherEndQuietly) {
    FormControl& a = *form->control(0);
    FormControl& b = *form->control(1);
    ASSERT_TRUE(ui->textTyped(a, "7"));
    EXPECT_EQ(a.field->value, "7");
    EXPECT_EQ(b.field->value, "7");
    EXPECT_TRUE(prompt.entries.empty());
    EXPECT_EQ(prompt.beeps, 0);
}

TEST_F(RuleCycleTemplateTest, ASelfRaisingSignalShowsBoundedBoxesAndEnds) {
    ui->clicked(*form->control(2));
    EXPECT_FALSE(prompt.entries.empty());
    EXPECT_LT(prompt.entries.size(), static_cast<std::size_t>(FormRules::kMaxDepth));
    for (const auto& e : prompt.entries)
        EXPECT_EQ(e.text, "ping");
}

TEST_F(RuleCycleTemplateTest, AControlHidingAndShowingItselfEnds) {
    ui->rightClicked(*form->control(2));
    EXPECT_FALSE(view.calls.empty());
    EXPECT_LE(view.calls.size(), static_cast<std::size_t>(FormRules::kMaxDepth));
    EXPECT_TRUE(prompt.entries.empty());

    // The form still works normally afterwards.
    ASSERT_TRUE(ui->textTyped(*form->control(1), "3"));
    EXPECT_EQ(form->control(0)->field->value, "3");
}

}  // namespace
}  // namespace loom::test
