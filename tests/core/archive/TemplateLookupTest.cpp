#include "archive/TemplateLookup.h"

#include <gtest/gtest.h>

#include "ArchiveHome.h"

namespace loom {
namespace {

using test::Lines;

class TemplateLookupTest : public test::ArchiveHome {
  protected:
    TemplateLookupTest() {
        writeText(formIndex(), utf8ToCp1252("ALFA.FRM\tALFA 2000 CENTRAL\tAlfa\r\n"
                                            "ALFA2.FRM\tALFA 2000 CEX\tAlfa X\r\n"
                                            "BETA1.FRM\tBETA 100\tBeta ett\r\n"
                                            "BETA2.FRM\tBETA 100 PLUS\tBeta två\r\n"
                                            "../EVIL.FRM\tBETA 100 EVIL\tx\r\n"));
    }
};

TEST_F(TemplateLookupTest, OneMatchGivesItsFileWithoutAsking) {
    // Cut to 13 characters and upper-cased: "ALFA 2000 CEN", not "ALFA 2000 CE" (two
    // templates) nor "ALFA 2000 CENX" (none).
    EXPECT_EQ(findTemplateForSystem(context_, "alfa 2000 cenxyz"), "ALFA.FRM");
    EXPECT_TRUE(dialogs_.systemRowsShown.empty());
    EXPECT_TRUE(prompt_.entries.empty());
}

TEST_F(TemplateLookupTest, SeveralMatchesLetTheUserChooseAmongThem) {
    dialogs_.systemChoices = {1};
    EXPECT_EQ(findTemplateForSystem(context_, "Beta 100"), "BETA2.FRM");
    ASSERT_EQ(dialogs_.systemRowsShown.size(), 1u);
    // The line whose key leaves FORMS is never offered.
    EXPECT_EQ(utf8(dialogs_.systemRowsShown[0]),
              (Lines{"BETA 100\tBeta ett", "BETA 100 PLUS\tBeta två"}));
    dialogs_.systemChoices = {std::nullopt};
    EXPECT_EQ(findTemplateForSystem(context_, "Beta 100"), std::nullopt);
}

TEST_F(TemplateLookupTest, NoMatchAsksMessage34ThenOffersEveryTemplate) {
    prompt_.answers = {Answer::No};
    EXPECT_EQ(findTemplateForSystem(context_, "GAMMA"), std::nullopt);
    EXPECT_TRUE(dialogs_.systemRowsShown.empty());
    prompt_.answers = {Answer::Yes};
    dialogs_.systemChoices = {0};
    EXPECT_EQ(findTemplateForSystem(context_, "GAMMA"), "ALFA.FRM");
    ASSERT_EQ(dialogs_.systemRowsShown.size(), 1u);
    EXPECT_EQ(dialogs_.systemRowsShown[0].size(), 4u);
    EXPECT_EQ(prompt_.texts()[0],
              "Kan inte hitta mallen till sökt system.\nsystem: GAMMA.\n\nVill du använda en "
              "annan mall?");
}

TEST_F(TemplateLookupTest, ChooseSystemGivesFileAndTemplateName) {
    dialogs_.systemChoices = {0};
    EXPECT_EQ(chooseSystem(context_, utf8ToCp1252("två")),
              (ChosenTemplate{"BETA2.FRM", "BETA 100 PLUS"}));
    writeText(formIndex(), "");
    EXPECT_EQ(chooseSystem(context_, ""), std::nullopt);
    ASSERT_EQ(prompt_.texts().size(), 1u);
    EXPECT_EQ(prompt_.texts()[0].rfind("Inga system hittades.", 0), 0u);
    EXPECT_EQ(dialogs_.systemRowsShown.size(), 1u);
}

}  // namespace
}  // namespace loom
