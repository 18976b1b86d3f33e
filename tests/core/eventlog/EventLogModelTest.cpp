#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/Cp1252.h"
#include "datafile/LabelTable.h"
#include "eventlog/EventLogModel.h"
#include "support/RecordingPrompt.h"
#include "template/EventTexts.h"

namespace loom {
namespace {

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

// Dates 31 December 2089, 1 January 2009, 15 June 2009 and an invalid one, then two users'
// arming: code, three bytes, date (day, month, year), one byte and the section or user.
const std::vector<std::string> kLog = {"400000001F0C590001", "400000000101090002",
                                       "400000000F06090003", "400000000001090004",
                                       "410000000F060901",   "4100000010060905"};

TEST_F(EventLogModelTest, SearchShowsTheMatchingEntriesInListOrderRefusesBadDatesAndSplitsLines) {
    const std::string bo = "Tillkoppling|Användare: Bo", asa = "Tillkoppling|Användare: ÅSA ÖBERG";
    const std::string undated = "Inbrottslarm|Sektion 4", june = "Inbrottslarm|Sektion 3";
    const std::string january = "Inbrottslarm|Sektion 2", y2089 = "Inbrottslarm|Sektion 1";
    std::string seventeen;  // only the first sixteen words count
    for (int i = 0; i < 16; ++i)
        seventeen += "x" + std::to_string(i) + ";";
    const struct {
        EventLogFilter filter;  // UTF-8 here
        std::vector<std::string> shown;
    } cases[] = {{{}, {bo, asa, undated, june, january, y2089}},
                 {{"", "", "", "090616", ""}, {bo, y2089}},  // from is inclusive
                 {{"", "", "", "", "090101"}, {january}},  // only "to": the undated one is left out
                 {{"", "", "", "090101", "090615"}, {asa, june, january}},
                 {{"Inbrott", "", "", "", ""}, {undated, june, january, y2089}},
                 {{"", "åsa ö", "", "", ""}, {asa}},
                 {{"", "", "sektion 3;bo", "", ""}, {bo, june}},
                 {{"", "", seventeen + "Bo", "", ""}, {}}};
    load(kLog);
    for (const auto& c : cases) {
        EventLogFilter f = c.filter;
        for (std::string* s : {&f.eventName, &f.user, &f.freeText, &f.from, &f.to})
            *s = utf8ToCp1252(*s);
        ASSERT_TRUE(search(f));
        EXPECT_EQ(shownFirstLines(), c.shown)
            << c.filter.eventName << c.filter.user << c.filter.freeText << c.filter.from << "-"
            << c.filter.to;
        EXPECT_EQ(model_.canPrint(), !c.shown.empty());
    }
    EXPECT_TRUE(prompt_.entries.empty());

    // A bad date shows its message and keeps the list.
    ASSERT_TRUE(search({"", "", "", "090616", ""}));
    const struct {
        const char *from, *to;
        MessageId id;
        MessageKind kind;
    } bad[] = {{"0913", "", MessageId::BadFromDate, MessageKind::Stop},
               {"", "091301", MessageId::BadToDate, MessageKind::Stop},
               {"090102", "090101", MessageId::EmptyDateRange, MessageKind::Warning}};
    for (const auto& c : bad) {
        prompt_.entries.clear();
        EXPECT_FALSE(search({"", "", "", c.from, c.to}));
        ASSERT_EQ(prompt_.entries.size(), 1u);
        EXPECT_EQ(prompt_.entries[0].id, c.id) << c.from << "-" << c.to;
        EXPECT_EQ(prompt_.entries[0].kind, c.kind);
        EXPECT_EQ(model_.shown().size(), 2u);
    }
    // Lines are split at CR LF, empty ones dropped, at most 17 kept.
    load({"42"});
    const LogEntry& many = model_.entries()[0];
    ASSERT_EQ(many.lines.size(), 17u);
    EXPECT_EQ(many.lines[0], "Test");
    EXPECT_EQ(many.lines[16], "Rad 17");
}

}  // namespace
}  // namespace loom
