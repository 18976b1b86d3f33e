#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
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

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeFile(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// A record whose 16 bytes are all `b`, as its log line.
std::string lineOf(std::uint8_t b) {
    LogRecord r;
    r.bytes.fill(b);
    return LogFile::line(r);
}

// Records as the panel sends them, newest first.
std::vector<std::uint8_t> received(std::initializer_list<std::uint8_t> newestFirst) {
    std::vector<std::uint8_t> out;
    for (std::uint8_t b : newestFirst)
        out.insert(out.end(), LogRecord::kSize, b);
    return out;
}

TEST(LogFile, LineIs32UpperCaseDigits) {
    LogRecord r;
    for (std::size_t i = 0; i < r.bytes.size(); ++i)
        r.bytes[i] = static_cast<std::uint8_t>(i * 17);
    EXPECT_EQ(LogFile::line(r), "00112233445566778899AABBCCDDEEFF");
    EXPECT_EQ(LogFile::parseLine(LogFile::line(r)), r);
}

struct LineCase {
    const char* name;
    std::string line;
    const char* bytes;
};

class ParseLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(ParseLine, DecodesPairsAsTheWindowDoes) {
    EXPECT_EQ(test::hexString(LogFile::parseLine(GetParam().line).bytes), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ParseLine,
    ::testing::Values(
        LineCase{"Full", "2C1E2D0E0F060900930500000000FFFF",
                 "2C 1E 2D 0E 0F 06 09 00 93 05 00 00 00 00 FF FF"},
        LineCase{"CutTo32", "000102030405060708090A0B0C0D0E0F1011",
                 "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F"},
        // 'a' - 0x37 = 42, 'b' - 0x37 = 43: 42 * 16 + 43 = 715, kept to 8 bits 0xCB.
        LineCase{"LowerCase", "ab", "CB FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF"},
        // ' ' - 0x37 = -23: -23 * 16 - 23 = -391 = 0x79 in 8 bits; 0xE4 - 0x37 = 0xAD.
        LineCase{"OtherCharacters",
                 "  \xE4"
                 "0",
                 "79 D0 FF FF FF FF FF FF FF FF FF FF FF FF FF FF"},
        LineCase{"Short", "0102", "01 02 FF FF FF FF FF FF FF FF FF FF FF FF FF FF"},
        LineCase{"OddLength", "010", "01 FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF"},
        LineCase{"Empty", "", "FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF"}),
    [](const ::testing::TestParamInfo<LineCase>& p) { return std::string(p.param.name); });

TEST(LogFile, SplitLinesTakesCrLfAndLf) {
    const auto lines = LogFile::splitLines("A\r\nB\nC\r\rD\r\n\r\nE");
    const std::vector<std::string_view> expected{"A", "B", "C\r\rD", "", "E"};
    EXPECT_EQ(lines, expected);
    EXPECT_TRUE(LogFile::splitLines("").empty());
    EXPECT_EQ(LogFile::splitLines("X\r\n").size(), 1u);
}

struct PathCase {
    const char* document;
    const char* log;  // empty: none
};

class LogFilePathCase : public ::testing::TestWithParam<PathCase> {};

TEST_P(LogFilePathCase, NamesTheFileByTheIdentifiersTime) {
    const ProgramDirectory home("/home/x");
    const std::filesystem::path path = LogFilePath(home, GetParam().document);
    const std::string expected = GetParam().log;
    EXPECT_EQ(path,
              expected.empty() ? std::filesystem::path() : home.file(ProgramFolder::Log, expected));
}

INSTANTIATE_TEST_SUITE_P(Paths, LogFilePathCase,
                         ::testing::Values(PathCase{"/x/FILES/A1B2C3D0.KQD", "04B638B9.LOG"},
                                           PathCase{"a0000100.kqd", "00000024.LOG"},
                                           PathCase{"/x/A0000000.KQD", "00000000.LOG"},
                                           PathCase{"BZZZZZZ0.KQD", "81BF0FFF.LOG"},
                                           PathCase{"A0000100.old.KQD", "00000024.LOG"},
                                           PathCase{"A000010.KQD", ""},
                                           PathCase{"A00-0100.KQD", ""}, PathCase{"/x.y/noext", ""},
                                           PathCase{"", ""}));

class MergeLogTest : public ::testing::Test {
  protected:
    std::filesystem::path logPath() const {
        return std::filesystem::path(dir_.path("LOG")) / "00000024.LOG";
    }

    test::TempDir dir_;
    LocalFileSystem disk_;
};

TEST_F(MergeLogTest, FirstReadKeepsEveryRecordOldestFirst) {
    LogMergeCounts counts;
    ASSERT_TRUE(MergeLog(disk_, logPath(), received({3, 2, 1}), &counts));
    EXPECT_EQ(readFile(logPath()), lineOf(1) + "\r\n" + lineOf(2) + "\r\n" + lineOf(3) + "\r\n");
    EXPECT_EQ(counts.total, 3u);
    EXPECT_EQ(counts.added, 3u);
}

TEST_F(MergeLogTest, SecondReadAddsOnlyTheNewerRecords) {
    writeFile(logPath(), lineOf(1) + "\r\n" + lineOf(2) + "\r\n" + lineOf(3) + "\r\n");
    LogMergeCounts counts;
    ASSERT_TRUE(MergeLog(disk_, logPath(), received({5, 4, 3, 2}), &counts));
    EXPECT_EQ(readFile(logPath()), lineOf(1) + "\r\n" + lineOf(2) + "\r\n" + lineOf(3) + "\r\n" +
                                       lineOf(4) + "\r\n" + lineOf(5) + "\r\n");
    EXPECT_EQ(counts.total, 5u);
    EXPECT_EQ(counts.added, 2u);
}

TEST_F(MergeLogTest, UnknownRecordsAreAllAppended) {
    writeFile(logPath(), lineOf(1) + "\r\n" + lineOf(2) + "\n");
    LogMergeCounts counts;
    ASSERT_TRUE(MergeLog(disk_, logPath(), received({7, 1, 6}), &counts));
    EXPECT_EQ(readFile(logPath()), lineOf(1) + "\r\n" + lineOf(2) + "\r\n" + lineOf(6) + "\r\n" +
                                       lineOf(1) + "\r\n" + lineOf(7) + "\r\n");
    EXPECT_EQ(counts.added, 3u);
}

TEST_F(MergeLogTest, ShortTailIsDropped) {
    std::vector<std::uint8_t> bytes = received({9, 8});
    bytes.insert(bytes.end(), 8, 0x77);  // 40 bytes
    LogMergeCounts counts;
    ASSERT_TRUE(MergeLog(disk_, logPath(), bytes, &counts));
    EXPECT_EQ(readFile(logPath()), lineOf(8) + "\r\n" + lineOf(9) + "\r\n");
    EXPECT_EQ(counts.total, 2u);
}

TEST_F(MergeLogTest, FailedWriteKeepsTheOldLog) {
    const std::string old = lineOf(1) + "\r\n";
    writeFile(logPath(), old);
    test::FailingFileSystem files;
    files.failCommit();
    EXPECT_FALSE(MergeLog(files, logPath(), received({2})));
    EXPECT_EQ(readFile(logPath()), old);
    files.heal();
    files.failWritesAfter(10);
    EXPECT_FALSE(MergeLog(files, logPath(), received({2})));
    EXPECT_EQ(readFile(logPath()), old);
}

TEST_F(MergeLogTest, UnreadableLogIsNotReplaced) {
    const std::string old = lineOf(1) + "\r\n";
    writeFile(logPath(), old);
    test::FailingFileSystem files;
    files.failOpenRead(logPath());
    EXPECT_FALSE(MergeLog(files, logPath(), received({2})));
    EXPECT_EQ(readFile(logPath()), old);
    EXPECT_EQ(files.replaceFileCalls(), 0);
}

TEST_F(MergeLogTest, NothingReceivedRewritesTheSameLog) {
    const std::string old = lineOf(1) + "\r\n" + lineOf(2) + "\r\n";
    writeFile(logPath(), old);
    ASSERT_TRUE(MergeLog(disk_, logPath(), {}));
    EXPECT_EQ(readFile(logPath()), old);
}

}  // namespace
}  // namespace loom
