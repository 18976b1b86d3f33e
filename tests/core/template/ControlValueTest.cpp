// What data controls show, accept and are called.
#include "template/ControlValueCheck.h"

#include <gtest/gtest.h>

#include <string>

#include "common/Cp1252.h"
#include "common/Messages.h"
#include "support/HandBuiltForm.h"
#include "template/FieldCaptions.h"

namespace loom::test {
namespace {

// Each value through one control: what the control shows for it, and what the window's
// final check would store or the first line of the message it would show.
TEST(ControlValueCheckTest, ValuesShowAndPassTheChecksOfTheControlThatShowsThem) {
    HandBuiltForm f(1);
    FormControl& number = f.edit(1, limits(3, none, 900, 30));
    FormControl& hex = f.edit(2);
    FormControl& scale = f.edit(5, limits(none, none, 900, none));
    FormControl& name = f.edit(0, limits(none, 4, none, none));
    FormControl& choice = f.choice({{"Svenska", "0"}, {"Norska", "1"}});
    FormControl& box = f.checkBox();
    FormControl& group = f.add(ControlKind::OptionGroup);
    FormControl& optionB = f.option(group, "B");
    optionB.caption = "Br&ytande && mer";
    f.option(group, "C");
    FormControl& code = f.edit();
    code.masked = true;

    const struct {
        const FormControl* control;
        std::string value;
        std::string shown;  // UTF-8
    } shown[] = {
        {&code, "1234", "****"},
        {&choice, "1", "Norska"},
        {&box, "", "Av"},  // no entry holds 7
        {&group, "B", "Brytande & mer"},
    };
    for (const auto& c : shown)
        EXPECT_EQ(cp1252ToUtf8(f.form.shownValue(*c.control, utf8ToCp1252(c.value))), c.shown)
            << controlKindName(c.control->kind) << " " << c.value;

    const ControlValueCheck check(f.form);

    struct Case {
        const FormControl* control;
        const char* value;
        const char* stored;  // accepted: the value as stored
        MessageId refusal;   // refused: the message
    };
    const MessageId ok = MessageId::CannotOpenFile;  // unused for accepted cases
    const Case cases[] = {
        {&number, "300", "300", ok},
        {&number, "12a", nullptr, MessageId::ValueBadCharacter},
        {&number, "1000", nullptr, MessageId::TooManyChars},   // the length comes first
        {&hex, "ab1", "AB1", ok},                              // corrected as on leaving
        {&scale, "99999", nullptr, MessageId::ValueTooLarge},  // rounded onto the scale first
        {&name, "abc", nullptr, MessageId::TooFewChars},
        {&choice, "Norska", nullptr, MessageId::ValueNotInList},  // stored values only
        {&box, "1", nullptr, MessageId::ValueNotOnOff},
        {&optionB, "C", "C", ok},  // a button stands for its group
        {&group, "D", nullptr, MessageId::ValueNotAnOption},
    };
    for (const auto& c : cases) {
        const ControlValueResult r = check.check(*c.control, c.value);
        SCOPED_TRACE(c.value);
        if (c.stored) {
            EXPECT_TRUE(r.accepted) << r.refusal;
            EXPECT_EQ(r.stored, c.stored);
        } else {
            ASSERT_FALSE(r.accepted);
            const std::string first(messageText(c.refusal).substr(0, 12));
            EXPECT_EQ(r.refusal.substr(0, 12), first) << r.refusal;
        }
    }
    // The refusal names what would have been taken.
    EXPECT_NE(check.check(choice, "7").refusal.find("0 (Svenska), 1 (Norska)"), std::string::npos);
    EXPECT_NE(check.check(number, "901").refusal.find("900"), std::string::npos);
}

// A field's caption: the template's caption attached to its control, else the control's
// own text, else the nearest label to its left on its row.
TEST(FieldCaptionsTest, NameEachFieldAsThePageShowsIt) {
    HandBuiltForm f(2);
    const auto place = [](FormControl& c, int x, int y, int w) {
        c.rect = PixelRect{x, y, w, 20};
        return &c;
    };
    place(f.add(ControlKind::Label, 0, "Långt bort"), 0, 0, 20);
    place(f.add(ControlKind::Label, 0, "Närmast"), 30, 2, 40);
    place(f.add(ControlKind::Label, 0, "Höger"), 170, 0, 40);  // nearer, but to the right
    place(f.add(ControlKind::Label, 0, "Annan rad"), 90, 40, 40);
    FormControl& labelled = *place(f.edit(), 100, 0, 60);
    FormControl& captioned = *place(f.edit(), 100, 60, 60);
    f.form.addCaption("Mallens rubrik", 2);  // follows the second data control
    FormControl& box = *place(f.checkBox(1), 10, 10, 60);

    const FieldCaptions captions(f.form);
    ASSERT_EQ(captions.all().size(), 3u);
    EXPECT_EQ(captions.find(labelled.field->address)->caption, "Närmast");
    EXPECT_EQ(captions.find(captioned.field->address)->caption, "Mallens rubrik");
    EXPECT_EQ(captions.find(box.field->address)->caption, "Aktiv");
    EXPECT_EQ(captions.find(box.field->address)->page, 1);
    EXPECT_EQ(captions.find(0x7777u << 3), nullptr);
}

}  // namespace
}  // namespace loom::test
