#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/SearchResults.h"

namespace loom {

class AppContext;
class Clock;

// Finds the DATA.KQI lines of the data files that match every keyword, sorted by their
// values in Swedish order, into `found` (which is emptied first). With the index only the
// lines are searched; without it every listed file is read (without messages) and a
// keyword must occur in one of its values, of any field. False when DATA.KQI cannot be
// opened (message 4 shown).
bool searchArchive(AppContext& context, const std::vector<std::string>& keywords, bool useIndex,
                   std::vector<std::string>& found);

// True when every keyword, upper-cased, occurs in the upper-cased value of at least one
// record of `values` (code page 1252).
bool valuesMatch(const std::vector<std::string>& upperValues,
                 const std::vector<std::string>& upperKeywords);

// What a row of the result list shows: the line without its key (empty without a TAB).
std::string_view rowText(std::string_view line);

// The data file that `line` of result list `which` stands for: FILES + key + ".KQD" for
// "Sökta", the list's folder (its first element) + key + ".KQD" for the other two. Empty
// for an empty list and for a key that could leave the folder.
std::filesystem::path resultFilePath(AppContext& context, ResultList which,
                                     const std::vector<std::string>& list, std::string_view line);

// The file information texts of the search dialog (code page 1252).
struct FileInfo {
    std::string created;   // "skapad datum:"
    std::string computer;  // "skapad på dator:"
    std::string modified;  // "senast ändrad:"
    std::string system;    // "system:"
    std::string fileName;  // "filnamn:"
    bool operator==(const FileInfo&) const = default;
};

// Reads the header of the data file at `path` with messages; empty texts when it fails.
FileInfo readFileInfo(AppContext& context, const std::filesystem::path& path, std::string_view key);

// "%d %s, %d": day, Swedish month name, year, in local time; empty for no time.
std::string swedishDate(const Clock& clock, std::optional<std::int64_t> seconds);

}  // namespace loom
