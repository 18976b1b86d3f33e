// What a data control shows for a stored value, as text.
#include <gtest/gtest.h>

#include "common/Cp1252.h"
#include "support/HandBuiltForm.h"

namespace loom {
namespace {

TEST(FormShownValueTest, EachKindShowsItsValueAsItsWindowDoes) {
    test::HandBuiltForm f(1);
    FormControl& edit = f.edit();
    FormControl& code = f.edit();
    code.masked = true;
    FormControl& choice = f.choice({{"Svenska", "0"}, {"Norska", "1"}});
    FormControl& box = f.checkBox();
    FormControl& group = f.add(ControlKind::OptionGroup);
    f.option(group, "0").caption = "&Slutande";
    f.option(group, "1").caption = "Br&ytande && mer";

    const struct {
        const FormControl* control;
        std::string value;
        std::string shown;  // UTF-8
    } cases[] = {
        {&edit, "Åkerlund", "Åkerlund"},
        {&code, "1234", "****"},
        {&code, "", ""},
        {&choice, "1", "Norska"},
        {&choice, "7", "7"},  // no entry holds it
        {&box, "J", "På"},
        {&box, "N", "Av"},
        {&box, "", "Av"},
        {&group, "0", "Slutande"},
        {&group, "1", "Brytande & mer"},
        {&group, "9", "9"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cp1252ToUtf8(f.form.shownValue(*c.control, utf8ToCp1252(c.value))), c.shown)
            << controlKindName(c.control->kind) << " " << c.value;
}

}  // namespace
}  // namespace loom
