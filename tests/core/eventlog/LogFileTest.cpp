#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "eventlog/LogFile.h"
#include "platform/FileSystem.h"
#include "platform/ProgramDirectory.h"
#include "support/FailingFileSystem.h"
#include "support/HexBytes.h"
#include "support/TempDir.h"

namespace loom {
namespace {

// A record whose 16 bytes are all `b`, as its log line.
std::string lineOf(std::uint8_t b) {
    LogRecord r;
    r.bytes.fill(b);
    return LogFile::line(r);
}

TEST(LogFile, ParseLineDecodesPairsAsTheWindowDoes) {
    const std::pair<std::string, const char*> cases[] = {
        {"2C1E2D0E0F060900930500000000FFFF", "2C 1E 2D 0E 0F 06 09 00 93 05 00 00 00 00 FF FF"},
        // 'a' - 0x37 = 42, 'b' - 0x37 = 43: 42 * 16 + 43 = 715, kept to 8 bits 0xCB.
        {"ab", "CB FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF"},
        // ' ' - 0x37 = -23: -23 * 16 - 23 = -391 = 0x79 in 8 bits; 0xE4 - 0x37 = 0xAD.
        {"  \xE4"
         "0",
         "79 D0 FF FF FF FF FF FF FF FF FF FF FF FF FF FF"}};
    for (const auto& [line, bytes] : cases)
        EXPECT_EQ(test::hexString(LogFile::parseLine(line).bytes), bytes) << line;
}

TEST(LogFile, PathNamesTheFileByTheIdentifiersTime) {
    const ProgramDirectory home("/home/x");
    const std::pair<const char*, const char*> cases[] = {{"/x/FILES/A1B2C3D0.KQD", "04B638B9.LOG"},
                                                         {"BZZZZZZ0.KQD", "81BF0FFF.LOG"},
                                                         {"A000010.KQD", ""},
                                                         {"", ""}};
    for (const auto& [document, log] : cases)
        EXPECT_EQ(LogFilePath(home, document),
                  *log ? home.file(ProgramFolder::Log, log) : std::filesystem::path())
            << document;
}

TEST(MergeLog, AddsOnlyTheRecordsNewerThanTheLogsLastAndAFailureKeepsTheOldLog) {
    const test::TempDir dir;
    LocalFileSystem disk;
    const std::filesystem::path logPath = std::filesystem::path(dir.path("LOG")) / "00000024.LOG";
    // Records are named by their byte; the log's lines oldest first, received newest first.
    const struct {
        std::vector<std::uint8_t> log, received;
        std::size_t tail;  // bytes of a short record after the received ones
        std::vector<std::uint8_t> merged;
        unsigned total, added;
    } cases[] = {
        {{}, {3, 2, 1}, 0, {1, 2, 3}, 3, 3},
        {{1, 2, 3}, {5, 4, 3, 2}, 0, {1, 2, 3, 4, 5}, 5, 2},
        {{1, 2}, {7, 1, 6}, 0, {1, 2, 6, 1, 7}, 5, 3},  // the last one unknown: all appended
        {{}, {9, 8}, 8, {8, 9}, 2, 2},
        {{1, 2}, {}, 0, {1, 2}, 2, 0}};
    for (const auto& c : cases) {
        std::string log, merged;
        for (std::uint8_t b : c.log)
            log += lineOf(b) + (b == 2 ? "\n" : "\r\n");  // a LF-only line is rewritten
        for (std::uint8_t b : c.merged)
            merged += lineOf(b) + "\r\n";
        std::filesystem::remove(logPath);
        if (!log.empty()) test::writeFile(logPath, log);
        std::vector<std::uint8_t> bytes;
        for (std::uint8_t b : c.received)
            bytes.insert(bytes.end(), LogRecord::kSize, b);
        bytes.insert(bytes.end(), c.tail, 0x77);
        LogMergeCounts counts;
        ASSERT_TRUE(MergeLog(disk, logPath, bytes, &counts));
        EXPECT_EQ(test::readFile(logPath), merged) << merged;
        EXPECT_EQ(counts.total, c.total) << merged;
        EXPECT_EQ(counts.added, c.added) << merged;
    }

    const std::string old = lineOf(1) + "\r\n";
    test::writeFile(logPath, old);
    const std::vector<std::uint8_t> record(LogRecord::kSize, 2);
    for (int failure = 0; failure < 3; ++failure) {
        test::FailingFileSystem files;
        if (failure == 0) files.failCommit();
        if (failure == 1) files.failWritesAfter(10);
        if (failure == 2) files.failOpenRead(logPath);
        EXPECT_FALSE(MergeLog(files, logPath, record)) << failure;
        EXPECT_EQ(test::readFile(logPath), old) << failure;
    }
}

}  // namespace
}  // namespace loom
