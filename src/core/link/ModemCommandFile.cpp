#include "link/ModemCommandFile.h"

#include "platform/FileSystem.h"

namespace loom {
namespace {

constexpr std::string_view kBlanks = " \t\r\n\v\f";
// A command file is a few short lines; anything far larger is not one.
constexpr std::uint64_t kMaxFileSize = 64 * 1024;

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

}  // namespace

const std::vector<std::string>& ModemCommandFile::defaults() {
    static const std::vector<std::string> commands{"ATE0", "ATV0", "ATX0", "AT+MS=2,1,300,2400",
                                                   "ATDT #NR#"};
    return commands;
}

std::vector<std::string> ModemCommandFile::parse(std::string_view text) {
    std::vector<std::string> commands;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        // A blank line is a line too: the modem gets a bare carriage return for it.
        commands.emplace_back(line);
    }
    if (commands.empty()) return defaults();
    return commands;
}

std::vector<std::string> ModemCommandFile::load(FileSystem& files,
                                                const std::filesystem::path& path) {
    std::string content;
    std::string error;
    if (!files.readWhole(path, content, error, kMaxFileSize)) return defaults();
    return parse(content);
}

ModemCommandFile::Line ModemCommandFile::prepare(std::string_view command, std::string_view phone) {
    Line line;
    line.text = trimmed(command);
    const std::size_t mark = line.text.find(kNumberMark);
    if (mark != std::string::npos) {
        line.text.replace(mark, kNumberMark.size(), phone);
        line.dials = true;
    }
    line.text.push_back('\r');
    return line;
}

}  // namespace loom
