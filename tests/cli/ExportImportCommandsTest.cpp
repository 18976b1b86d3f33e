#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "CopyRunPrompt.h"
#include "support/RunCli.h"

namespace loom {
namespace {

namespace fs = std::filesystem;
using test::CliRun;
using test::cliText;
using test::contains;

constexpr std::int64_t kLongAgo = 1'500'000'000;

// Two indexed systems written long ago, and an empty outside folder.
class ExportImportCommandsTest : public test::CliHome {
  protected:
    ExportImportCommandsTest() {
        fs::create_directories(disk_);
        write(archived("AAA"), "Kund A");
        write(archived("BBB"), "Kund B");
    }

    fs::path archived(const std::string& key) const {
        return fs::path(home_) / "FILES" / (key + ".KQD");
    }
    fs::path onDisk(const std::string& key) const { return disk_ / (key + ".KQD"); }
    std::string filesHead() const { return home_ + "/FILES/"; }
    void write(const fs::path& path, const std::string& customer,
               std::int64_t lastWrite = kLongAgo) {
        saveSystem(path, values({customer}, 1), "ALFA 2000", lastWrite);
    }
    void folderAt(const fs::path& path) {  // where a copy would go: it cannot replace it
        fs::create_directories(path);
        fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::days(3650));
    }

    fs::path disk_ = dir_.path("disk");
};

TEST_F(ExportImportCommandsTest, ExportPrintsBothListsAndTheCounts) {
    const CliRun r = asAnna({"export", "--to", disk_.string(), "--all"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "Kopierade: " + filesHead() +
                         "\nAAA\tKund A\nBBB\tKund B\nEj kopierade:\n2 filer har kopierats.\n0 "
                         "filer har inte kopierats.\n");
    EXPECT_EQ(test::readFile(onDisk("BBB")), test::readFile(archived("BBB")));
    fs::remove(onDisk("BBB"));
    const CliRun again =
        asAnna({"export", "--to", disk_.string(), "--changed-after", "2000-01-01"});
    EXPECT_EQ(again.code, 0) << again.err;
    EXPECT_EQ(again.out,
              "Kopierade: " + filesHead() + "\nBBB\tKund B\nEj kopierade: " + filesHead() +
                  "\nAAA\tKund A\n1 filer har kopierats.\n1 filer har inte kopierats.\n");

    // A key without a file does not stop the run, but the command did not do all it was asked.
    const CliRun named =
        asAnna({"export", "--to", dir_.path(""), "--file", "BBB.kqd", "--file", "Z"});
    EXPECT_EQ(named.code, 1);
    EXPECT_TRUE(contains(named.out, "Ej kopierade: " + filesHead() + "\nZ\n")) << named.out;
    EXPECT_TRUE(contains(named.err, "Z.KQD kunde inte kopieras: ")) << named.err;
    EXPECT_TRUE(fs::exists(dir_.path("BBB.KQD")));
    EXPECT_FALSE(fs::exists(dir_.path("AAA.KQD")));
}

TEST_F(ExportImportCommandsTest, RefusalsCopyNothing) {
    const std::string disk = disk_.string(), none = "/nonexistent/loom";
    const struct {
        std::vector<std::string> args;
        bool login;
        int code;
        std::string err;  // a text stderr holds
    } cases[] = {{{"export", "--to", none, "--all"}, true, 1, cliText(MessageId::FolderMissing)},
                 {{"export", "--to", disk, "--changed-after", "97-12-24"},
                  true,
                  1,
                  cliText(MessageId::BadExportDate)},
                 {{"export", "--to", disk}, true, 2, "--all"},
                 {{"export", "--to", disk, "--all", "--file", "AAA"}, true, 2, "excludes"},
                 {{"export", "--to", disk, "--all", "--on-error", "maybe"}, true, 2, "maybe"},
                 {{"import", "--from", disk}, false, 2, "--login"}};
    for (const auto& c : cases) {
        const CliRun r = c.login ? asAnna(c.args) : test::runCli(c.args);
        EXPECT_EQ(r.code, c.code) << c.args[3] << r.err;
        EXPECT_TRUE(contains(r.err, c.err)) << r.err;
        EXPECT_TRUE(fs::is_empty(disk_)) << c.args[3];
    }
}

TEST_F(ExportImportCommandsTest, OnErrorAnswersTheRetryQuestion) {
    folderAt(onDisk("AAA"));
    const struct {
        const char* option;
        const char* says;  // what stderr ends with
        bool secondCopied;
    } cases[] = {{"retry", "Filen hoppas över efter 3 försök.\n", true},
                 {"skip-all", "Filen och alla följande filer hoppas över.\n", false}};
    for (const auto& c : cases) {
        fs::remove(onDisk("BBB"));
        const CliRun r =
            asAnna({"export", "--to", disk_.string(), "--all", "--on-error", c.option});
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_TRUE(r.err.ends_with(c.says)) << r.err;
        EXPECT_EQ(fs::exists(onDisk("BBB")), c.secondCopied) << c.option;
        EXPECT_TRUE(contains(r.out, "Ej kopierade: " + filesHead() + "\nAAA\tKund A\n")) << r.out;
    }
}

TEST_F(ExportImportCommandsTest, ImportMergesOrReplacesAndReportsFailedWrites) {
    write(onDisk("AAA"), "Diskens kund", kLongAgo + 100);
    const CliRun merged = asAnna({"import", "--from", disk_.string()});
    EXPECT_EQ(merged.code, 0) << merged.err;
    EXPECT_EQ(merged.out, "Kopierade: " + filesHead() +
                              "\nAAA\tKund A\nEj kopierade:\n1 filer har kopierats.\n0 "
                              "filer har inte kopierats.\n");
    write(onDisk("AAA"), "Diskens kund", kLongAgo + 200);
    const CliRun replaced = asAnna({"import", "--from", disk_.string(), "--replace-customer-info"});
    EXPECT_EQ(replaced.code, 0) << replaced.err;
    EXPECT_EQ(test::readFile(archived("AAA")), test::readFile(onDisk("AAA")));

    // A write that fails names the file and why; the run goes on with the next file.
    fs::remove(onDisk("AAA"));
    folderAt(archived("CCC"));
    write(onDisk("CCC"), "Kund C", kLongAgo + 100);
    write(onDisk("DDD"), "Kund D", kLongAgo + 100);
    const CliRun r = asAnna({"import", "--from", disk_.string(), "--replace-customer-info"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.starts_with(cliText(MessageId::CannotSaveFile) + archived("CCC").string()))
        << r.err;
    EXPECT_TRUE(
        contains(r.out, "\nDDD\tKund D\nEj kopierade: " + disk_.string() + "/\nCCC\tKund C\n"))
        << r.out;
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
