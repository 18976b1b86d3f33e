#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "archive/SearchResults.h"
#include "archive/SystemSave.h"
#include "common/Cp1252.h"
#include "context/AppContext.h"
#include "datafile/DataFile.h"
#include "document/ProgramState.h"
#include "fields/FieldStore.h"
#include "platform/Clock.h"
#include "platform/ProgramDirectory.h"
#include "support/FailingFileSystem.h"
#include "support/RecordingPrompt.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "template/TemplateWriter.h"

namespace loom::test {

using Lines = std::vector<std::string>;

// A program directory with FILES, FORMS and INDEX, an outside folder (the "diskette") and
// another installation's home, a disk that fails on demand, a fixed clock one hour east of
// UTC, a recording prompt and scripted dialogs.
class ArchiveHome : public ::testing::Test {
  protected:
    static constexpr FieldAddress kCustomer = kAddresslessBit | (20000u << 3);
    static constexpr FieldAddress kPhone = kAddresslessBit | (20001u << 3);
    static constexpr FieldAddress kPromValue = 0x100u << 3;
    static constexpr std::int64_t kNow = 1'589'068'800;  // 2020-05-10 00:00 UTC

    ArchiveHome() : home_(temp_.path("home")), disk_(temp_.path("disk")), context_(prompt_) {
        for (const char* folder : {"FILES", "FORMS", "INDEX"})
            std::filesystem::create_directories(home_ / folder);
        std::filesystem::create_directories(disk_);
        std::filesystem::create_directories(elsewhere_ / "FILES");
        context_.setFileSystem(files_);
        context_.setClock(clock_);
        context_.setDialogs(dialogs_);
        context_.setProgramDirectory(ProgramDirectory(home_));
        outside_.setClock(clock_);
        outside_.setProgramDirectory(ProgramDirectory(elsewhere_));
    }

    std::filesystem::path files() const { return home_ / "FILES"; }
    std::filesystem::path dataIndex() const { return home_ / "INDEX" / "DATA.KQI"; }
    std::filesystem::path formIndex() const { return home_ / "INDEX" / "FORM.KQI"; }
    std::filesystem::path archived(const std::string& key) const {
        return files() / (key + ".KQD");
    }
    std::filesystem::path onDisk(const std::string& key) const { return disk_ / (key + ".KQD"); }
    // A result list's head line: its folder, code page 1252.
    static std::string folderOf(const std::filesystem::path& folder) {
        return utf8ToCp1252(folder.string()) + "/";
    }

    static std::string readText(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void writeText(const std::filesystem::path& path, const std::string& text) {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    }
    // CRLF lines in sorted order (a folder's order is the disk's).
    static Lines sortedLines(const std::string& content) {
        Lines lines;
        for (std::size_t at = 0, end; at < content.size(); at = end + 2) {
            end = content.find("\r\n", at);
            lines.push_back(cp1252ToUtf8(content.substr(at, end - at)));
        }
        std::sort(lines.begin(), lines.end());
        return lines;
    }
    static Lines utf8(const Lines& lines) {
        Lines out;
        for (const std::string& l : lines)
            out.push_back(cp1252ToUtf8(l));
        return out;
    }

    // A data file `key`.KQD in `folder` (FILES by default) with the given UTF-8 values; the
    // first `indexed` of them are indexed. Writing it stores its DATA.KQI line.
    void writeData(const std::string& key, const Lines& values, std::size_t indexed,
                   const std::filesystem::path& folder = {}) {
        FieldStore store;
        for (std::size_t i = 0; i < values.size(); ++i) {
            FieldRecord& r = store.findOrCreate(kAddresslessBit | static_cast<FieldAddress>(i + 1));
            r.flags = i < indexed ? kFieldFlagDisplayName : 0;
            r.value = utf8ToCp1252(values[i]);
        }
        const std::filesystem::path dir = folder.empty() ? files() : folder;
        std::filesystem::create_directories(dir);
        ASSERT_TRUE(
            SaveSystem(context_, dir / (key + ".KQD"), "ALFA 2000", "", store, true).written);
    }

    // A template in FORMS with the given header texts (UTF-8) and an empty body.
    void writeTemplate(const std::string& file, const std::string& name, const std::string& title) {
        TemplateWriter writer;
        writer.header(utf8ToCp1252(name), utf8ToCp1252(title)).end();
        const std::vector<std::uint8_t> bytes = writer.finish();
        writeText(home_ / "FORMS" / file, std::string(bytes.begin(), bytes.end()));
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
        ASSERT_TRUE(
            SaveSystem(context_, archived(key), "ALFA 2000", password, store, false).written);
        ASSERT_TRUE(files_.disk().setLastWriteTime(archived(key), lastWrite));
    }
    // Outside the archive, written by another installation: its index is not ours.
    void writeOutside(const std::filesystem::path& path, const FieldStore& store,
                      const std::string& password, std::int64_t lastWrite) {
        ASSERT_TRUE(SaveSystem(outside_, path, "BETA 3000", password, store, false).written);
        ASSERT_TRUE(files_.disk().setLastWriteTime(path, lastWrite));
    }
    std::int64_t lastWrite(const std::filesystem::path& path) {
        return files_.disk().lastWriteTime(path).value_or(-1);
    }
    std::vector<std::string>& list(ResultList which) {
        return context_.searchResults().list(which);
    }

    TempDir temp_;
    std::filesystem::path home_, disk_, elsewhere_{temp_.path("other")};
    RecordingPrompt prompt_;
    SilentPrompt silent_;
    ScriptedDialogs dialogs_{prompt_};
    FailingFileSystem files_;
    FixedClock clock_{1700000000, 3600};
    ProgramState context_;
    ProgramState outside_{silent_};
};

// Export and import: the clock at kNow, two hours east of UTC, system password "sys".
class ArchiveCopyHome : public ArchiveHome {
  protected:
    static constexpr std::int64_t kUtcOffset = 7200;

    ArchiveCopyHome() {
        clock_.set(kNow);
        clock_.setUtcOffset(kUtcOffset);
        context_.setSystemPassword("sys");
    }
    std::string latestExport() { return context_.settings().readString("", "LatestExport", ""); }
    std::string filesHead() const { return folderOf(files()); }
    static std::string counts(int copied, int notCopied) {
        return std::to_string(copied) + " filer har kopierats.\n" + std::to_string(notCopied) +
               " filer har inte kopierats.";
    }
};

}  // namespace loom::test
