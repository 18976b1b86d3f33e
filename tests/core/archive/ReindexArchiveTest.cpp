#include "archive/ReindexArchive.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "ArchiveHome.h"

namespace loom {
namespace {

class ReindexArchiveTest : public test::ArchiveHome {};
using test::Lines;

TEST_F(ReindexArchiveTest, RebuildsBothIndexesFromTheFolders) {
    writeData("A0000010", {"Storgatan 1", "Malmö", "not indexed"}, 2);
    writeData("A0000020", {}, 0);
    writeText(files() / "B0000030.KQD", "not a data file");
    writeText(dataIndex(), "STALE\tline\r\n");
    writeTemplate("ALFA.FRM", "ALFA 2000", "Alfa centralapparat");
    writeTemplate("BETA.frm", "BETA 100", "Beta");
    writeText(home_ / "FORMS" / "JUNK.FRM", "junk");
    context_.labels().set(3, "Entré");  // the open system's label table survives

    ReindexCounts counts;
    ASSERT_TRUE(ReindexArchive(context_, &counts));
    EXPECT_EQ(sortedLines(readText(dataIndex())),
              (Lines{"A0000010\tStorgatan 1\tMalmö", "A0000020"}));
    EXPECT_EQ(sortedLines(readText(formIndex())),
              (Lines{"ALFA.FRM\tALFA 2000\tAlfa centralapparat", "BETA.frm\tBETA 100\tBeta"}));
    EXPECT_EQ(counts.dataFiles, 3u);
    EXPECT_EQ(counts.indexedFiles, 2u);
    EXPECT_EQ(counts.indexedTemplates, 2u);
    EXPECT_TRUE(prompt_.texts().empty());
    EXPECT_EQ(context_.labels().text(3), "Entré");
}

TEST_F(ReindexArchiveTest, ValuesWithLineBreaksStayOnTheirLine) {
    writeData("A0000010", {"two\r\nlines"}, 1);
    ASSERT_TRUE(ReindexArchive(context_));
    EXPECT_EQ(readText(dataIndex()), "A0000010\ttwolines\r\n");
}

TEST_F(ReindexArchiveTest, HeldOrUnreplaceableDataIndexGivesMessage40AndKeepsTheOldOne) {
    writeData("A0000010", {"v"}, 1);
    for (const bool locked : {true, false}) {
        prompt_.entries.clear();
        writeText(dataIndex(), "OLD\tx\r\n");
        files_.heal();
        locked ? files_.failLocked() : files_.failReplace();
        EXPECT_FALSE(ReindexArchive(context_)) << locked;
        EXPECT_EQ(prompt_.texts(), (Lines{"Indexet kunde inte skapas."})) << locked;
        EXPECT_EQ(readText(dataIndex()), "OLD\tx\r\n") << locked;
    }
}

TEST_F(ReindexArchiveTest, UnopenableTemplateShowsTheSystemErrorAndMessage4InOneBox) {
    writeTemplate("ALFA.FRM", "ALFA 2000", "Alfa");
    const auto locked = home_ / "FORMS" / "LOCKED.FRM";
    writeTemplate("LOCKED.FRM", "X", "Y");
    files_.failOpenRead(locked);
    ASSERT_TRUE(ReindexArchive(context_));
    EXPECT_EQ(prompt_.texts(), (Lines{std::make_error_code(std::errc::permission_denied).message() +
                                      "\nKan inte öppna filen.\nfil: " + locked.string()}));
    EXPECT_EQ(readText(formIndex()), "ALFA.FRM\tALFA 2000\tAlfa\r\n");
}

TEST_F(ReindexArchiveTest, TheCommandAsksFirst) {
    writeData("A0000010", {"v"}, 1);
    writeText(dataIndex(), "");
    prompt_.answers = {Answer::No, Answer::Yes};
    EXPECT_FALSE(ConfirmAndReindexArchive(context_));
    EXPECT_EQ(readText(dataIndex()), "");
    EXPECT_TRUE(ConfirmAndReindexArchive(context_));
    EXPECT_EQ(readText(dataIndex()), "A0000010\tv\r\n");
    ASSERT_EQ(prompt_.entries.size(), 2u);
    EXPECT_TRUE(prompt_.entries[0].question);
    EXPECT_EQ(prompt_.texts()[0].rfind("Det kan ta lång tid att skapa index.", 0), 0u);
}

}  // namespace
}  // namespace loom
