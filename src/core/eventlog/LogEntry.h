#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "eventlog/LogColour.h"

namespace loom {

struct DecodedRecord;

// One record as the event log window lists it.
struct LogEntry {
    static constexpr std::size_t kMaxLines = 17;

    std::uint32_t dateKey = 0;  // year * 10000 + month * 100 + day; 0 without a valid date
    LogColour textColour = LogColour::black();
    LogColour background = LogColour::white();
    // The text cut at every CR LF, empty lines dropped, at most 17 (code page 1252).
    std::vector<std::string> lines;

    static LogEntry fromDecoded(const DecodedRecord& decoded);
    static std::vector<std::string> splitText(std::string_view text);
    // A line as the window draws and prints it: the line feed that ends a unit text, like
    // every other control character, shows as a blank instead of a box.
    static std::string shownLine(std::string_view line);
};

}  // namespace loom
