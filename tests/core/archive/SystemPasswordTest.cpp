#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "archive/PasswordFile.h"
#include "archive/SystemPassword.h"
#include "archive/TemporaryPasswordList.h"
#include "core/archive/SecurityHome.h"
#include "support/FailingFileSystem.h"

namespace loom {
namespace {

using test::expectedRecord;
using test::loginKeyOf;
using Texts = std::vector<std::string>;
using Three = std::array<std::string, 3>;

const std::string m43 = "Felaktigt lösenord.";
const std::string m46 = "Lösenordsfilen kunde inte skapas.";
const std::string m56 =
    "Om systemlösenordet ändras krypteras alla filer om.\nÄr du säker på att du vill ändra "
    "systemlösenordet?";
const std::string m77 = "Befintliga datafiler kommer att krypteras om.";

std::string fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class SystemPasswordTest : public ::testing::Test {
  protected:
    test::SecurityHome home;

    std::vector<std::string> passwords(const Texts& names) {
        std::vector<std::string> out;
        for (const std::string& name : names)
            out.push_back(home.dataFilePassword(name));
        return out;
    }
};

TEST_F(SystemPasswordTest, AcceptFilePasswordAsksUntilATextMatchesKeepingEachTextOnce) {
    home.context.temporaryPasswords().add("k");
    EXPECT_TRUE(AcceptFilePassword(home.context, "k", true));
    EXPECT_TRUE(AcceptFilePassword(home.context, "k", false));
    EXPECT_FALSE(AcceptFilePassword(home.context, "y", false));
    EXPECT_EQ(home.dialogs.temporaryShown, 0);
    home.dialogs.temporaryAnswers = {Three{"a", "b", "a"}, Three{"", "x", "b"}, Three{"c", "", ""},
                                     std::nullopt};
    EXPECT_TRUE(AcceptFilePassword(home.context, "x", true));
    EXPECT_EQ(home.dialogs.temporaryShown, 2);
    EXPECT_FALSE(AcceptFilePassword(home.context, "z", true));  // cancelled
    EXPECT_EQ(home.dialogs.temporaryShown, 4);
    EXPECT_EQ(home.context.temporaryPasswords().items(), (Texts{"k", "a", "b", "", "x", "c"}));
}

TEST_F(SystemPasswordTest, AnArchiveWithoutDataFilesSaysNothing) {
    std::ofstream(home.dataFile("notes.txt")) << "not a data file";
    EXPECT_TRUE(ReencipherDataFiles(home.context, "new", "old"));
    std::filesystem::remove_all(home.context.programDirectory().folder(ProgramFolder::Files));
    EXPECT_TRUE(ReencipherDataFiles(home.context, "new", "old"));
    EXPECT_TRUE(home.prompt.entries.empty());
    EXPECT_EQ(home.dialogs.temporaryShown, 0);
}

TEST_F(SystemPasswordTest, FilesUnderTheNewOrOldPasswordAreRewrittenKeepingTheirValues) {
    home.writeDataFile("OLD.KQD", "old");
    home.writeDataFile("NEW.KQD", "new");
    home.writeDataFile("lower.kqd", "old");
    const std::string beforeNew = fileBytes(home.dataFile("NEW.KQD"));
    home.clock.set(test::SecurityHome::kNow + 1);  // a rewrite shows in the filler

    EXPECT_TRUE(ReencipherDataFiles(home.context, "new", "old"));
    EXPECT_EQ(passwords({"OLD.KQD", "NEW.KQD", "lower.kqd"}), (Texts{"new", "new", "new"}));
    EXPECT_NE(fileBytes(home.dataFile("NEW.KQD")), beforeNew);
    for (const char* name : {"OLD.KQD", "NEW.KQD", "lower.kqd"})
        EXPECT_TRUE(home.dataFileIntact(name)) << name;
    EXPECT_EQ(home.prompt.texts(), (Texts{m77}));
    EXPECT_EQ(home.prompt.entries[0].kind, MessageKind::Information);
    EXPECT_EQ(home.dialogs.temporaryShown, 0);
}

TEST(ThirdPasswordField, AdmitsTheFileWhenTypedInAnyOfTheThreeEdits) {
    for (std::size_t edit = 0; edit < 3; ++edit) {
        test::SecurityHome home;
        home.writeDataFile("A.KQD", "old");
        home.writeDataFile("T.KQD", "third");
        Three typed{"zz", "zz", "zz"};
        typed[edit] = "third";
        home.dialogs.temporaryAnswers = {typed};
        EXPECT_TRUE(ReencipherDataFiles(home.context, "new", "old"));
        EXPECT_EQ(home.dataFilePassword("A.KQD"), "new");
        EXPECT_EQ(home.dataFilePassword("T.KQD"), "new") << edit;
        EXPECT_TRUE(home.dataFileIntact("T.KQD"));
        EXPECT_EQ(home.dialogs.temporaryShown, 1);
    }
}

TEST_F(SystemPasswordTest, CancelSkipsThatFileAndEveryLaterUnknownOneWithoutADialog) {
    home.writeDataFile("T1.KQD", "third");
    home.writeDataFile("T2.KQD", "third");
    home.writeDataFile("F.KQD", "fourth");
    home.writeDataFile("K.KQD", "known");
    home.writeDataFile("O.KQD", "old");
    home.context.temporaryPasswords().add("known");
    home.dialogs.temporaryAnswers = {std::nullopt};
    // Skipped files count as handled: the progress reaches the end either way.
    std::vector<std::pair<std::size_t, std::size_t>> progress;
    EXPECT_TRUE(ReencipherDataFiles(
        home.context, "new", "old",
        [&](std::size_t done, std::size_t count) { progress.emplace_back(done, count); }));
    EXPECT_EQ(progress, (std::vector<std::pair<std::size_t, std::size_t>>{
                            {1, 5}, {2, 5}, {3, 5}, {4, 5}, {5, 5}}));
    EXPECT_EQ(home.dialogs.temporaryShown, 1);
    EXPECT_EQ(passwords({"T1.KQD", "T2.KQD", "F.KQD", "K.KQD", "O.KQD"}),
              (Texts{"third", "third", "fourth", "new", "new"}));
    EXPECT_EQ(home.dialogs.unexpected, 0);
    EXPECT_EQ(home.prompt.texts(), (Texts{m77}));
}

TEST_F(SystemPasswordTest, APasswordTypedOnceIsAcceptedLaterWithoutAskingEvenTheEmptyOne) {
    home.writeDataFile("T1.KQD", "third");
    home.writeDataFile("E1.KQD", "");
    home.writeDataFile("T2.KQD", "third");
    home.writeDataFile("E2.KQD", "");
    home.dialogs.temporaryAnswers = {Three{"third", "", ""}};
    EXPECT_TRUE(ReencipherDataFiles(home.context, "new", "old"));
    EXPECT_EQ(passwords({"T1.KQD", "T2.KQD", "E1.KQD", "E2.KQD"}),
              (Texts{"new", "new", "new", "new"}));
    EXPECT_TRUE(AcceptFilePassword(home.context, "third", true));
    EXPECT_EQ(home.dialogs.temporaryShown, 1);
}

TEST_F(SystemPasswordTest, FilesThatDoNotReadAreLeftAsTheyAreWithoutAMessage) {
    home.writeDataFile("GOOD.KQD", "old");
    home.writeDataFile("CUT.KQD", "old");
    const std::string whole = fileBytes(home.dataFile("CUT.KQD"));
    const std::string cut = whole.substr(0, whole.size() - 6);  // header intact, end lost
    std::ofstream(home.dataFile("CUT.KQD"), std::ios::binary | std::ios::trunc) << cut;
    std::ofstream(home.dataFile("JUNK.KQD"), std::ios::binary) << "no data file at all";
    std::filesystem::create_directory(home.dataFile("DIR.KQD"));

    EXPECT_TRUE(ReencipherDataFiles(home.context, "new", "old"));
    EXPECT_EQ(home.dataFilePassword("GOOD.KQD"), "new");
    EXPECT_EQ(fileBytes(home.dataFile("CUT.KQD")), cut);
    EXPECT_EQ(fileBytes(home.dataFile("JUNK.KQD")), "no data file at all");
    EXPECT_EQ(home.prompt.texts(), (Texts{m77}));
}

// From the k-th data file on, nothing written reaches a data file, as if the program died
// there (or the disk filled up and the run went on).
TEST(ReencipherInterrupted, LeavesEveryFileWholeUnderTheOldOrTheNewPassword) {
    struct Case {
        int file;
        std::uint64_t bytesInto;
        bool crash;
    };
    const Case cases[] = {{0, 0, true},   {0, 5, true},   {2, 60, true},
                          {4, 150, true}, {1, 20, false}, {4, 190, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.file << " " << c.bytesInto << " " << c.crash);
        test::SecurityHome home;
        const Texts names{"F0.KQD", "F1.KQD", "F2.KQD", "F3.KQD", "F4.KQD"};
        for (const std::string& name : names)
            home.writeDataFile(name, "old");
        test::FailingFileSystem disk;
        Texts written;
        disk.beforeReplace = [&](const std::filesystem::path& path) {
            if (path.extension() != ".KQD") return;
            if (static_cast<int>(written.size()) == c.file) {
                const std::uint64_t at = disk.bytesWritten() + c.bytesInto;
                c.crash ? disk.crashAfter(at) : disk.failWritesAfter(at);
            }
            written.push_back(path.filename().string());
        };
        home.context.setFileSystem(disk);

        EXPECT_TRUE(ReencipherDataFiles(home.context, "new", "old"));
        ASSERT_EQ(written.size(), names.size());
        for (std::size_t i = 0; i < names.size(); ++i) {
            EXPECT_EQ(home.dataFilePassword(written[i]),
                      static_cast<int>(i) < c.file ? "new" : "old");
            EXPECT_TRUE(home.dataFileIntact(written[i])) << written[i];
        }
        // The next run finishes the job; leftovers are no data files.
        disk.heal();
        EXPECT_TRUE(ReencipherDataFiles(home.context, "new", "old"));
        EXPECT_EQ(
            disk.list(home.context.programDirectory().folder(ProgramFolder::Files), ".KQD").size(),
            names.size());
        for (const std::string& name : names) {
            EXPECT_EQ(home.dataFilePassword(name), "new") << name;
            EXPECT_TRUE(home.dataFileIntact(name)) << name;
        }
        EXPECT_EQ(home.dialogs.temporaryShown, 0);
    }
}

TEST_F(SystemPasswordTest, ChangeAsksFirstAndCancelChangesNothing) {
    home.writeLoginKey(loginKeyOf("sys", {}));
    home.writeDataFile("A.KQD", "sys");
    home.context.setSystemPassword("sys");
    home.prompt.answers = {Answer::No, Answer::Yes};
    home.dialogs.cancelChange();
    EXPECT_FALSE(ChangeSystemPassword(home.context));
    EXPECT_FALSE(ChangeSystemPassword(home.context));
    EXPECT_EQ(home.prompt.texts(), (Texts{m56, m56}));
    EXPECT_EQ(home.dialogs.changeRequests.size(), 1u);
    EXPECT_EQ(home.context.systemPassword(), "sys");
    EXPECT_EQ(home.loginKeyBytes(), loginKeyOf("sys", {}));
    EXPECT_EQ(home.dataFilePassword("A.KQD"), "sys");
}

TEST_F(SystemPasswordTest, ChangeWritesRecord0ReenciphersAndSwitchesThePassword) {
    const std::string users = expectedRecord("anna", "a", 1) + expectedRecord("bo", "b", 2);
    home.writeLoginKey(expectedRecord("", "sys", 3) + users);
    home.writeDataFile("A.KQD", "sys");
    home.writeDataFile("B.KQD", "third");
    home.context.setSystemPassword("sys");
    home.prompt.answers = {Answer::Yes};
    home.dialogs.changeAttempts = {test::ScriptedDialogs::Typed{"SYS", "ny", "ny"},
                                   test::ScriptedDialogs::Typed{"sys", "ny", "ny"}};
    home.dialogs.temporaryAnswers = {std::nullopt};

    ASSERT_TRUE(ChangeSystemPassword(home.context));
    ASSERT_EQ(home.dialogs.changeRequests.size(), 1u);
    EXPECT_EQ(home.dialogs.changeRequests[0].userName, "Systeml\xF6sen");
    EXPECT_EQ(home.dialogs.changeRequests[0].expectedOld, "sys");
    EXPECT_TRUE(home.dialogs.changeRequests[0].checkOld);
    EXPECT_EQ(home.prompt.texts(), (Texts{m56, m43, m77}));
    EXPECT_EQ(home.loginKeyBytes(), expectedRecord("", "ny") + users);
    EXPECT_EQ(passwords({"A.KQD", "B.KQD"}), (Texts{"ny", "third"}));
    EXPECT_EQ(home.context.systemPassword(), "ny");
}

TEST_F(SystemPasswordTest, ChangeGoesOnWhenRecord0CannotBeWritten) {
    std::filesystem::create_directory(home.loginKey());
    home.writeDataFile("A.KQD", "sys");
    home.context.setSystemPassword("sys");
    home.prompt.answers = {Answer::Yes};
    home.dialogs.typeNewPassword("ny", "sys");
    ASSERT_TRUE(ChangeSystemPassword(home.context));
    EXPECT_EQ(home.prompt.texts(), (Texts{m56, m46, m77}));
    EXPECT_EQ(home.dataFilePassword("A.KQD"), "ny");
    EXPECT_EQ(home.context.systemPassword(), "ny");
}

TEST_F(SystemPasswordTest, ChangeRefusesAPasswordRecord0CannotHold) {
    home.writeLoginKey(loginKeyOf("sys", {}));
    home.writeDataFile("A.KQD", "sys");
    home.context.setSystemPassword("sys");
    home.prompt.answers = {Answer::Yes};
    home.dialogs.typeNewPassword(std::string(PasswordFile::kMaxPairLength + 1, 'p'), "sys");
    home.dialogs.cancelChange();
    EXPECT_FALSE(ChangeSystemPassword(home.context));
    EXPECT_EQ(home.prompt.texts(),
              (Texts{m56, "Lösenordet är för långt.\nHögst 125 tecken är tillåtna."}));
    EXPECT_EQ(home.loginKeyBytes(), loginKeyOf("sys", {}));
    EXPECT_EQ(home.dataFilePassword("A.KQD"), "sys");
    EXPECT_EQ(home.context.systemPassword(), "sys");
}

}  // namespace
}  // namespace loom
