#include "template/FormInteraction.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "common/Messages.h"
#include "support/HandBuiltForm.h"
#include "support/MessageText.h"
#include "template/FormRules.h"

namespace loom::test {
namespace {

using Strings = std::vector<std::string>;
using F = HandBuiltForm;

// Probes on a control: a box naming the event, and for entries the value.
void probe(F& f, FormControl& c, std::vector<std::string> values = {}) {
    for (int event : {42, 43, 44, 45, 46, 47, 48, 49, 50}) {
        f.rule(&c, event, {F::say(std::to_string(event))});
    }
    for (const std::string& v : values)
        f.rule(&c, 55, {F::say("51 " + v)}, nullptr, v);
}

TEST(FormInteractionTest, MaxValueRefusesTheKeystrokeThatExceedsIt) {
    F f;
    FormControl& e = f.edit(1, limits(none, none, 10, none));
    probe(f, e, {"1", "11", "9"});
    EXPECT_TRUE(f.ui.textTyped(e, "1"));
    EXPECT_FALSE(f.ui.textTyped(e, "11"));
    EXPECT_EQ(f.prompt.beeps, 1);
    EXPECT_EQ(e.field->value, "1");
    EXPECT_TRUE(f.ui.textTyped(e, "9"));
    EXPECT_EQ(e.field->value, "9") << "an accepted keystroke is stored at once";
    EXPECT_TRUE(f.ui.focusLost(e));
    EXPECT_EQ(f.said(), (Strings{"51 1", "51 9", "44"}));
    EXPECT_EQ(f.prompt.beeps, 1);
}

// Leaving an edit corrects its text, then checks it: a stop box with the first failure.
TEST(FormInteractionTest, LeavingCorrectsThenChecks) {
    struct Case {
        const char* name;
        int filter;
        EditLimits limits;
        const char* typed;
        std::optional<MessageId> message;
        std::int64_t limit;
        const char* kept;
    };
    const Case cases[] = {
        {"too many", 0, limits(3, 5, 10, none), "12345", MessageId::TooManyChars, 3, "12345"},
        {"too few", 0, limits(none, 3, none, none), "ab", MessageId::TooFewChars, 3, "ab"},
        {"corrected before the check", 5, limits(none, none, none, 20), "16",
         MessageId::ValueTooSmall, 20, "15"},
        {"correction mends it", 5, limits(none, none, 100, none), "102", std::nullopt, 0, "100"},
        {"empty scale becomes zero", 5, EditLimits{}, "", std::nullopt, 0, "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        F f;
        FormControl& e = f.edit(c.filter, c.limits);
        f.ui.textErased(e, c.typed);  // unchecked, so that any text can stand in the field
        EXPECT_EQ(f.ui.focusLost(e), !c.message);
        if (c.message) {
            ASSERT_EQ(f.prompt.entries.size(), 1u);
            EXPECT_EQ(f.prompt.entries[0].text, test::text(*c.message, {c.limit}));
            EXPECT_EQ(f.prompt.entries[0].kind, MessageKind::Stop);
        } else {
            EXPECT_TRUE(f.prompt.entries.empty());
        }
        EXPECT_EQ(e.text, c.kept);
        EXPECT_EQ(e.field->value, c.kept);
    }
}

TEST(FormInteractionTest, PastedTextIsCheckedWithoutABeep) {
    F f;
    FormControl& e = f.edit(0, limits(3, none, none, none));
    EXPECT_TRUE(f.ui.textReplaced(e, "abc"));
    EXPECT_FALSE(f.ui.textReplaced(e, "abcd"));
    EXPECT_EQ(f.prompt.beeps, 0);
    EXPECT_EQ(e.field->value, "abc");
}

TEST(FormInteractionTest, ModifiedIsToldOnceUntilTheValuesAreSaved) {
    F f;
    FormControl& e = f.edit();
    FormControl& box = f.checkBox();
    f.ui.textTyped(e, "1");
    f.ui.textTyped(e, "12");
    f.ui.checkBoxToggled(box, true);
    EXPECT_EQ(f.view.calls, Strings{"modified"});
    f.ui.valuesSaved();
    f.ui.textErased(e, "1");
    EXPECT_EQ(f.view.calls, (Strings{"modified", "modified"}));
}

// Each kind stores what the user picked as one value entry; a pick that changes nothing
// or picks nothing is no entry.
TEST(FormInteractionTest, BoxesChoicesAndOptionsStoreWhatWasPicked) {
    F f;
    FormControl& box = f.checkBox();
    FormControl& choice = f.choice({{"Av", "0"}, {"P\xE5", "1"}});
    FormControl& group = f.add(ControlKind::OptionGroup);
    FormControl& a = f.option(group, "A");
    FormControl& b = f.option(group, "B");
    group.field->value = "A";
    probe(f, box, {"J", "N"});
    probe(f, choice, {"1", "P\xE5"});
    probe(f, group, {"A", "B"});
    f.ui.checkBoxToggled(box, true);
    EXPECT_EQ(box.field->value, "J");
    f.ui.checkBoxToggled(box, false);
    EXPECT_EQ(box.field->value, "N");
    EXPECT_EQ(f.view.calls, Strings{"modified"}) << "the box shows its state already";

    f.ui.choiceSelected(choice, 1);
    EXPECT_EQ(choice.field->value, "1");
    EXPECT_EQ(choice.text, "P\xE5");
    f.ui.choiceSelected(choice, 2);
    f.ui.choiceSelected(choice, -1);
    EXPECT_EQ(choice.field->value, "1");

    f.view.calls.clear();
    f.ui.optionClicked(a);  // already the group's value
    EXPECT_TRUE(f.view.calls.empty());
    f.ui.optionClicked(b);
    EXPECT_EQ(group.field->value, "B");
    EXPECT_EQ(a.value(), "B");
    EXPECT_EQ(f.view.calls, (Strings{"value #3 B", "value #4 B"}));
    EXPECT_EQ(f.said(), (Strings{"51 J", "51 N", "51 1", "51 B"}));
}

TEST(FormInteractionTest, ShowingAPageReportsShownThenLaidOut) {
    F f;
    FormControl& a = f.add(ControlKind::Button);
    FormControl& hidden = f.add(ControlKind::Label);
    hidden.visible = false;
    FormControl& group = f.add(ControlKind::OptionGroup);
    FormControl& other = f.add(ControlKind::Button, 1);
    f.rule(&a, 45, {F::say("45 a")});
    f.rule(&a, 42, {F::say("42 a")});
    f.rule(&hidden, 45, {F::say("45 hidden")});
    f.rule(&hidden, 42, {F::say("42 hidden")});
    f.rule(&group, 45, {F::say("45 group")});
    f.rule(&group, 42, {F::say("42 group")});
    f.rule(&other, 45, {F::say("45 other")});
    f.rule(&other, 42, {F::say("42 other")});
    f.ui.pageShown();
    EXPECT_EQ(f.said(), (Strings{"45 a", "42 a", "42 hidden", "42 group"}));

    f.prompt.entries.clear();
    f.form.setShownPageIndex(1);
    f.ui.pageShown();
    EXPECT_EQ(f.said(), (Strings{"45 other", "42 other"}));
}

}  // namespace
}  // namespace loom::test
