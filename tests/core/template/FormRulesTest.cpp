#include "template/FormRules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/HandBuiltForm.h"

namespace loom::test {
namespace {

using Strings = std::vector<std::string>;
using F = HandBuiltForm;

TEST(FormRulesTest, ClicksAndSignalsRunOnlyTheFirstMatchingRule) {
    F f;
    FormControl& a = f.add(ControlKind::Button);
    FormControl& b = f.add(ControlKind::Button);
    FormControl& c = f.add(ControlKind::Button);
    f.rule(&a, 50, {F::say("right")});
    f.rule(&a, 49, {F::say("first")});
    f.rule(&a, 49, {F::signal("Larm")});
    f.rule(&b, 49, {F::signal("LARM")});  // names match exactly
    f.rule(&c, 49, {F::signal("larm")});
    f.rule(nullptr, 59, {F::say("Larm 1")}, nullptr, "Larm");
    f.rule(nullptr, 59, {F::say("larm")}, nullptr, "larm");
    f.rule(nullptr, 59, {F::say("Larm 2")}, nullptr, "Larm");
    f.ui.clicked(a);
    EXPECT_EQ(f.said(), Strings{"first"});
    EXPECT_EQ(f.prompt.entries[0].kind, MessageKind::Warning);  // a message is a warning box
    f.prompt.entries.clear();
    f.ui.clicked(b);
    EXPECT_TRUE(f.said().empty());
    f.ui.clicked(c);
    EXPECT_EQ(f.said(), Strings{"larm"});
}

TEST(FormRulesTest, EntryRunsEveryEnteredRuleAndEveryExactComparisonInFileOrder) {
    F f;
    FormControl& e = f.edit();
    FormControl& value7 = f.edit();  // value 7, text x
    value7.field->value = "7";
    value7.text = "x";
    FormControl& text7 = f.edit();  // value x, text 7
    text7.field->value = "x";
    text7.text = "7";
    f.rule(&e, 51, {F::say("entered 1")});
    f.rule(&e, 55, {F::say("equals text 7")}, nullptr, "7");
    f.rule(&e, 53, {F::say("equals value of other")}, &value7);
    f.rule(&e, 53, {F::say("not the text")}, &text7);
    f.rule(&e, 54, {F::say("equals text of other")}, &text7);
    f.rule(&e, 54, {F::say("not the value")}, &value7);
    f.rule(&e, 58, {F::say("text set, not entered")}, nullptr, "7");
    f.rule(&e, 51, {F::say("entered 2")});

    ASSERT_TRUE(f.ui.textTyped(e, "7"));
    EXPECT_EQ(f.said(), (Strings{"entered 1", "equals text 7", "equals value of other",
                                 "equals text of other", "entered 2"}));
}

TEST(FormRulesTest, PageDisableOverridesEnableUntilThePageIsEnabledAgain) {
    F f;
    FormControl& b = f.add(ControlKind::Button);
    FormControl& target = f.add(ControlKind::Edit);
    FormControl& off = f.add(ControlKind::Button);
    FormControl& on = f.add(ControlKind::Button);
    FormControl& pageOn = f.add(ControlKind::Button, 1);  // on the page that is not shown
    f.rule(&b, 49, {F::onPage(74, 0), F::act(62, &target)});
    f.rule(&off, 49, {F::act(63, &target)});
    f.rule(&on, 49, {F::act(62, &target)});
    f.rule(&pageOn, 49, {F::onPage(73, 0)});
    f.rule(&target, 47, {F::say("enabled")});
    f.rule(&target, 48, {F::say("disabled")});

    f.ui.clicked(b);
    f.ui.clicked(on);  // still disabled through the page: no event
    EXPECT_FALSE(target.windowEnabled());
    EXPECT_TRUE(target.enabled);
    EXPECT_EQ(f.said(), Strings{"disabled"});

    f.ui.clicked(pageOn);
    EXPECT_TRUE(target.windowEnabled());
    EXPECT_EQ(f.said(), (Strings{"disabled", "enabled"}));

    // A control disabled on its own stays disabled when its page is enabled again.
    f.rules.fire(&b, 49);
    f.ui.clicked(off);
    f.ui.clicked(pageOn);
    EXPECT_FALSE(target.windowEnabled());
}

// Controls of a page not shown change state quietly: the window events need a window,
// the control's own text and value events do not.
TEST(FormRulesTest, ShowHideEnableAndFocusReportOnlyWhenTheWindowChanges) {
    F f;
    FormControl& b = f.add(ControlKind::Button);
    FormControl& t = f.add(ControlKind::Label, 0, "m\xE5l");
    FormControl& hidden = f.edit();
    hidden.visible = false;
    FormControl& elsewhere = f.edit(0, {}, 1);
    FormControl& shown = f.edit();
    FormControl& group = f.add(ControlKind::OptionGroup);
    f.rule(&b, 49,
           {F::act(61, &t), F::act(61, &t), F::act(60, &t), F::act(60, &t), F::act(63, &t),
            F::act(63, &t), F::act(62, &t), F::act(64, &hidden), F::act(64, &elsewhere),
            F::act(64, &shown), F::act(61, &elsewhere), F::act(63, &elsewhere),
            F::act(65, &elsewhere, "ny"), F::act(68, &elsewhere, "42"), F::act(61, &group)});
    for (int event : {45, 46, 47, 48}) {
        f.rule(&t, event, {F::say(std::to_string(event))});
        f.rule(&elsewhere, event, {F::say("elsewhere")});
    }
    for (int event : {52, 51})
        f.rule(&elsewhere, event, {F::say("elsewhere " + std::to_string(event))});
    f.ui.clicked(b);
    EXPECT_EQ(f.said(), (Strings{"46", "45", "48", "47", "elsewhere 52", "elsewhere 51"}));
    EXPECT_EQ(f.view.calls,
              (Strings{"hide #1", "show #1", "disable #1", "enable #1", "focus #4", "modified"}));
    EXPECT_FALSE(elsewhere.visible || elsewhere.enabled || group.visible);
    EXPECT_EQ(elsewhere.field->value, "42");
}

// Entering takes what the user could type or pick, uncorrected and without the final check;
// copying takes the other control's value or text.
TEST(FormRulesTest, EnteringAndCopyingTakeOnlyWhatTheUserCouldTypeOrChoose) {
    F f;
    FormControl& b = f.add(ControlKind::Button);
    FormControl& box = f.checkBox();
    FormControl& group = f.add(ControlKind::OptionGroup);
    FormControl& o1 = f.option(group, "A");
    f.option(group, "B");
    FormControl& label = f.add(ControlKind::Label, 0, "etikett");
    FormControl& scale = f.edit(5, limits(none, 4, none, none));  // correcting is for leaving
    FormControl& number = f.edit(1, limits(3, none, none, none));
    number.field->value = "old";
    FormControl& copy = f.edit();
    FormControl& choice = f.choice({{"Av", "0"}, {"P\xE5", "1"}});
    f.rule(&b, 50,
           {F::act(70, &choice, {}, &label), F::act(66, &label, {}, &box),
            F::act(67, &copy, {}, &box)});
    f.rule(&b, 49,
           {F::act(68, &box, "X"), F::act(68, &box, "JJ"), F::act(68, &box, "J"),
            F::act(68, &group, "C"), F::act(68, &o1, "B"), F::act(68, &label, "x"),
            F::act(68, &scale, "16"), F::act(68, &number, "12a")});
    for (FormControl* c : {&box, &group, &scale, &number})
        f.rule(c, 51, {F::say("51 #" + std::to_string(c->number))});
    f.ui.clicked(b);
    EXPECT_EQ(box.field->value, "J");
    EXPECT_EQ(group.field->value, "B");
    EXPECT_EQ(label.text, "etikett");
    EXPECT_EQ(scale.text, "16");
    EXPECT_EQ(number.field->value, "old");
    EXPECT_EQ(f.said(), (Strings{"51 #1", "51 #2", "51 #6"}));
    EXPECT_EQ(f.view.calls,
              (Strings{"value #1 J", "modified", "value #3 B", "value #4 B", "value #6 16"}));
    EXPECT_EQ(f.prompt.beeps, 0);
    label.text = "1";
    f.ui.rightClicked(b);
    EXPECT_EQ(label.text, "J");
    EXPECT_EQ(copy.text, "Aktiv");
    EXPECT_EQ(choice.field->value, "1");
    EXPECT_EQ(choice.text, "P\xE5");
}

TEST(FormRulesTest, RulesFiringEachOtherStopQuietly) {
    F f;
    FormControl& a = f.edit();
    FormControl& b = f.edit();
    f.rule(&a, 51, {F::act(69, &b, {}, &a)});
    f.rule(&b, 51, {F::act(69, &a, {}, &b)});
    ASSERT_TRUE(f.ui.textTyped(a, "5"));
    ASSERT_TRUE(f.ui.textTyped(a, "6"));  // the next event starts afresh
    EXPECT_EQ(b.field->value, "6");
    FormControl& start = f.add(ControlKind::Button);
    FormControl& x = f.add(ControlKind::Label);
    FormControl& y = f.add(ControlKind::Label);
    f.rule(&start, 49, {F::act(61, &x)});
    f.rule(&x, 46, {F::act(61, &y), F::act(60, &x)});
    f.rule(&x, 45, {F::act(61, &x)});
    f.rule(&y, 46, {F::act(60, &y)});
    f.rule(&y, 45, {F::act(61, &y)});
    f.ui.clicked(start);
    EXPECT_LT(f.view.calls.size(), 64u);
    EXPECT_TRUE(f.said().empty());
    EXPECT_EQ(f.prompt.beeps, 0);
}

}  // namespace
}  // namespace loom::test
