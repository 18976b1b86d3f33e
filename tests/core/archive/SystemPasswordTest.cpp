#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "archive/PasswordFile.h"
#include "archive/SystemPassword.h"
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

TEST_F(SystemPasswordTest, AKnownPasswordIsAcceptedWithoutADialog) {
    home.context.temporaryPasswords().add("x");
    EXPECT_TRUE(AcceptFilePassword(home.context, "x", true));
    EXPECT_TRUE(AcceptFilePassword(home.context, "x", false));
    EXPECT_FALSE(AcceptFilePassword(home.context, "y", false));
    EXPECT_EQ(home.dialogs.temporaryShown, 0);
}

TEST_F(SystemPasswordTest, TheDialogComesBackUntilATextMatchesAndKeepsEachTextOnce) {
    home.dialogs.temporaryAnswers = {Three{"a", "b", "a"}, Three{"", "x", "b"}};
    EXPECT_TRUE(AcceptFilePassword(home.context, "x", true));
    EXPECT_EQ(home.dialogs.temporaryShown, 2);
    EXPECT_EQ(home.context.temporaryPasswords().items(), (Texts{"a", "b", "", "x"}));
}

TEST_F(SystemPasswordTest, CancellingTheDialogRefusesButKeepsNothing) {
    home.dialogs.temporaryAnswers = {Three{"a", "", ""}, std::nullopt};
    EXPECT_FALSE(AcceptFilePassword(home.context, "x", true));
    EXPECT_EQ(home.dialogs.temporaryShown, 2);
    EXPECT_EQ(home.context.temporaryPasswords().items(), (Texts{"a", ""}));
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
    home.clock.set(test::SecurityHome::kNow + 1);  // another filler: a rewrite shows

    EXPECT_TRUE(ReencipherDataFiles(home.context, "new", "old"));
    EXPECT_EQ(passwords({"OLD.KQD", "NEW.KQD", "lower.kqd"}), (Texts{"new", "new", "new"}));
    EXPECT_NE(fileBytes(home.dataFile("NEW.KQD")), beforeNew);
    for (const char* name : {"OLD.KQD", "NEW.KQD", "lower.kqd"})
        EXPECT_TRUE(home.dataFileIntact(name)) << name;
    EXPECT_EQ(home.prompt.texts(), (Texts{m77}));
    EXPECT_EQ(home.prompt.entries[0].kind, MessageKind::Information);
    EXPECT_EQ(home.dialogs.temporaryShown, 0);
}

class ThirdPasswordField : public ::testing::TestWithParam<int> {};

TEST_P(ThirdPasswordField, AdmitsTheFileWhenTypedInAnyOfTheThreeEdits) {
    test::SecurityHome home;
    home.writeDataFile("A.KQD", "old");
    home.writeDataFile("T.KQD", "third");
    Three typed{"zz", "zz", "zz"};
    typed[static_cast<std::size_t>(GetParam())] = "third";
    home.dialogs.temporaryAnswers = {typed};
    EXPECT_TRUE(ReencipherDataFiles(home.context, "new", "old"));
    EXPECT_EQ(home.dataFilePassword("A.KQD"), "new");
    EXPECT_EQ(home.dataFilePassword("T.KQD"), "new");
    EXPECT_TRUE(home.dataFileIntact("T.KQD"));
    EXPECT_EQ(home.dialogs.temporaryShown, 1);
}

INSTANTIATE_TEST_SUITE_P(Edits, ThirdPasswordField, ::testing::Values(0, 1, 2));

TEST_F(SystemPasswordTest, CancelSkipsThatFileAndEveryLaterUnknownOneWithoutADialog) {
    home.writeDataFile("T1.KQD", "third");
    home.writeDataFile("T2.KQD", "third");
    home.writeDataFile("F.KQD", "fourth");
    home.writeDataFile("K.KQD", "known");
    home.writeDataFile("O.KQD", "old");
    home.context.temporaryPasswords().add("known");
    home.dialogs.temporaryAnswers = {std::nullopt};
    EXPECT_TRUE(ReencipherDataFiles(home.context, "new", "old"));
    EXPECT_EQ(home.dialogs.temporaryShown, 1);
    EXPECT_EQ(passwords({"T1.KQD", "T2.KQD", "F.KQD", "K.KQD", "O.KQD"}),
              (Texts{"third", "third", "fourth", "new", "new"}));
    EXPECT_EQ(home.dialogs.unexpected, 0);
    EXPECT_EQ(home.prompt.texts(), (Texts{m77}));
}

TEST_F(SystemPasswordTest, APasswordTypedOnceIsAcceptedLaterWithoutAsking) {
    home.writeDataFile("T1.KQD", "third");
    home.writeDataFile("T2.KQD", "third");
    home.dialogs.temporaryAnswers = {Three{"third", "", ""}};
    EXPECT_TRUE(ReencipherDataFiles(home.context, "new", "old"));
    EXPECT_EQ(passwords({"T1.KQD", "T2.KQD"}), (Texts{"new", "new"}));
    // Opening a file later in the same run asks no more either.
    EXPECT_TRUE(AcceptFilePassword(home.context, "third", true));
    EXPECT_EQ(home.dialogs.temporaryShown, 1);
}

