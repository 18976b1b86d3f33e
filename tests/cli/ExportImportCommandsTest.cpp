#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "CopyRunPrompt.h"
#include "archive/PasswordFile.h"
#include "archive/SystemSave.h"
#include "common/Cp1252.h"
#include "context/AppContext.h"
#include "datafile/DataFile.h"
#include "document/ProgramState.h"
#include "support/RunCli.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace loom {
namespace {

namespace fs = std::filesystem;
using test::CliRun;
using test::runCli;

constexpr FieldAddress kCustomer = kAddresslessBit | (20000u << 3);
constexpr FieldAddress kPhone = kAddresslessBit | (20001u << 3);
constexpr std::int64_t kLongAgo = 1'500'000'000;

using test::ScopedEnv;

// An archive with a password file (system password "sys", user "anna" / "hemlig"), two
// indexed systems written long ago, and an empty outside folder.
class ExportImportCommandsTest : public ::testing::Test {
  protected:
    ExportImportCommandsTest()
        : home_(dir_.path("home")),
          disk_(dir_.path("disk")),
          settings_("LOOMCRAFT_SETTINGS", dir_.path("settings.ini")),
          homeEnv_("LOOMCRAFT_HOME", home_.string()),
          password_("LOOMCRAFT_PASSWORD", "hemlig"),
          app_(prompt_) {
        fs::create_directories(home_ / "FILES");
        fs::create_directories(disk_);
        app_.setProgramDirectory(ProgramDirectory(home_));
        PasswordFile passwords(app_);
        EXPECT_TRUE(passwords.WriteSystemPassword("sys"));
        EXPECT_TRUE(passwords.WriteUsers({"anna"}, {"hemlig"}));
        write(archived("AAA"), system("Kund A"), "sys");
        write(archived("BBB"), system("Kund B"), "sys");
    }

    fs::path archived(const std::string& key) const { return home_ / "FILES" / (key + ".KQD"); }
    fs::path onDisk(const std::string& key) const { return disk_ / (key + ".KQD"); }
    std::string filesHead() const { return (home_ / "FILES").string() + "/"; }

    static FieldStore system(const std::string& customer) {
        FieldStore store;
        FieldRecord& name = store.findOrCreate(kCustomer);
        name.flags = kFieldFlagDisplayName;
        name.value = utf8ToCp1252(customer);
        return store;
    }
    // Through the program's writer; files in the archive enter its index.
    void write(const fs::path& path, const FieldStore& store, const std::string& password,
               std::int64_t lastWrite = kLongAgo) {
        ASSERT_TRUE(SaveSystem(app_, path, "ALFA 2000", password, store, false).written);
        ASSERT_TRUE(app_.files().setLastWriteTime(path, lastWrite));
    }
    CliRun run(std::vector<std::string> args, bool login = true) {
        if (login) args.insert(args.begin(), {"--login", "anna"});
        return runCli(args);
    }

