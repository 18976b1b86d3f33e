#include "archive/SearchDialogModel.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "ArchiveHome.h"
#include "archive/FileId.h"
#include "archive/SearchResults.h"

namespace loom {
namespace {

using test::Lines;

class SearchDialogModelTest : public test::ArchiveHome {
  protected:
    SearchDialogModelTest() {
        writeData("A0000010", {"Östen", "Lund", "larm"}, 2);
        writeData("A0000020", {"Åsa", "Malmö", "kod 1234"}, 2);
        writeData("A0000030", {"Ärna", "Malmö"}, 2);
    }
    Lines found() { return utf8(context_.searchResults().list(ResultList::Found)); }
    Lines rows() const { return utf8(model_.rows()); }

    SearchDialogModel model_{context_};
};

TEST_F(SearchDialogModelTest, SearchWithTheIndexSortsByTheValues) {
    EXPECT_TRUE(model_.search(""));
    EXPECT_EQ(found(),
              (Lines{"A0000020\tÅsa\tMalmö", "A0000030\tÄrna\tMalmö", "A0000010\tÖsten\tLund"}));
    EXPECT_EQ(rows(), (Lines{"Åsa\tMalmö", "Ärna\tMalmö", "Östen\tLund"}));
    EXPECT_EQ(model_.count(), 3u);
    EXPECT_FALSE(model_.canOpen());
    EXPECT_TRUE(model_.search(utf8ToCp1252("malmö ärna")));
    EXPECT_EQ(rows(), (Lines{"Ärna\tMalmö"}));
    EXPECT_TRUE(prompt_.texts().empty());
    EXPECT_TRUE(model_.search("A00000"));  // only in the keys: no match empties the list
    EXPECT_TRUE(found().empty());
    EXPECT_EQ(model_.count(), 0u);
    EXPECT_EQ(prompt_.texts(), (Lines{"Inga filer hittades."}));
}

TEST_F(SearchDialogModelTest, SearchWithoutTheIndexAsksAndLooksAtEveryValue) {
    model_.setUseIndex(false);
    prompt_.answers = {Answer::No, Answer::Yes, Answer::Yes};
    EXPECT_FALSE(model_.search("1234"));
    EXPECT_EQ(prompt_.entries.size(), 1u);
    EXPECT_TRUE(model_.history().empty());
    // "1234" is not indexed: only the search without the index finds it.
    EXPECT_TRUE(model_.search(utf8ToCp1252("1234 malmö")));
    EXPECT_EQ(found(), (Lines{"A0000020\tÅsa\tMalmö"}));
    // Each keyword may sit in a different value; an unreadable file does not match.
    writeText(files() / "A0000030.KQD", "damaged");
    EXPECT_TRUE(model_.search(utf8ToCp1252("LARM lund")));
    EXPECT_EQ(found(), (Lines{"A0000010\tÖsten\tLund"}));
    EXPECT_EQ(prompt_.entries.size(), 3u);
    EXPECT_EQ(prompt_.unexpected, 0);
}

TEST_F(SearchDialogModelTest, HistoryKeepsFiveNewestFirstIgnoringCase) {
    for (const char* text : {"a", "b", "", "c", "A", "d", "e"})
        model_.search(text);
    EXPECT_EQ(model_.history(), (Lines{"e", "d", "c", "b", "a"}));
    model_.search("f");
    EXPECT_EQ(model_.history(), (Lines{"f", "e", "d", "c", "b"}));
}

TEST_F(SearchDialogModelTest, SelectingARowShowsTheFileInformation) {
    std::uint32_t t = 0;
    char letter = 0;
    const std::string key = MakeFileId(1700000000 - 3000, 'K');  // 14 Nov 2023, 21:20 UTC
    ASSERT_TRUE(ParseFileId(key, t, letter));
    writeData(key, {"Zäta"}, 1);
    files_.setLastWriteTime(files() / (key + ".KQD"), 1704067200 - 1800);  // 31 Dec 23:30 UTC
    ASSERT_TRUE(model_.search(utf8ToCp1252("zäta")));
    model_.selectRow(0);
    EXPECT_TRUE(model_.canOpen());
    EXPECT_TRUE(model_.canDelete());
    EXPECT_EQ(model_.selectedPath(), files() / (key + ".KQD"));
    const FileInfo& info = model_.info();
    EXPECT_EQ(cp1252ToUtf8(info.created), "14 november, 2023");
    EXPECT_EQ(info.computer, "K");
    EXPECT_EQ(cp1252ToUtf8(info.modified), "1 januari, 2024");  // local time is UTC+1
    EXPECT_EQ(info.system, "ALFA 2000");
    EXPECT_EQ(info.fileName, key + ".KQD");
    // An unreadable file shows its message and no information.
    writeText(files() / (key + ".KQD"), "damaged");
    model_.selectRow(0);
    EXPECT_EQ(model_.info(), FileInfo{});
    ASSERT_EQ(prompt_.texts().size(), 1u);
    EXPECT_EQ(prompt_.texts()[0].rfind("Kan inte läsa filen.", 0), 0u);
}

TEST_F(SearchDialogModelTest, UnsafeKeysNeverBecomePaths) {
    writeText(dataIndex(), "..\tx\r\n../A0000010\tx\r\nA\\B\tx\r\n");
    ASSERT_TRUE(model_.search("x"));
    ASSERT_EQ(model_.count(), 3u);
    for (std::size_t row = 0; row < 3; ++row) {
        model_.selectRow(row);
        EXPECT_TRUE(model_.selectedPath().empty());
        EXPECT_FALSE(model_.canDelete());
        EXPECT_FALSE(model_.deleteSelected());
    }
    EXPECT_TRUE(prompt_.texts().empty());
}

TEST_F(SearchDialogModelTest, DeletingTheLastRowOfSoktaDropsFileRowAndIndexLine) {
    ASSERT_TRUE(model_.search(utf8ToCp1252("östen")));
    model_.selectRow(0);
    const auto file = files() / "A0000010.KQD";
    std::filesystem::remove(file);
    std::filesystem::create_directories(file / "inside");  // a full folder cannot be deleted
    prompt_.answers = {Answer::No, Answer::Yes, Answer::Yes};
    EXPECT_FALSE(model_.deleteSelected());
    EXPECT_FALSE(model_.deleteSelected());
    EXPECT_EQ(prompt_.texts().back(), "Filen har inte raderats.");
    EXPECT_EQ(model_.count(), 1u);
    EXPECT_NE(readText(dataIndex()).find("A0000010"), std::string::npos);
    std::filesystem::remove_all(file);
    writeData("A0000010", {"Östen", "Lund", "larm"}, 2);
    EXPECT_TRUE(model_.deleteSelected());
    EXPECT_FALSE(std::filesystem::exists(files() / "A0000010.KQD"));
    EXPECT_EQ(model_.count(), 0u);
    EXPECT_FALSE(model_.canOpen());
    EXPECT_FALSE(model_.canDelete());
    EXPECT_EQ(model_.info(), FileInfo{});
    EXPECT_TRUE(found().empty());
    EXPECT_EQ(readText(dataIndex()).find("A0000010"), std::string::npos);
    EXPECT_EQ(prompt_.texts().back(), "Filen har raderats.");
}

TEST_F(SearchDialogModelTest, DeletingOnTheCopyTabsKeepsTheArchiveLineOfOtherFolders) {
    const struct {
        const char* name;
        ResultList tab;
        bool archiveFolder;  // the list's folder is FILES itself
        bool indexLineStays;
    } cases[] = {
        {"copied, diskette", ResultList::Copied, false, true},
        {"not copied, diskette", ResultList::NotCopied, false, true},
        {"copied, archive", ResultList::Copied, true, false},
        {"not copied, archive", ResultList::NotCopied, true, false},
    };
    for (const auto& c : cases) {
        writeData("A0000010", {"Östen", "Lund"}, 2);
        const std::filesystem::path diskette = temp_.path(std::string("a-") + c.name);
        writeData("A0000010", {"Östen", "Lund"}, 2, diskette);
        const std::filesystem::path folder = c.archiveFolder ? files() : diskette;
        const std::string line = utf8ToCp1252("A0000010\tÖsten\tLund");
        context_.searchResults().list(c.tab) = {folder.string() + "/", line};
        model_.selectTab(c.tab);
        ASSERT_EQ(model_.count(), 1u) << c.name;
        model_.selectRow(0);
        EXPECT_EQ(model_.selectedPath(), folder / "A0000010.KQD") << c.name;
        prompt_.answers = {Answer::Yes};
        EXPECT_TRUE(model_.deleteSelected()) << c.name;
        EXPECT_FALSE(std::filesystem::exists(folder / "A0000010.KQD")) << c.name;
        EXPECT_EQ(context_.searchResults().list(c.tab), (Lines{folder.string() + "/"})) << c.name;
        EXPECT_EQ(readText(dataIndex()).find("A0000010") != std::string::npos, c.indexLineStays)
            << c.name;
    }
}

TEST_F(SearchDialogModelTest, TabsShowTheirListWithoutTheFolder) {
    context_.searchResults().list(ResultList::Copied) = {"/x/", "K1\ta\tb", "K2\tc"};
    model_.selectTab(ResultList::Copied);
    EXPECT_EQ(rows(), (Lines{"a\tb", "c"}));
    context_.searchResults().list(ResultList::NotCopied).clear();
    model_.selectTab(ResultList::NotCopied);
    EXPECT_EQ(model_.count(), 0u);
    // A search fills "Sökta" but leaves another tab's rows on display.
    ASSERT_TRUE(model_.search(""));
    EXPECT_EQ(model_.count(), 0u);
    model_.selectTab(ResultList::Found);
    EXPECT_EQ(model_.count(), 3u);
}

}  // namespace
}  // namespace loom
