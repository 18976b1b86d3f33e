#include "eventlog/EventLogFilter.h"

#include "eventlog/LogEntry.h"
#include "common/SwedishUpperCase.h"
#include "platform/UserPrompt.h"

namespace loom {
namespace {

// What follows "Användare:" on a line names the user who did it.
constexpr std::string_view kUserMark = "Anv\xE4ndare:";

std::string_view cut(std::string_view text, std::size_t length) {
    return text.substr(0, length);
}

bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

}  // namespace

std::optional<std::uint32_t> EventLogFilter::parseDate(std::string_view text) {
    if (text.size() != kDateLength) return std::nullopt;
    std::uint32_t d[kDateLength];
    for (std::size_t i = 0; i < kDateLength; ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        d[i] = static_cast<std::uint32_t>(text[i] - '0');
    }
    const std::uint32_t yy = d[0] * 10 + d[1];
    const std::uint32_t month = d[2] * 10 + d[3];
    const std::uint32_t day = d[4] * 10 + d[5];
    if (month > 12 || day > 31) return std::nullopt;
    const std::uint32_t year = 1900 + yy >= 1990 ? 1900 + yy : 2000 + yy;
    return year * 10000 + month * 100 + day;
}

std::optional<LogSearch> LogSearch::prepare(const EventLogFilter& filter, UserPrompt& prompt) {
    LogSearch search;
    if (!filter.from.empty()) {
        const auto from = EventLogFilter::parseDate(filter.from);
        if (!from) {
            prompt.show(MessageId::BadFromDate, {}, MessageKind::Stop);
            return std::nullopt;
        }
        search.from_ = *from;
    }
    if (!filter.to.empty()) {
        const auto to = EventLogFilter::parseDate(filter.to);
        if (!to) {
            prompt.show(MessageId::BadToDate, {}, MessageKind::Stop);
            return std::nullopt;
        }
        search.to_ = *to;
        // Entries without a date then drop out.
        if (filter.from.empty()) search.from_ = 1;
    }
    if (search.to_ < search.from_) {
        prompt.show(MessageId::EmptyDateRange, {}, MessageKind::Warning);
        return std::nullopt;
    }

    search.eventName_ = cut(filter.eventName, EventLogFilter::kEventNameLength);
    const std::string_view user = cut(filter.user, EventLogFilter::kUserLength);
    const std::string_view freeText = cut(filter.freeText, EventLogFilter::kFreeTextLength);
    search.showsAll_ = search.eventName_.empty() && user.empty() && freeText.empty() &&
                       search.from_ <= 1 && search.to_ == kNoEnd;
    search.user_ = SwedishUpperCase::fold(user);
    // Empty pieces (";;") name no word: they would match every line.
    const std::string folded = SwedishUpperCase::fold(freeText);
    std::size_t start = 0;
    while (start <= folded.size() && search.words_.size() < kMaxWords) {
        std::size_t end = folded.find(';', start);
        if (end == std::string::npos) end = folded.size();
        if (end > start) search.words_.push_back(folded.substr(start, end - start));
        start = end + 1;
    }
    return search;
}

bool LogSearch::matches(const LogEntry& entry) const {
    if (showsAll_) return true;
    if (entry.dateKey < from_ || entry.dateKey > to_) return false;
    if (!eventName_.empty() &&
        (entry.lines.empty() || !entry.lines.front().starts_with(eventName_)))
        return false;
    if (!user_.empty()) {
        bool found = false;
        for (std::size_t i = 1; i < entry.lines.size() && !found; ++i) {
            const std::string_view line = entry.lines[i];
            const std::size_t mark = line.find(kUserMark);
            if (mark == std::string_view::npos) continue;
            found = contains(SwedishUpperCase::fold(line.substr(mark + kUserMark.size())), user_);
        }
        if (!found) return false;
    }
    if (!words_.empty()) {
        bool found = false;
        for (std::size_t i = 0; i < entry.lines.size() && !found; ++i) {
            const std::string line = SwedishUpperCase::fold(entry.lines[i]);
            for (const std::string& word : words_)
                if (contains(line, word)) {
                    found = true;
                    break;
                }
        }
        if (!found) return false;
    }
    return true;
}

}  // namespace loom
