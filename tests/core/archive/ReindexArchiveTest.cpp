#include "archive/ReindexArchive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "ArchiveHome.h"
#include "datafile/LabelTable.h"

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

// Either index that cannot be written fails the rebuild with message 40, the file and the
// reason; the other is still rebuilt, and the one that failed keeps its old content.
TEST_F(ReindexArchiveTest, AnIndexThatCannotBeWrittenGivesMessage40WithTheReason) {
    writeData("A0000010", {"v"}, 1);
    const auto box = [](const char* what, const std::filesystem::path& file, const char* why) {
        return std::string("Indexet kunde inte skapas.\n") + what + "\nfil: " + file.string() +
               "\n" + why;
    };
    const char* held = "Filen används av ett annat program.";
    const char* full = "Det finns inget utrymme kvar på enheten.";
    const struct {
        const char* name;
        std::function<void()> arrange;
        Lines messages;
        const char* dataAfter;
    } cases[] = {
        {"held",
         [&] { files_.failLocked(); },
         {box("Kan inte öppna filen.", dataIndex(), held),
          box("Kan inte öppna filen.", formIndex(), held)},
         "OLD\tx\r\n"},
        {"disk full",
         [&] { files_.failReplace(); },
         {box("Kan inte spara filen.", dataIndex(), full),
          box("Kan inte spara filen.", formIndex(), full)},
         "OLD\tx\r\n"},
        {"a folder in FORM.KQI's place",
         [&] {
             std::filesystem::remove(formIndex());
             std::filesystem::create_directories(formIndex());
         },
         {box("Kan inte öppna filen.", formIndex(), "Det är en katalog.")},
         "A0000010\tv\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        prompt_.entries.clear();
        files_.heal();
        writeText(dataIndex(), "OLD\tx\r\n");
        c.arrange();
        EXPECT_FALSE(ReindexArchive(context_));
        EXPECT_EQ(prompt_.texts(), c.messages);
        EXPECT_EQ(readText(dataIndex()), c.dataAfter);
    }
}

// A key leads to <key>.KQD only: a copy with the same key gets no line of its own.
TEST_F(ReindexArchiveTest, FilesWithAKeyThatIsTakenAreLeftOutWithAWarning) {
    writeData("A0000010", {"original"}, 1);
    writeData("A0000010.bak", {"copy"}, 1);
    writeData("B0000020.x", {"first"}, 1);
    writeData("B0000020.y", {"second"}, 1);
    prompt_.entries.clear();
    ReindexCounts counts;
    ASSERT_TRUE(ReindexArchive(context_, &counts));
    const Lines lines = sortedLines(readText(dataIndex()));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "A0000010\toriginal");
    EXPECT_EQ(lines[1].rfind("B0000020\t", 0), 0u);
    EXPECT_EQ(counts.dataFiles, 4u);
    EXPECT_EQ(counts.indexedFiles, 2u);
    const Lines warnings = prompt_.texts();
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_NE(std::find(warnings.begin(), warnings.end(),
                        "Datafilen har samma nyckel som en annan och kommer inte med i indexet.\n"
                        "fil: " +
                            (files() / "A0000010.bak.KQD").string() +
                            "\nnyckel: A0000010\nnyckeln hör till: " +
                            (files() / "A0000010.KQD").string()),
              warnings.end());
}

TEST_F(ReindexArchiveTest, UnopenableTemplateShowsTheSystemErrorAndMessage4InOneBox) {
    writeTemplate("ALFA.FRM", "ALFA 2000", "Alfa");
    const auto locked = home_ / "FORMS" / "LOCKED.FRM";
    writeTemplate("LOCKED.FRM", "X", "Y");
    files_.failOpenRead(locked);
    ASSERT_TRUE(ReindexArchive(context_));
    EXPECT_EQ(prompt_.texts(),
              (Lines{"Åtkomst nekas.\nKan inte öppna filen.\nfil: " + locked.string()}));
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
