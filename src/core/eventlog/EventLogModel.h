#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "eventlog/EventLogFilter.h"
#include "eventlog/LogEntry.h"

namespace loom {

class EventTexts;
class FileSystem;
class LabelTable;
class PromImage;
class UserPrompt;

// What the event log window holds: the decoded entries of one log file, newest first,
// the choices of its two lists and the entries the last search left shown.
class EventLogModel {
  public:
    // Reads and decodes the file; one that cannot be read gives no entries. Every
    // entry is shown afterwards.
    void load(FileSystem& files, const std::filesystem::path& path, const EventTexts& table,
              const PromImage* image, const LabelTable& labels);
    // The same from the file's content. Empty lines carry no record and are skipped.
    void loadText(std::string_view content, const EventTexts& table, const PromImage* image,
                  const LabelTable& labels);

    // "Larm": an empty first choice, then the template's event names.
    static std::vector<std::string> eventNameChoices(const EventTexts& table);
    // "Användare": the non-empty label table entries in index order.
    static std::vector<std::string> userChoices(const LabelTable& labels);

    // "Sök". False, with the message shown and the shown entries as they were, when a
    // date is invalid or the range is empty.
    bool search(const EventLogFilter& filter, UserPrompt& prompt);

    const std::vector<LogEntry>& entries() const { return entries_; }
    // Indexes into entries(), in list order.
    const std::vector<std::size_t>& shown() const { return shown_; }
    // "Skriv ut" is enabled while something is shown.
    bool canPrint() const { return !shown_.empty(); }

  private:
    void loadLines(const std::vector<std::string_view>& lines, const EventTexts& table,
                   const PromImage* image, const LabelTable& labels);
    void showAll();

    std::vector<LogEntry> entries_;
    std::vector<std::size_t> shown_;
};

}  // namespace loom
