#include "eventlog/LogEntry.h"

#include "eventlog/DecodeRecord.h"

namespace loom {

std::vector<std::string> LogEntry::splitText(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size() && lines.size() < kMaxLines) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        if (end > start) lines.emplace_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::string LogEntry::shownLine(std::string_view line) {
    std::string shown(line);
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    return shown;
}

LogEntry LogEntry::fromDecoded(const DecodedRecord& decoded) {
    LogEntry entry;
    entry.dateKey = decoded.dateKey.value_or(0);
    entry.textColour = decoded.textColour;
    entry.background = decoded.background;
    entry.lines = splitText(decoded.text);
    return entry;
}

}  // namespace loom
