// Decoding tables, a record, PROM contents and a log file's text to the event log decoder
// and the log window's model. Input: a step count, each step as tag, parameter length and
// parameter; the 16 record bytes; a count of PROM writes, each a 3-byte address, a length
// and the bytes; the rest is the log file.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "datafile/LabelTable.h"
#include "eventlog/DecodeRecord.h"
#include "eventlog/EventLogModel.h"
#include "eventlog/LogFile.h"
#include "fields/PromImage.h"
#include "platform/UserPrompt.h"
#include "template/EventTexts.h"

#include "FuzzHome.h"

namespace {

using loom::fuzz::check;
using loom::fuzz::Input;

void checkDecoded(const loom::DecodedRecord& d) {
    if (!d.dateKey) return;
    const std::uint32_t year = *d.dateKey / 10000, month = *d.dateKey / 100 % 100,
                        day = *d.dateKey % 100;
    check(year >= 2000 && year <= 2256 && month >= 1 && month <= 12 && day >= 1 && day <= 31);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in{{data, size}};
    loom::EventTexts table;
    const unsigned steps = in.byte() % 17u;
    const std::uint8_t code = in.byte();
    std::vector<loom::EventText> list;
    for (unsigned s = 0; s < steps; ++s) {
        const std::uint8_t tag = in.byte();
        list.push_back({tag, std::string(in.text(in.byte() % 64u))});
    }
    table.setCode(code, list);

    loom::LogRecord record;
    for (std::uint8_t& b : record.bytes)
        b = in.byte(0xFF);

    loom::PromImage image;
    const unsigned writes = in.byte() % 9u;
    for (unsigned w = 0; w < writes; ++w) {
        std::uint32_t address = 0;
        for (int k = 0; k < 3; ++k)
            address = address << 8 | in.byte();
        // With the top bit set exactly there (the name tables lie below 0x7FFFFF), else
        // spread over the whole PROM space, up to its last bytes.
        address = (address & 0x800000u) != 0 ? address & 0x7FFFFFu : address << 8 | 0xF0u;
        const std::string_view bytes = in.text(in.byte() % 33u);
        image.write(address, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    }
    loom::LabelTable labels;
    labels.set(record.bytes[7] % 255u, "Anna");

    checkDecoded(loom::DecodeRecord(record, table, &image, labels));
    checkDecoded(loom::DecodeRecord(record, table, nullptr, labels));
    // Built-in texts and the fallback for every code without steps.
    loom::LogRecord builtIn = record;
    builtIn.bytes[0] = static_cast<std::uint8_t>(0x2B + record.bytes[1] % 5u);
    checkDecoded(loom::DecodeRecord(builtIn, loom::EventTexts{}, &image, labels));
    check(loom::LogFile::parseLine(loom::LogFile::line(record)) == record);

    const std::string_view logText = in.rest();
    loom::EventLogModel model;
    model.loadText(logText, table, &image, labels);
    check(model.entries().size() ==
          static_cast<std::size_t>(std::ranges::count_if(
              loom::LogFile::splitLines(logText), [](std::string_view l) { return !l.empty(); })));
    for (const loom::LogEntry& entry : model.entries()) {
        check(entry.lines.size() <= loom::LogEntry::kMaxLines);
        for (const std::string& line : entry.lines)
            check(!line.empty() && line.find("\r\n") == std::string::npos);
    }
    loom::SilentPrompt prompt;
    loom::EventLogFilter filter;
    filter.freeText = logText.substr(0, 24);
    filter.user = filter.from = logText.substr(0, 6);
    model.search(filter, prompt);
    for (std::size_t i : model.shown())
        check(i < model.entries().size());
    return 0;
}