TEST_F(SystemPasswordTest, TheEmptyTemporaryPasswordAdmitsFilesUnderTheEmptyPassword) {
    home.writeDataFile("E1.KQD", "");
    home.writeDataFile("E2.KQD", "");
    home.dialogs.temporaryAnswers = {Three{"", "", ""}};
    EXPECT_TRUE(ReencipherDataFiles(home.context, "new", "old"));
    EXPECT_EQ(passwords({"E1.KQD", "E2.KQD"}), (Texts{"new", "new"}));
    EXPECT_EQ(home.context.temporaryPasswords().items(), (Texts{""}));
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

// Stops the disk at the k-th data file written: from then on, nothing written reaches a
// data file, as if the program had died there. Everything else goes to the disk.
class CrashAtFile final : public FileSystem {
  public:
    CrashAtFile(int file, std::uint64_t bytesInto, bool crash)
        : file_(file), bytesInto_(bytesInto), crash_(crash) {}

    test::FailingFileSystem inner;
    Texts written;  // data files in the order their writing began

    std::unique_ptr<InputFile> openRead(const std::filesystem::path& path,
                                        std::string& error) override {
        return inner.openRead(path, error);
    }
    std::unique_ptr<OutputFile> replaceFile(const std::filesystem::path& path,
                                            std::string& error) override {
        if (path.extension() == ".KQD") {
            if (static_cast<int>(written.size()) == file_) {
                const std::uint64_t at = inner.bytesWritten() + bytesInto_;
                crash_ ? inner.crashAfter(at) : inner.failWritesAfter(at);
            }
            written.push_back(path.filename().string());
        }
        return inner.replaceFile(path, error);
    }
    std::unique_ptr<LockedFile> openLocked(const std::filesystem::path& path, OpenMode mode,
                                           std::string& error) override {
        return inner.openLocked(path, mode, error);
    }
    Texts list(const std::filesystem::path& folder, std::string_view extension) override {
        return inner.list(folder, extension);
    }
    bool exists(const std::filesystem::path& path) override { return inner.exists(path); }
    bool remove(const std::filesystem::path& path, std::string& error) override {
        return inner.remove(path, error);
    }
    bool createFolder(const std::filesystem::path& path) override {
        return inner.createFolder(path);
    }
    std::optional<std::int64_t> lastWriteTime(const std::filesystem::path& path) override {
        return inner.lastWriteTime(path);
    }
    bool setLastWriteTime(const std::filesystem::path& path, std::int64_t seconds) override {
        return inner.setLastWriteTime(path, seconds);
    }

  private:
    int file_;
    std::uint64_t bytesInto_;
    bool crash_;
};

struct CrashCase {
    const char* label;
    int file;
    std::uint64_t bytesInto;
    bool crash;  // else the writes fail (a full disk) and the run goes on
};

class ReencipherInterrupted : public ::testing::TestWithParam<CrashCase> {};

TEST_P(ReencipherInterrupted, LeavesEveryFileWholeUnderTheOldOrTheNewPassword) {
    const CrashCase& c = GetParam();
    test::SecurityHome home;
    const Texts names{"F0.KQD", "F1.KQD", "F2.KQD", "F3.KQD", "F4.KQD"};
    for (const std::string& name : names)
        home.writeDataFile(name, "old");
    CrashAtFile disk(c.file, c.bytesInto, c.crash);
    home.context.setFileSystem(disk);

    EXPECT_TRUE(ReencipherDataFiles(home.context, "new", "old"));
    ASSERT_EQ(disk.written.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string& name = disk.written[i];
        EXPECT_EQ(home.dataFilePassword(name), static_cast<int>(i) < c.file ? "new" : "old")
            << name;
        EXPECT_TRUE(home.dataFileIntact(name)) << name;
    }

    // After a restart the next run finishes the job; leftovers are no data files.
    disk.inner.heal();
    EXPECT_TRUE(ReencipherDataFiles(home.context, "new", "old"));
    EXPECT_EQ(home.context.files()
                  .list(home.context.programDirectory().folder(ProgramFolder::Files), ".KQD")
                  .size(),
              names.size());
    for (const std::string& name : names) {
        EXPECT_EQ(home.dataFilePassword(name), "new") << name;
        EXPECT_TRUE(home.dataFileIntact(name)) << name;
    }
    EXPECT_EQ(home.dialogs.temporaryShown, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReencipherInterrupted,
                         ::testing::Values(CrashCase{"CrashBeforeTheFirstByte", 0, 0, true},
                                           CrashCase{"CrashInTheFirstHeader", 0, 5, true},
                                           CrashCase{"CrashInTheThirdFilesPasswordField", 2, 60,
                                                     true},
                                           CrashCase{"CrashNearTheEndOfTheLast", 4, 150, true},
                                           CrashCase{"DiskFullInTheSecond", 1, 20, false},
                                           CrashCase{"DiskFullAtTheLastsEnd", 4, 190, false}),
                         test::ByLabel());

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
