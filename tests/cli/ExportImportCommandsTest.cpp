#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

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

    // A key without a file does not stop the run, but the command did not do all it was asked.
    const CliRun named =
        asAnna({"export", "--to", dir_.path(""), "--file", "BBB.kqd", "--file", "Z"});
    EXPECT_EQ(named.code, 1);
    EXPECT_TRUE(contains(named.out, "Ej kopierade: " + filesHead() + "\nZ\n")) << named.out;
    EXPECT_TRUE(contains(named.err, "Z.KQD kunde inte kopieras: ")) << named.err;
    EXPECT_TRUE(fs::exists(dir_.path("BBB.KQD")));
    EXPECT_FALSE(fs::exists(dir_.path("AAA.KQD")));
}

TEST_F(ExportImportCommandsTest, RefusalsCopyNothingAndOnErrorAnswersTheRetryQuestion) {
    const std::string disk = disk_.string();
    const struct {
        std::vector<std::string> args;
        int code;
        std::string err;  // a text stderr holds
    } cases[] = {{{"--login", "anna", "export", "--to", "/no/loom", "--all"},
                  1,
                  cliText(MessageId::FolderMissing)},
                 {{"--login", "anna", "export", "--to", disk, "--changed-after", "97-12-24"},
                  1,
                  cliText(MessageId::BadExportDate)},
                 {{"--login", "anna", "export", "--to", disk}, 2, "--all"}};
    for (const auto& c : cases) {
        const CliRun r = test::runCli(c.args);
        EXPECT_EQ(r.code, c.code) << c.err << r.err;
        EXPECT_TRUE(contains(r.err, c.err)) << r.err;
        EXPECT_TRUE(fs::is_empty(disk_)) << c.err;
    }
    folderAt(onDisk("AAA"));
    const CliRun r = asAnna({"export", "--to", disk, "--all", "--on-error", "skip-all"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(r.err.ends_with("Filen och alla följande filer hoppas över.\n")) << r.err;
    EXPECT_FALSE(fs::exists(onDisk("BBB")));
}

TEST_F(ExportImportCommandsTest, ImportMergesOrReplaces) {
    write(onDisk("AAA"), "Diskens kund", kLongAgo + 100);
    const CliRun merged = asAnna({"import", "--from", disk_.string()});
    EXPECT_EQ(merged.code, 0) << merged.err;
    EXPECT_TRUE(contains(merged.out, "\nAAA\tKund A\n")) << merged.out;
    write(onDisk("AAA"), "Diskens kund", kLongAgo + 200);
    const CliRun replaced = asAnna({"import", "--from", disk_.string(), "--replace-customer-info"});
    EXPECT_EQ(replaced.code, 0) << replaced.err;
    EXPECT_EQ(test::readFile(archived("AAA")), test::readFile(onDisk("AAA")));
}

}  // namespace
}  // namespace loom
