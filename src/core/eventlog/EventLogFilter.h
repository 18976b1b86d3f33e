#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace loom {

class UserPrompt;
struct LogEntry;

// The search fields of the event log window as typed (code page 1252): event name
// ("Larm"), user ("Användare"), free text ("Fritext", words separated by ";") and the
// dates "Från" and "Till" as ÅÅMMDD.
struct EventLogFilter {
    static constexpr std::size_t kEventNameLength = 63;
    static constexpr std::size_t kUserLength = 63;
    static constexpr std::size_t kFreeTextLength = 127;
    static constexpr std::size_t kDateLength = 6;

    std::string eventName;
    std::string user;
    std::string freeText;
    std::string from;
    std::string to;

    // "Töm": every field empty (the event name back to the empty first choice).
    void clear() { *this = {}; }

    // Exactly six digits ÅÅMMDD with month at most 12 and day at most 31 (not checked
    // against the month); years from 90 are 1990-1999, the others 2000-2089. Gives
    // year * 10000 + month * 100 + day.
    static std::optional<std::uint32_t> parseDate(std::string_view text);
};

// "Sök" with the fields checked: a date range and the folded words to look for.
class LogSearch {
  public:
    static constexpr std::size_t kMaxWords = 16;
    static constexpr std::uint32_t kNoEnd = 0x7FFFFFFF;

    // Nothing, with the message shown (a bad date: "Fel", stop; an empty range:
    // "Warning"), when the search cannot run.
    static std::optional<LogSearch> prepare(const EventLogFilter& filter, UserPrompt& prompt);

    // No criterion at all: every entry is shown as it is.
    bool showsAll() const { return showsAll_; }
    bool matches(const LogEntry& entry) const;

    std::uint32_t from() const { return from_; }
    std::uint32_t to() const { return to_; }
    const std::vector<std::string>& words() const { return words_; }

  private:
    std::uint32_t from_ = 0;
    std::uint32_t to_ = kNoEnd;
    std::string eventName_;
    std::string user_;                // folded
    std::vector<std::string> words_;  // folded, none empty
    bool showsAll_ = true;
};

}  // namespace loom
