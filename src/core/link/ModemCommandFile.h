#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace loom {

class FileSystem;

// The AT commands that dial the modem: the lines of modem.txt in the program directory,
// or a default list when that file is missing or holds no command.
class ModemCommandFile {
  public:
    // "ATE0", "ATV0", "ATX0", "AT+MS=2,1,300,2400", "ATDT #NR#".
    static const std::vector<std::string>& defaults();
    // One command per line (CR LF or LF). Lines that hold only blanks are left out, so a
    // file of blank lines, like an empty one, gives the defaults.
    static std::vector<std::string> parse(std::string_view text);
    // The commands of the file at `path`; the defaults when it cannot be read.
    static std::vector<std::string> load(FileSystem& files, const std::filesystem::path& path);

    // A command as it goes to the modem: trimmed of blanks at both ends, the first "#NR#"
    // replaced by the phone number exactly as entered, and a carriage return added.
    struct Line {
        std::string text;
        bool dials = false;  // it held "#NR#"
    };
    static Line prepare(std::string_view command, std::string_view phone);

    static constexpr std::string_view kNumberMark = "#NR#";
};

}  // namespace loom
