#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/Cp1252.h"
#include "datafile/LabelTable.h"
#include "eventlog/EventLogModel.h"
#include "eventlog/LogFile.h"
#include "eventlog/SwedishUpperCase.h"
#include "platform/FileSystem.h"
#include "support/RecordingPrompt.h"
#include "support/TempDir.h"
#include "template/EventTexts.h"

namespace loom {
namespace {

struct DateCase {
    const char* text;
    std::optional<std::uint32_t> key;
};

class FilterDate : public ::testing::TestWithParam<DateCase> {};

TEST_P(FilterDate, ParsesYYMMDD) {
    EXPECT_EQ(EventLogFilter::parseDate(GetParam().text), GetParam().key);
}

INSTANTIATE_TEST_SUITE_P(
    Dates, FilterDate,
    ::testing::Values(DateCase{"991231", 19991231u}, DateCase{"900101", 19900101u},
                      DateCase{"891231", 20891231u}, DateCase{"000000", 20000000u},
                      DateCase{"990230", 19990230u}, DateCase{"091301", std::nullopt},
                      DateCase{"090132", std::nullopt}, DateCase{"09013", std::nullopt},
                      DateCase{"0901011", std::nullopt}, DateCase{"09O101", std::nullopt},
                      DateCase{" 90101", std::nullopt}, DateCase{"", std::nullopt}));

TEST(SwedishUpperCase, FoldsLettersOnly) {
    EXPECT_EQ(SwedishUpperCase::fold(utf8ToCp1252("åäö éz AZ ÷ ÿ þ 1;")),
              utf8ToCp1252("ÅÄÖ ÉZ AZ ÷ ÿ Þ 1;"));
}

// Records of code 0x40: name, date (bytes 1-6), then the text of code 0x41..0x45.
class EventLogModelTest : public ::testing::Test {
  protected:
    EventLogModelTest() {
        table_.setCode(0x40,
                       {{0x16, "Inbrottslarm\n"}, {0x17, "1"}, {0x16, "\nSektion "}, {0x18, "8"}});
        table_.setCode(0x41, {{0x16, "Tillkoppling\n"},
                              {0x17, "1"},
                              {0x16, utf8ToCp1252("\nAnvändare: ")},
                              {0x1E, "7"}});
        std::string many = "Test";
        for (int i = 2; i <= 20; ++i)
            many += "\n\nRad " + std::to_string(i);
        table_.setCode(0x42, {{0x16, many}});
        table_.setCode(0x43, {{0x16, utf8ToCp1252("Användare: ÅSA\nInget")}});
        labels_.set(1, utf8ToCp1252("ÅSA ÖBERG"));
        labels_.set(5, "Bo");
    }

    // Lines oldest first, as the file keeps them.
    void load(const std::vector<std::string>& lines) {
        std::string text;
        for (const auto& l : lines)
            text += l + "\r\n";
        model_.loadText(text, table_, nullptr, labels_);
    }

    std::vector<std::string> shownFirstLines() const {
        std::vector<std::string> out;
        for (std::size_t i : model_.shown())
            out.push_back(cp1252ToUtf8(model_.entries()[i].lines.at(0)) + "|" +
                          cp1252ToUtf8(model_.entries()[i].lines.back()));
        return out;
    }

    bool search(EventLogFilter filter) { return model_.search(filter, prompt_); }

