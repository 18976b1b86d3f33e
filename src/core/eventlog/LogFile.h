#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "eventlog/LogRecord.h"

namespace loom {

class FileSystem;
class ProgramDirectory;

// The text file of one installation's event log, LOG/<8 hex digits>.LOG: one line per
// record, the 16 bytes as 32 upper-case hexadecimal digits, lines ended by CR LF, oldest
// record first.
class LogFile {
  public:
    static constexpr std::size_t kLineLength = LogRecord::kSize * 2;
    // Larger files are not read: a damaged or planted file must not exhaust the memory.
    static constexpr std::uint64_t kReadLimit = std::uint64_t{256} << 20;

    // The record's line without its line break.
    static std::string line(const LogRecord& record);
    // A line as the log window reads it: cut to 32 characters, then pairs of characters
    // as bytes, "0"-"9" giving 0-9 and any other character c giving c - 0x37 (so "A"-"F"
    // give 10-15), kept to 8 bits. A byte whose pair is missing or incomplete reads 0xFF,
    // as erased memory does.
    static LogRecord parseLine(std::string_view line);
    // The text's lines without their line breaks (LF, or CR LF); text after the last
    // line break is a line too.
    static std::vector<std::string_view> splitLines(std::string_view text);

    // The lines of the file; false (no lines, the reason in `error` when given) when it
    // cannot be read.
    static bool readLines(FileSystem& files, const std::filesystem::path& path,
                          std::string& content, std::vector<std::string_view>& lines,
                          std::string* error = nullptr);
};

// The log file of the system whose data file is `documentPath`: its file title (up to
// the first dot) decoded as a file identifier names it by the identifier's 32-bit time.
// Empty when the title is not an identifier.
std::filesystem::path LogFilePath(const ProgramDirectory& programDirectory,
                                  const std::filesystem::path& documentPath);

struct LogMergeCounts {
    std::size_t total = 0;  // records in the file afterwards
    std::size_t added = 0;
};

// Adds the records of a log read from the panel (`received`, newest record first, a tail
// shorter than 16 bytes ignored) to the file: the records after the first one equal to
// the file's last line, or all of them when none is. The file is replaced whole, so a
// failed write leaves the old log; a missing LOG folder is made. An existing file that
// cannot be read is left alone rather than replaced by the new records only. False when
// nothing was written, with the reason in `error` (when given); nothing is reported.
bool MergeLog(FileSystem& files, const std::filesystem::path& path,
              std::span<const std::uint8_t> received, LogMergeCounts* counts = nullptr,
              std::string* error = nullptr);

}  // namespace loom