    test::TempDir dir_;
    fs::path home_, disk_;
    ScopedEnv settings_, homeEnv_, password_;
    SilentPrompt prompt_;
    ProgramState app_;
};

TEST_F(ExportImportCommandsTest, ExportAllPrintsBothListsAndTheCounts) {
    const CliRun r = run({"export", "--to", disk_.string(), "--all"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "Kopierade: " + filesHead() +
                         "\nAAA\tKund A\nBBB\tKund B\nEj kopierade:\n2 filer har kopierats.\n0 "
                         "filer har inte kopierats.\n");
    EXPECT_EQ(test::readFile(onDisk("BBB")), test::readFile(archived("BBB")));

    // Everything is there now: nothing to copy, and a date to start from.
    const CliRun again = run({"export", "--to", disk_.string(), "--changed-after", "2000-01-01"});
    EXPECT_EQ(again.code, 0) << again.err;
    EXPECT_EQ(again.out, "Kopierade:\nEj kopierade: " + filesHead() +
                             "\nAAA\tKund A\nBBB\tKund B\n0 filer har kopierats.\n2 filer har "
                             "inte kopierats.\n");
}

TEST_F(ExportImportCommandsTest, ExportOfNamedFilesTakesOnlyThose) {
    // A key without a file does not stop the run, which lists it as not copied, but the
    // command did not do all it was asked.
    const CliRun r = run({"export", "--to", disk_.string(), "--file", "BBB.kqd", "--file", "ZZZ"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "Kopierade: " + filesHead() + "\nBBB\tKund B\nEj kopierade: " + filesHead() +
                         "\nZZZ\n1 filer har kopierats.\n1 filer har inte kopierats.\n");
    EXPECT_EQ(r.err,
              "ZZZ.KQD kunde inte kopieras: Filen eller katalogen finns inte. Filen "
              "hoppas över.\n");
    EXPECT_FALSE(fs::exists(onDisk("AAA")));
    EXPECT_EQ(run({"export", "--to", disk_.string(), "--file", "AAA.KQD"}).code, 0);
    EXPECT_TRUE(fs::exists(onDisk("AAA")));
}

TEST_F(ExportImportCommandsTest, RefusalsCopyNothing) {
    const std::string disk = disk_.string(), none = "/nonexistent/loom";
    const struct {
        std::vector<std::string> args;
        bool login;
        int code;
        const char* err;  // a text stderr holds
    } cases[] = {{{"export", "--to", none, "--all"}, true, 1, "Angiven katalog finns inte."},
                 {{"import", "--from", none}, true, 1, "Angiven katalog finns inte."},
                 {{"export", "--to", disk, "--changed-after", "97-12-24"},
                  true,
                  1,
                  "Felaktigt datum.\nDatumet måste ges på formen ÅÅÅÅ-MM-DD"},
                 {{"export", "--to", disk, "--file", "../AAA"}, true, 1, "../AAA"},
                 {{"export", "--to", disk}, true, 2, "--all"},
                 {{"export", "--to", disk, "--all", "--file", "AAA"}, true, 2, "excludes"},
                 {{"export", "--to", disk, "--all", "--on-error", "maybe"}, true, 2, "maybe"},
                 {{"export", "--to", disk, "--all"}, false, 2, "--login"},
                 {{"import", "--from", disk}, false, 2, "--login"}};
    for (const auto& c : cases) {
        const CliRun r = run(c.args, c.login);
        EXPECT_EQ(r.code, c.code) << c.args[3] << r.err;
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
        EXPECT_TRUE(fs::is_empty(disk_)) << c.args[3];
    }
}

struct OnErrorCase {
    const char* option;
    std::string answers;  // what stderr says was done
    bool secondCopied;
};

class ExportOnErrorTest : public ExportImportCommandsTest,
                          public ::testing::WithParamInterface<OnErrorCase> {};

TEST_P(ExportOnErrorTest, AnswersTheRetryQuestion) {
    // A folder where AAA's copy would go: the copy cannot replace it.
    fs::create_directories(onDisk("AAA"));
    ASSERT_TRUE(app_.files().setLastWriteTime(onDisk("AAA"), kLongAgo - 10));
    const CliRun r =
        run({"export", "--to", disk_.string(), "--all", "--on-error", GetParam().option});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, GetParam().answers);
    EXPECT_EQ(fs::exists(onDisk("BBB")), GetParam().secondCopied);
    const std::string counts = GetParam().secondCopied ? "1 filer har kopierats.\n1 filer"
                                                       : "0 filer har kopierats.\n2 filer";
    EXPECT_NE(r.out.find(counts), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Ej kopierade: " + filesHead() + "\nAAA\tKund A\n"), std::string::npos)
        << r.out;
}

const std::string kCannotCopy = "AAA.KQD kunde inte kopieras: Det är en katalog. ";

INSTANTIATE_TEST_SUITE_P(
    Answers, ExportOnErrorTest,
    ::testing::Values(OnErrorCase{"retry",
                                  kCannotCopy + "Försöker igen (försök 2 av 3).\n" + kCannotCopy +
                                      "Försöker igen (försök 3 av 3).\n" + kCannotCopy +
                                      "Filen hoppas över efter 3 försök.\n",
                                  true},
                      OnErrorCase{"skip", kCannotCopy + "Filen hoppas över.\n", true},
                      OnErrorCase{"skip-all",
                                  kCannotCopy + "Filen och alla följande filer hoppas över.\n",
                                  false}));

TEST_F(ExportImportCommandsTest, ImportPrintsTheListsAndHonoursReplaceCustomerInfo) {
    FieldStore old = system("Arkivets kund");
    old.findOrCreate(kPhone).value = "08-123";
    write(archived("AAA"), old, "sys", kLongAgo);
    write(onDisk("AAA"), system("Diskens kund"), "sys", kLongAgo + 100);
    const CliRun merged = run({"import", "--from", disk_.string()});
    EXPECT_EQ(merged.code, 0) << merged.err;
    EXPECT_EQ(merged.err, "");
    EXPECT_EQ(merged.out, "Kopierade: " + filesHead() +
                              "\nAAA\tArkivets kund\nEj kopierade:\n1 filer har kopierats.\n0 "
                              "filer har inte kopierats.\n");
    write(onDisk("AAA"), system("Diskens kund"), "sys", kLongAgo + 200);
    const CliRun replaced = run(
        {"import", "--from", disk_.string(), "--replace-customer-info", "--on-error", "skip-all"});
    EXPECT_EQ(replaced.code, 0) << replaced.err;
    EXPECT_EQ(test::readFile(archived("AAA")), test::readFile(onDisk("AAA")));
    EXPECT_NE(replaced.out.find("AAA\tDiskens kund\n"), std::string::npos) << replaced.out;
}

// An import whose write fails says which file and why, goes on with the next file and
// exits 1.
TEST_F(ExportImportCommandsTest, ImportReportsFailedWritesAndExits1) {
    fs::create_directories(archived("CCC"));  // a folder where CCC's copy would go
    ASSERT_TRUE(app_.files().setLastWriteTime(archived("CCC"), kLongAgo - 10));
    write(onDisk("CCC"), system("Kund C"), "sys", kLongAgo + 100);
    write(onDisk("DDD"), system("Kund D"), "sys", kLongAgo + 100);
    const CliRun r = run({"import", "--from", disk_.string(), "--replace-customer-info"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err,
              "Kan inte spara filen.\nfil: " + archived("CCC").string() + "\nDet är en katalog.\n");
    EXPECT_EQ(r.out, "Kopierade: " + filesHead() +
                         "\nDDD\tKund D\nEj kopierade: " + disk_.string() +
                         "/\nCCC\tKund C\n1 filer har kopierats.\n1 filer har "
                         "inte kopierats.\n");
}

// On a terminal the run's progress stays on one line of stderr, which is cleared before
// anything else is printed there.
TEST(CopyRunPromptTest, ProgressOnATerminalMakesWayForMessages) {
    std::ostringstream err;
    cli::CopyRunPrompt prompt(err, cli::OnCopyError::Skip, "Exporterar", true);
    prompt.nextFile("A.KQD", 0, 2);
    prompt.show("Varning", MessageKind::Warning);
    prompt.nextFile("B\x1B.KQD", 1, 2);
    prompt.endProgress();
    EXPECT_EQ(err.str(),
              "\r\x1B[KExporterar 1 av 2: A.KQD\r\x1B[KVarning\n"
              "\r\x1B[KExporterar 2 av 2: B\\x1B.KQD\r\x1B[K");
}

}  // namespace
}  // namespace loom