    EventTexts table_;
    LabelTable labels_;
    EventLogModel model_;
    test::RecordingPrompt prompt_;
};

// 31 December 2089, 1 January 2009, 15 June 2009, an invalid date, two users' arming.
const std::vector<std::string> kLog = {
    "40000000"
    "1F0C59"
    "00"
    "01",  //
    "40000000"
    "010109"
    "00"
    "02",  //
    "40000000"
    "0F0609"
    "00"
    "03",  //
    "40000000"
    "000109"
    "00"
    "04",  //
    "41000000"
    "0F0609"
    "01",  //
    "41000000"
    "100609"
    "05",
};

TEST_F(EventLogModelTest, EntriesAreNewestFirst) {
    load(kLog);
    ASSERT_EQ(model_.entries().size(), 6u);
    EXPECT_EQ(cp1252ToUtf8(model_.entries()[0].lines.back()), "Användare: Bo");
    EXPECT_EQ(model_.entries()[1].dateKey, 20090615u);
    EXPECT_EQ(model_.entries()[2].dateKey, 0u);
    EXPECT_EQ(model_.entries()[5].dateKey, 20891231u);
    EXPECT_EQ(model_.shown().size(), 6u);
    EXPECT_TRUE(model_.canPrint());
}

TEST_F(EventLogModelTest, LinesAreSplitAtCrLfEmptyOnesDroppedAtMost17) {
    load({"42", "43"});
    const LogEntry& many = model_.entries()[1];
    ASSERT_EQ(many.lines.size(), 17u);
    EXPECT_EQ(many.lines[0], "Test");
    EXPECT_EQ(many.lines[16], "Rad 17");
}

TEST_F(EventLogModelTest, EmptyLinesCarryNoRecordAndAMissingFileGivesNothing) {
    load({"", "40", ""});
    EXPECT_EQ(model_.entries().size(), 1u);
    LocalFileSystem disk;
    test::TempDir dir;
    model_.load(disk, dir.path("none.LOG"), table_, nullptr, labels_);
    EXPECT_TRUE(model_.entries().empty());
    EXPECT_FALSE(model_.canPrint());
}

TEST_F(EventLogModelTest, ReadsTheLogFile) {
    test::TempDir dir;
    std::ofstream(dir.path("x.LOG"), std::ios::binary) << kLog[0] << "\r\n" << kLog[4] << "\r\n";
    LocalFileSystem disk;
    model_.load(disk, dir.path("x.LOG"), table_, nullptr, labels_);
    ASSERT_EQ(model_.entries().size(), 2u);
    EXPECT_EQ(model_.entries()[0].lines[0], "Tillkoppling");
    EXPECT_EQ(model_.entries()[1].lines[0], "Inbrottslarm");
}

TEST_F(EventLogModelTest, ChoicesOfTheTwoLists) {
    const auto names = EventLogModel::eventNameChoices(table_);
    ASSERT_EQ(names.size(), 5u);
    EXPECT_EQ(names[0], "");
    EXPECT_EQ(names[1], "Inbrottslarm");
    EXPECT_EQ(names[2], "Tillkoppling");
    const auto users = EventLogModel::userChoices(labels_);
    ASSERT_EQ(users.size(), 2u);
    EXPECT_EQ(cp1252ToUtf8(users[0]), "ÅSA ÖBERG");
    EXPECT_EQ(users[1], "Bo");
}

struct SearchCase {
    const char* name;
    EventLogFilter filter;  // UTF-8 here
    std::vector<std::string> shown;
};

class EventLogSearch : public EventLogModelTest,
                       public ::testing::WithParamInterface<SearchCase> {};

TEST_P(EventLogSearch, ShowsTheMatchingEntriesInListOrder) {
    load(kLog);
    EventLogFilter f = GetParam().filter;
    for (std::string* s : {&f.eventName, &f.user, &f.freeText, &f.from, &f.to})
        *s = utf8ToCp1252(*s);
    ASSERT_TRUE(search(f));
    EXPECT_EQ(shownFirstLines(), GetParam().shown);
    EXPECT_EQ(model_.canPrint(), !GetParam().shown.empty());
    EXPECT_TRUE(prompt_.entries.empty());
}

const std::string kBo = "Tillkoppling|Användare: Bo";
const std::string kAsa = "Tillkoppling|Användare: ÅSA ÖBERG";
const std::string kUndated = "Inbrottslarm|Sektion 4";
const std::string kJune = "Inbrottslarm|Sektion 3";
const std::string kJanuary = "Inbrottslarm|Sektion 2";
const std::string k2089 = "Inbrottslarm|Sektion 1";

INSTANTIATE_TEST_SUITE_P(
    Filters, EventLogSearch,
    ::testing::Values(
        SearchCase{"Nothing", {}, {kBo, kAsa, kUndated, kJune, kJanuary, k2089}},
        SearchCase{"From", {"", "", "", "090601", ""}, {kBo, kAsa, kJune, k2089}},
        SearchCase{"FromIsInclusive", {"", "", "", "090616", ""}, {kBo, k2089}},
        SearchCase{"OnlyToDropsUndated", {"", "", "", "", "090101"}, {kJanuary}},
        SearchCase{"From1999", {"", "", "", "991231", ""}, {kBo, kAsa, kJune, kJanuary, k2089}},
        SearchCase{"From2089", {"", "", "", "891231", ""}, {k2089}},
        SearchCase{"Range", {"", "", "", "090101", "090615"}, {kAsa, kJune, kJanuary}},
        SearchCase{
            "EventNamePrefix", {"Inbrott", "", "", "", ""}, {kUndated, kJune, kJanuary, k2089}},
        SearchCase{"EventNameIsCaseSensitive", {"inbrott", "", "", "", ""}, {}},
        SearchCase{"UserFoldsSwedishLetters", {"", "åsa ö", "", "", ""}, {kAsa}},
        SearchCase{"UserNotInFirstLine", {"", "tillkoppling", "", "", ""}, {}},
        SearchCase{"FreeTextAnyWord", {"", "", "sektion 3;bo", "", ""}, {kBo, kJune}},
        SearchCase{"FreeTextEmptyWordsIgnored", {"", "", ";;ektion 1;", "", ""}, {k2089}},
        SearchCase{"Combined", {"Tillkoppling", "", "ÅSA", "090615", "090615"}, {kAsa}}),
    [](const ::testing::TestParamInfo<SearchCase>& p) { return std::string(p.param.name); });

TEST_F(EventLogModelTest, UserMustFollowTheMarkOnALaterLine) {
    load({"43"});
    EventLogFilter f;
    f.user = "asa";
    ASSERT_TRUE(search(f));
    EXPECT_TRUE(model_.shown().empty());
}

TEST_F(EventLogModelTest, OnlySixteenWordsCount) {
    load(kLog);
    EventLogFilter f;
    for (int i = 0; i < 16; ++i)
        f.freeText += "x" + std::to_string(i) + ";";
    f.freeText += "Bo";
    ASSERT_TRUE(search(f));
    EXPECT_TRUE(model_.shown().empty());
}

TEST_F(EventLogModelTest, TextsAreCutToTheirFieldLengths) {
    load(kLog);
    EventLogFilter f;
    f.user = std::string(63, ' ') + "zzz";
    ASSERT_TRUE(search(f));
    EXPECT_TRUE(model_.shown().empty());  // 63 blanks: no user has them
    f.user = "";
    f.freeText = std::string(127, 'q') + ";Bo";
    ASSERT_TRUE(search(f));
    EXPECT_TRUE(model_.shown().empty());
}

struct BadDateCase {
    const char* from;
    const char* to;
    const char* message;
    MessageKind kind;
};

class EventLogBadDates : public EventLogModelTest,
                         public ::testing::WithParamInterface<BadDateCase> {};

TEST_P(EventLogBadDates, ShowTheMessageAndKeepTheList) {
    load(kLog);
    EventLogFilter narrow;
    narrow.from = "090616";
    ASSERT_TRUE(search(narrow));
    ASSERT_EQ(model_.shown().size(), 2u);
    EventLogFilter f;
    f.from = GetParam().from;
    f.to = GetParam().to;
    EXPECT_FALSE(search(f));
    ASSERT_EQ(prompt_.entries.size(), 1u);
    EXPECT_EQ(prompt_.entries[0].text, GetParam().message);
    EXPECT_EQ(prompt_.entries[0].kind, GetParam().kind);
    EXPECT_EQ(model_.shown().size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, EventLogBadDates,
    ::testing::Values(BadDateCase{"0913", "", "Felaktigt Från-datum.\nDatum skall anges som ÅÅMMDD",
                                  MessageKind::Stop},
                      BadDateCase{"", "091301",
                                  "Felaktigt Till-datum.\nDatum skall anges som ÅÅMMDD",
                                  MessageKind::Stop},
                      BadDateCase{"xx", "yy", "Felaktigt Från-datum.\nDatum skall anges som ÅÅMMDD",
                                  MessageKind::Stop},
                      BadDateCase{"090102", "090101",
                                  "Från-datum är högre än Till-datum!\n\nIngenting kan passa!",
                                  MessageKind::Warning}));

TEST(EventLogFilter, ClearEmptiesEveryField) {
    EventLogFilter f{"Larm", "Bo", "x", "090101", "090202"};
    f.clear();
    EXPECT_TRUE(f.eventName.empty() && f.user.empty() && f.freeText.empty() && f.from.empty() &&
                f.to.empty());
}

}  // namespace
}  // namespace loom
