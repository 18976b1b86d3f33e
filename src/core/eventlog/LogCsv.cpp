#include "eventlog/LogCsv.h"

#include <cstdio>

#include "common/Cp1252.h"
#include "platform/FileSystem.h"

namespace loom {
namespace {

constexpr char kSeparator = ';';

// A line feed inside a line (unit texts end in one) parts it like a line of its own;
// other control characters become blanks.
void appendPieces(std::string_view line, std::vector<std::string>& pieces) {
    std::string piece;
    for (const char c : line) {
        if (c == '\n' || c == '\r') {
            if (!piece.empty()) pieces.push_back(std::move(piece));
            piece.clear();
        } else {
            piece += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
        }
    }
    if (!piece.empty()) pieces.push_back(std::move(piece));
}

void appendField(std::string& out, std::string_view cp1252) {
    const std::string text = cp1252ToUtf8(cp1252);
    if (text.find_first_of(";,\"\r\n") == std::string::npos) {
        out += text;
        return;
    }
    out += '"';
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

}  // namespace

std::string LogCsv::dateText(std::uint32_t dateKey) {
    if (dateKey == 0) return {};
    char text[16];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u", dateKey / 10000, dateKey / 100 % 100,
                  dateKey % 100);
    return text;
}

std::string LogCsv::text(const std::vector<LogEntry>& entries, std::span<const std::size_t> shown) {
    std::string out = "\xEF\xBB\xBF";
    out += "Datum;H\xC3\xA4ndelse;Text;Textf\xC3\xA4rg;Bakgrundsf\xC3\xA4rg\r\n";
    for (const std::size_t index : shown) {
        const LogEntry& entry = entries.at(index);
        std::vector<std::string> event, rest;
        if (!entry.lines.empty()) appendPieces(entry.lines.front(), event);
        for (std::size_t i = 1; i < entry.lines.size(); ++i)
            appendPieces(entry.lines[i], rest);
        std::string first, others;
        for (const std::string& piece : event)
            first += (first.empty() ? "" : " ") + piece;
        for (const std::string& piece : rest)
            others += (others.empty() ? "" : " / ") + piece;
        out += dateText(entry.dateKey);
        out += kSeparator;
        appendField(out, first);
        out += kSeparator;
        appendField(out, others);
        out += kSeparator;
        out += entry.textColour.hex();
        out += kSeparator;
        out += entry.background.hex();
        out += "\r\n";
    }
    return out;
}

bool LogCsv::write(FileSystem& files, const std::filesystem::path& path,
                   const std::vector<LogEntry>& entries, std::span<const std::size_t> shown,
                   std::string& error) {
    return files.writeWhole(path, text(entries, shown), error);
}

}  // namespace loom
