#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/Cp1252.h"
#include "context/AppContext.h"
#include "datafile/DataFile.h"
#include "fields/FieldStore.h"
#include "platform/Clock.h"
#include "platform/ProgramDirectory.h"
#include "support/FailingFileSystem.h"
#include "support/RecordingPrompt.h"
#include "support/TempDir.h"

namespace loom::test {

// An archive with its own program directory, an outside folder (the "diskette"), a clock
// two hours east of UTC and a file system that fails on demand: for export and import.
class ArchiveCopyHome : public ::testing::Test {
  protected:
    static constexpr std::int64_t kNow = 1'589'068'800;  // 2020-05-10 00:00 UTC
    static constexpr std::int64_t kUtcOffset = 7200;
    static constexpr FieldAddress kCustomer = kAddresslessBit | (20000u << 3);
    static constexpr FieldAddress kPhone = kAddresslessBit | (20001u << 3);
    static constexpr FieldAddress kPromValue = 0x100u << 3;

    ArchiveCopyHome()
        : home_(temp_.path("home")),
          disk_(temp_.path("disk")),
          elsewhere_(temp_.path("other")),
          context_(prompt_),
          outside_(silent_) {
        std::filesystem::create_directories(home_ / "FILES");
        std::filesystem::create_directories(disk_);
        std::filesystem::create_directories(elsewhere_ / "FILES");
        context_.setClock(clock_);
        context_.setFileSystem(files_);
        context_.setProgramDirectory(ProgramDirectory(home_));
        context_.setSystemPassword("sys");
        outside_.setClock(clock_);
        outside_.setProgramDirectory(ProgramDirectory(elsewhere_));
    }

    std::filesystem::path archived(const std::string& key) const {
        return home_ / "FILES" / (key + ".KQD");
    }
    std::filesystem::path onDisk(const std::string& key) const { return disk_ / (key + ".KQD"); }
    // Code page 1252, as the lists hold folders.
    static std::string folderOf(const std::filesystem::path& folder) {
        return utf8ToCp1252(folder.string()) + "/";
    }

    // A system whose display name is "key\tcustomer", with one PROM value.
    static FieldStore system(const std::string& customer, const std::string& promValue = "1") {
        FieldStore store;
        FieldRecord& name = store.findOrCreate(kCustomer);
        name.flags = kFieldFlagDisplayName;
        name.value = customer;
        store.findOrCreate(kPromValue).value = promValue;
        return store;
    }
    // Into the archive, through the program's own writer (which indexes it).
    void writeArchived(const std::string& key, const FieldStore& store,
                       std::int64_t lastWrite = kNow - 86400, const std::string& password = "sys") {
        ASSERT_TRUE(DataFile(context_).Write(archived(key), "ALFA 2000", password, store, false));
        ASSERT_TRUE(files_.disk().setLastWriteTime(archived(key), lastWrite));
    }
    // Outside the archive, written by another installation: its index is not ours.
    void writeOutside(const std::filesystem::path& path, const FieldStore& store,
                      const std::string& password, std::int64_t lastWrite,
                      const std::string& templateName = "BETA 3000") {
        ASSERT_TRUE(DataFile(outside_).Write(path, templateName, password, store, false));
        ASSERT_TRUE(files_.disk().setLastWriteTime(path, lastWrite));
    }
    std::int64_t lastWrite(const std::filesystem::path& path) {
        return files_.disk().lastWriteTime(path).value_or(-1);
    }
    static std::string bytesOf(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::string indexContent() const { return bytesOf(home_ / "INDEX" / "DATA.KQI"); }
    std::string latestExport() { return context_.settings().readString("", "LatestExport", ""); }
    std::vector<std::string>& list(ResultList which) {
        return context_.searchResults().list(which);
    }
    // Texts the prompt showed or asked, UTF-8.
    std::vector<std::string> said() const { return prompt_.texts(); }

    TempDir temp_;
    std::filesystem::path home_, disk_, elsewhere_;
    RecordingPrompt prompt_;
    SilentPrompt silent_;
    FixedClock clock_{kNow, kUtcOffset};
    FailingFileSystem files_;
    AppContext context_;
    AppContext outside_;
};

}  // namespace loom::test
