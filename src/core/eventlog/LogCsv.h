#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "eventlog/LogEntry.h"

namespace loom {

class FileSystem;

// The event log window's shown entries as a table for spreadsheet programs: one row per
// entry with date (ÅÅÅÅ-MM-DD, empty without one), event (the first line), text (the other
// lines joined by " / ", so that each entry stays one line of the file), text colour and
// background colour (#RRGGBB), under a header row. Fields are separated by ";", as
// spreadsheets set up for Swedish expect, and quoted as RFC 4180 describes when they hold
// a separator, a quote or a line break. The file is UTF-8 with a byte order mark, which
// is how those programs recognise it and show å, ä and ö right.
class LogCsv {
  public:
    // `shown`: indexes into `entries`, in list order.
    static std::string text(const std::vector<LogEntry>& entries,
                            std::span<const std::size_t> shown);
    // Through the safe file write; false with the reason (code page 1252) in `error`.
    static bool write(FileSystem& files, const std::filesystem::path& path,
                      const std::vector<LogEntry>& entries, std::span<const std::size_t> shown,
                      std::string& error);

    static std::string dateText(std::uint32_t dateKey);
};

}  // namespace loom
