// The search dialog, the template lookup, rebuilding the indexes and naming new files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>

#include "archive/FileId.h"
#include "archive/NewDataFile.h"
#include "archive/ReindexArchive.h"
#include "archive/SearchDialogModel.h"
#include "archive/SearchResults.h"
#include "archive/TemplateLookup.h"
#include "support/TestHome.h"
#include "template/TemplateWriter.h"

namespace loom {
namespace {

namespace fs = std::filesystem;
using test::Lines;
using test::readFile;
using test::text;
using test::writeFile;

class ArchiveTest : public ::testing::Test {
  protected:
    // A data file `key`.KQD in `folder` (FILES by default) with the given UTF-8 values; the
    // first `indexed` of them are indexed. Writing it stores its DATA.KQI line.
    void writeData(const std::string& key, const Lines& values, std::size_t indexed,
                   const fs::path& folder = {}) {
        FieldStore store;
        for (std::size_t i = 0; i < values.size(); ++i) {
            FieldRecord& r = store.findOrCreate(kAddresslessBit | static_cast<FieldAddress>(i + 1));
            r.flags = i < indexed ? kFieldFlagDisplayName : 0;
            r.value = utf8ToCp1252(values[i]);
        }
        const fs::path dir = folder.empty() ? h.root / "FILES" : folder;
        fs::create_directories(dir);
        h.save(dir / (key + ".KQD"), store, "");
    }
    void writeTemplate(const std::string& file, const std::string& name, const std::string& title) {
        TemplateWriter writer;
        writer.header(utf8ToCp1252(name), utf8ToCp1252(title)).end();
        const std::vector<std::uint8_t> bytes = writer.finish();
        writeFile(h.root / "FORMS" / file, std::string(bytes.begin(), bytes.end()));
    }
    std::string indexed() { return readFile(h.dataIndex()); }

    test::TestHome h;
};

class SearchDialogModelTest : public ArchiveTest {
  protected:
    SearchDialogModelTest() {
        writeData("A0000010", {"Östen", "Lund", "larm"}, 2);
        writeData("A0000020", {"Åsa", "Malmö", "kod 1234"}, 2);
        writeData("A0000030", {"Ärna", "Malmö"}, 2);
    }
    Lines found() { return test::utf8(h.context.searchResults().list(ResultList::Found)); }

