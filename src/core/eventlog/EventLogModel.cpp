#include "eventlog/EventLogModel.h"

#include <optional>

#include "datafile/LabelTable.h"
#include "eventlog/DecodeRecord.h"
#include "eventlog/LogFile.h"
#include "template/EventTexts.h"

namespace loom {

void EventLogModel::load(FileSystem& files, const std::filesystem::path& path,
                         const EventTexts& table, const PromImage* image,
                         const LabelTable& labels) {
    std::string content;
    std::vector<std::string_view> lines;
    LogFile::readLines(files, path, content, lines);
    loadLines(lines, table, image, labels);
}

void EventLogModel::loadText(std::string_view content, const EventTexts& table,
                             const PromImage* image, const LabelTable& labels) {
    loadLines(LogFile::splitLines(content), table, image, labels);
}

void EventLogModel::loadLines(const std::vector<std::string_view>& lines, const EventTexts& table,
                              const PromImage* image, const LabelTable& labels) {
    entries_.clear();
    entries_.reserve(lines.size());
    // The file stands oldest first; the window lists the newest first.
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        if (it->empty()) continue;
        const LogRecord record = LogFile::parseLine(*it);
        entries_.push_back(LogEntry::fromDecoded(DecodeRecord(record, table, image, labels)));
    }
    showAll();
}

std::vector<std::string> EventLogModel::eventNameChoices(const EventTexts& table) {
    std::vector<std::string> choices{std::string()};
    choices.insert(choices.end(), table.names().begin(), table.names().end());
    return choices;
}

std::vector<std::string> EventLogModel::userChoices(const LabelTable& labels) {
    std::vector<std::string> choices;
    for (std::size_t i = 0; i < LabelTable::kSize; ++i)
        if (!labels.text(i).empty()) choices.push_back(labels.text(i));
    return choices;
}

void EventLogModel::showAll() {
    shown_.resize(entries_.size());
    for (std::size_t i = 0; i < shown_.size(); ++i)
        shown_[i] = i;
}

bool EventLogModel::search(const EventLogFilter& filter, UserPrompt& prompt) {
    const std::optional<LogSearch> search = LogSearch::prepare(filter, prompt);
    if (!search) return false;
    if (search->showsAll()) {
        showAll();
        return true;
    }
    shown_.clear();
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (search->matches(entries_[i])) shown_.push_back(i);
    return true;
}

}  // namespace loom
