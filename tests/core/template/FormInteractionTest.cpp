#include "template/FormInteraction.h"

#include <gtest/gtest.h>

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

// A refused keystroke beeps, a refused paste does not; what is accepted is stored at once.
TEST(FormInteractionTest, TypingAndPastingAreCheckedAndStoredAtOnce) {
    F f;
    FormControl& e = f.edit(1, limits(2, none, 10, none));
    probe(f, e, {"1", "9"});
    EXPECT_TRUE(f.ui.textTyped(e, "1"));
    EXPECT_FALSE(f.ui.textTyped(e, "11"));
    EXPECT_EQ(f.prompt.beeps, 1);
    EXPECT_FALSE(f.ui.textReplaced(e, "123"));
    EXPECT_EQ(f.prompt.beeps, 1);
    EXPECT_TRUE(f.ui.textReplaced(e, "9"));
    EXPECT_EQ(e.field->value, "9");
    EXPECT_TRUE(f.ui.focusLost(e));
    EXPECT_EQ(f.said(), (Strings{"51 1", "51 9", "44"}));
}

// Leaving an edit corrects its text, then checks it: a stop box with the first failure.
TEST(FormInteractionTest, LeavingCorrectsThenChecks) {
    F f;
    FormControl& low = f.edit(5, limits(none, none, none, 20));
    FormControl& high = f.edit(5, limits(none, none, 100, none));
    f.ui.textErased(low, "16");  // unchecked, so that any text can stand in the field
    f.ui.textErased(high, "102");
    EXPECT_TRUE(f.ui.focusLost(high));
    EXPECT_EQ(high.field->value, "100");
    EXPECT_TRUE(f.prompt.entries.empty());
    EXPECT_FALSE(f.ui.focusLost(low));
    EXPECT_EQ(low.text, "15");
    EXPECT_EQ(low.field->value, "15");
    EXPECT_EQ(f.prompt.texts(), Strings{test::text(MessageId::ValueTooSmall, {20})});
    EXPECT_EQ(f.prompt.entries[0].kind, MessageKind::Stop);
}

// Each kind stores what the user picked as one value entry; a pick that changes nothing
// or picks nothing is no entry. The view is told of a change once until the values are saved.
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
    f.ui.checkBoxToggled(box, false);
    EXPECT_EQ(box.field->value, "N");
    EXPECT_EQ(f.view.calls, Strings{"modified"}) << "the box shows its state already";

    f.ui.choiceSelected(choice, 1);
    f.ui.choiceSelected(choice, 2);
    f.ui.choiceSelected(choice, -1);
    EXPECT_EQ(choice.field->value, "1");
    EXPECT_EQ(choice.text, "P\xE5");

    f.ui.valuesSaved();
    f.ui.optionClicked(a);  // already the group's value
    EXPECT_EQ(f.view.calls, Strings{"modified"});
    f.ui.optionClicked(b);
    EXPECT_EQ(a.value(), "B");
    EXPECT_EQ(f.view.calls, (Strings{"modified", "value #3 B", "value #4 B", "modified"}));
    EXPECT_EQ(f.said(), (Strings{"51 J", "51 N", "51 1", "51 B"}));
}

}  // namespace
}  // namespace loom::test
