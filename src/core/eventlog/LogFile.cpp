#include "eventlog/LogFile.h"

#include <algorithm>

#include "archive/FileId.h"
#include "common/HexDigits.h"
#include "platform/FileSystem.h"
#include "platform/ProgramDirectory.h"

namespace loom {
namespace {

int pairDigit(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= '0' && u <= '9' ? u - '0' : u - 0x37;
}

}  // namespace

std::string LogFile::line(const LogRecord& record) {
    std::string out;
    out.reserve(kLineLength);
    for (std::uint8_t b : record.bytes) {
        out.push_back(hexDigitChar(b >> 4u));
        out.push_back(hexDigitChar(b));
    }
    return out;
}

LogRecord LogFile::parseLine(std::string_view text) {
    LogRecord record;
    record.bytes.fill(LogRecord::kMissing);
    const std::size_t pairs = std::min(text.size(), kLineLength) / 2;
    for (std::size_t i = 0; i < pairs; ++i) {
        const int value = pairDigit(text[2 * i]) * 16 + pairDigit(text[2 * i + 1]);
        record.bytes[i] = static_cast<std::uint8_t>(value & 0xFF);
    }
    return record;
}

std::vector<std::string_view> LogFile::splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    lines.reserve(text.size() / (kLineLength + 2) + 1);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos) end = text.size();
        std::size_t stop = end;
        if (stop > start && text[stop - 1] == '\r' && end < text.size()) --stop;
        lines.push_back(text.substr(start, stop - start));
        start = next;
    }
    return lines;
}

bool LogFile::readLines(FileSystem& files, const std::filesystem::path& path, std::string& content,
                        std::vector<std::string_view>& lines, std::string* error) {
    lines.clear();
    std::string reason;
    if (!files.readWhole(path, content, reason, kReadLimit)) {
        content.clear();
        if (error != nullptr) *error = reason;
        return false;
    }
    lines = splitLines(content);
    return true;
}

std::filesystem::path LogFilePath(const ProgramDirectory& programDirectory,
                                  const std::filesystem::path& documentPath) {
    // Through the program's own conversion: a name the system's code page cannot hold
    // must not throw.
    std::string title = pathText(documentPath.filename());
    title = title.substr(0, title.find('.'));
    std::uint32_t time = 0;
    char letter = 0;
    if (!ParseFileId(title, time, letter)) return {};
    std::string name;
    for (int shift = 28; shift >= 0; shift -= 4)
        name.push_back(hexDigitChar(time >> static_cast<unsigned>(shift)));
    name += ".LOG";
    return programDirectory.file(ProgramFolder::Log, name);
}

bool MergeLog(FileSystem& files, const std::filesystem::path& path,
              std::span<const std::uint8_t> received, LogMergeCounts* counts, std::string* error) {
    std::string content;
    std::vector<std::string_view> old;
    if (files.exists(path) && !LogFile::readLines(files, path, content, old, error)) return false;

    // The panel sends its newest record first; the file keeps the oldest first.
    std::vector<std::string> fresh;
    const std::size_t records = received.size() / LogRecord::kSize;
    fresh.reserve(records);
    for (std::size_t r = records; r-- > 0;) {
        LogRecord record;
        std::copy_n(received.begin() + static_cast<std::ptrdiff_t>(r * LogRecord::kSize),
                    LogRecord::kSize, record.bytes.begin());
        fresh.push_back(LogFile::line(record));
    }

    std::size_t firstNew = 0;
    if (!old.empty()) {
        const auto match = std::find(fresh.begin(), fresh.end(), old.back());
        if (match != fresh.end()) firstNew = static_cast<std::size_t>(match - fresh.begin()) + 1;
    }

    std::string out;
    out.reserve(content.size() + (fresh.size() - firstNew) * (LogFile::kLineLength + 2) +
                old.size() * 2);
    for (std::string_view line : old) {
        out += line;
        out += "\r\n";
    }
    for (std::size_t i = firstNew; i < fresh.size(); ++i) {
        out += fresh[i];
        out += "\r\n";
    }
    files.createFolder(path.parent_path());
    std::string reason;
    if (!files.writeWhole(path, out, reason)) {
        if (error != nullptr) *error = reason;
        return false;
    }
    if (counts != nullptr) {
        counts->added = fresh.size() - firstNew;
        counts->total = old.size() + counts->added;
    }
    return true;
}

}  // namespace loom