    SearchDialogModel model{h.context};
};

TEST_F(SearchDialogModelTest, SearchWithoutTheIndexAsksAndNeedsEveryKeywordInTheValues) {
    model.setUseIndex(false);
    h.prompt.answers = {Answer::No, Answer::Yes, Answer::Yes};
    EXPECT_FALSE(model.search("1234"));
    EXPECT_TRUE(model.history().empty());
    // "1234" is not indexed: only the search without the index finds it.
    EXPECT_TRUE(model.search(utf8ToCp1252("1234 malmö")));
    EXPECT_EQ(found(), (Lines{"A0000020\tÅsa\tMalmö"}));
    // Each keyword may sit in a different value; an unreadable file does not match.
    writeFile(h.archived("A0000030"), "damaged");
    EXPECT_TRUE(model.search(utf8ToCp1252("LARM lund")));
    EXPECT_EQ(found(), (Lines{"A0000010\tÖsten\tLund"}));
    EXPECT_EQ(h.prompt.texts(), (Lines(3, text(MessageId::SearchWithoutIndex))));
}

TEST_F(SearchDialogModelTest, DeletingTheLastRowOfSoktaDropsFileRowAndIndexLine) {
    ASSERT_TRUE(model.search(utf8ToCp1252("östen")));
    model.selectRow(0);
    const fs::path file = h.archived("A0000010");
    fs::remove(file);
    fs::create_directories(file / "inside");  // a full folder cannot be deleted
    h.prompt.answers = {Answer::Yes, Answer::Yes};
    EXPECT_FALSE(model.deleteSelected());
    EXPECT_EQ(h.prompt.texts().back(), text(MessageId::FileNotDeleted));
    EXPECT_NE(indexed().find("A0000010"), std::string::npos);
    fs::remove_all(file);
    writeData("A0000010", {"Östen", "Lund", "larm"}, 2);
    EXPECT_TRUE(model.deleteSelected());
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(model.count(), 0u);
    EXPECT_EQ(indexed().find("A0000010"), std::string::npos);
    EXPECT_EQ(h.prompt.texts().back(), text(MessageId::FileDeleted));
}

// Deleting on a copy tab removes the file from the list's folder, and the index line only
// when that folder is the archive's.
TEST_F(SearchDialogModelTest, DeletingOnTheCopyTabsKeepsTheArchiveLineOfOtherFolders) {
    for (const ResultList tab : {ResultList::Copied, ResultList::NotCopied}) {
        for (const bool archiveFolder : {false, true}) {
            SCOPED_TRACE(testing::Message() << static_cast<int>(tab) << archiveFolder);
            writeData("A0000010", {"Östen", "Lund"}, 2);
            const fs::path diskette = h.diskette / std::to_string(static_cast<int>(tab));
            writeData("A0000010", {"Östen", "Lund"}, 2, diskette);
            const fs::path folder = archiveFolder ? h.root / "FILES" : diskette;
            h.context.searchResults().list(tab) = {folder.string() + "/",
                                                   utf8ToCp1252("A0000010\tÖsten\tLund")};
            model.selectTab(tab);
            ASSERT_EQ(model.count(), 1u);
            model.selectRow(0);
            EXPECT_EQ(model.selectedPath(), folder / "A0000010.KQD");
            h.prompt.answers = {Answer::Yes};
            EXPECT_TRUE(model.deleteSelected());
            EXPECT_FALSE(fs::exists(folder / "A0000010.KQD"));
            EXPECT_EQ(h.context.searchResults().list(tab), (Lines{folder.string() + "/"}));
            EXPECT_EQ(indexed().find("A0000010") != std::string::npos, !archiveFolder);
        }
    }
}

TEST_F(ArchiveTest, TemplateLookupOneMatchGivesItsFileSeveralLetTheUserChoose) {
    writeFile(h.formIndex(), utf8ToCp1252("ALFA.FRM\tALFA 2000 CENTRAL\tAlfa\r\n"
                                          "ALFA2.FRM\tALFA 2000 CEX\tAlfa X\r\n"
                                          "BETA1.FRM\tBETA 100\tBeta ett\r\n"
                                          "BETA2.FRM\tBETA 100 PLUS\tBeta två\r\n"
                                          "../EVIL.FRM\tBETA 100 EVIL\tx\r\n"));
    // Cut to 13 characters and upper-cased: "ALFA 2000 CEN", not "ALFA 2000 CE" (two
    // templates) nor "ALFA 2000 CENX" (none).
    EXPECT_EQ(findTemplateForSystem(h.context, "alfa 2000 cenxyz"), "ALFA.FRM");
    EXPECT_TRUE(h.dialogs.systemRowsShown.empty());
    h.dialogs.systemChoices = {1, std::nullopt};
    EXPECT_EQ(findTemplateForSystem(h.context, "Beta 100"), "BETA2.FRM");
    EXPECT_EQ(findTemplateForSystem(h.context, "Beta 100"), std::nullopt);
    // The line whose key leaves FORMS is never offered.
    EXPECT_EQ(test::utf8(h.dialogs.systemRowsShown[0]),
              (Lines{"BETA 100\tBeta ett", "BETA 100 PLUS\tBeta två"}));
    EXPECT_TRUE(h.prompt.entries.empty());
}

// A key leads to <key>.KQD only: a copy with the same key gets no line of its own.
TEST_F(ArchiveTest, ReindexRebuildsBothIndexesFromTheFolders) {
    writeData("A0000010", {"Storgatan 1", "two\r\nlines", "not indexed"}, 2);
    writeData("A0000010.bak", {"copy"}, 1);
    writeData("A0000020", {}, 0);
    writeFile(h.archived("B0000030"), "not a data file");
    writeFile(h.dataIndex(), "STALE\tline\r\n");
    writeTemplate("ALFA.FRM", "ALFA 2000", "Alfa centralapparat");
    writeTemplate("BETA.frm", "BETA 100", "Beta");
    writeFile(h.root / "FORMS" / "JUNK.FRM", "junk");

    ReindexCounts counts;
    ASSERT_TRUE(ReindexArchive(h.context, &counts));
    EXPECT_EQ(test::sortedLines(indexed()), (Lines{"A0000010\tStorgatan 1\ttwolines", "A0000020"}));
    EXPECT_EQ(test::sortedLines(readFile(h.formIndex())),
              (Lines{"ALFA.FRM\tALFA 2000\tAlfa centralapparat", "BETA.frm\tBETA 100\tBeta"}));
    EXPECT_EQ(counts.dataFiles, 4u);
    EXPECT_EQ(counts.indexedFiles, 2u);
    EXPECT_EQ(counts.indexedTemplates, 2u);
    EXPECT_EQ(
        h.prompt.texts(),
        (Lines{text(MessageId::SameIndexKey, {pathText(h.archived("A0000010.bak")), "A0000010",
                                              pathText(h.archived("A0000010"))})}));
}

// Two saves of new systems given one name within a second: the one that creates its file
// first keeps the name, the other takes the next free second's; neither replaces a file.
TEST_F(ArchiveTest, OverlappingNewSystemsBothKeepTheirFiles) {
    const auto saveNew = [&](const char* customer) {
        return SaveNewDataFile(h.context, MakeFileId(h.kNow, 'T'), "ALFA 2000", "",
                               h.system(customer), true);
    };
    const fs::path taken = h.archived(MakeFileId(h.kNow + 1, 'T'));  // another computer's
    writeFile(taken, "not ours");
    fs::path second;
    bool hold = true;
    h.files.beforeCommitNew = [&](const fs::path&) {
        if (std::exchange(hold, false)) second = saveNew("Andra");  // while the first waits
    };
    const fs::path first = saveNew("Forsta");
    EXPECT_EQ(second, h.archived(MakeFileId(h.kNow, 'T')));
    EXPECT_EQ(first, h.archived(MakeFileId(h.kNow + 2, 'T')));
    EXPECT_EQ(readFile(taken), "not ours");
    EXPECT_EQ(test::sortedLines(indexed()), (Lines{MakeFileId(h.kNow, 'T') + "\tAndra",
                                                   MakeFileId(h.kNow + 2, 'T') + "\tForsta"}));
}

}  // namespace
}  // namespace loom
