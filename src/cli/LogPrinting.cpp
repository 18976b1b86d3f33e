#include "LogPrinting.h"

#include <string>

#include <nlohmann/json.hpp>

#include "CliText.h"
#include "common/Cp1252.h"
#include "context/AppContext.h"
#include "datafile/DataFile.h"
#include "datafile/LabelTable.h"
#include "eventlog/DecodeRecord.h"
#include "eventlog/EventLogFilter.h"
#include "eventlog/LogEntry.h"
#include "eventlog/LogFile.h"
#include "fields/PromImageBuilder.h"
#include "template/Form.h"

namespace loom::cli {

FieldStore systemValues(const Form& form, const FieldStore& fileValues) {
    FieldStore values = form.store();
    fileValues.forEach([&](const FieldRecord& r) {
        if (FieldRecord* field = values.find(r.address)) {
            field->value = r.value;
        } else {
            values.copyIn(r);
        }
    });
    return values;
}

bool loadSystemImage(AppContext& app, const Form& form, const std::filesystem::path& path,
                     PromImage& image) {
    DataFile data(app);
    if (!data.Read(path, true)) return false;
    image = PromImageBuilder::build(systemValues(form, data.Store()));
    return true;
}

void printLogEntries(std::ostream& out, AppContext& app, std::span<const std::string_view> lines,
                     const PromImage* image, const LogSearch* search, bool json) {
    nlohmann::ordered_json array = nlohmann::ordered_json::array();
    bool first = true;
    // The file stands oldest first; the window lists the newest first.
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        if (it->empty()) continue;
        const DecodedRecord decoded =
            DecodeRecord(LogFile::parseLine(*it), app.eventTexts(), image, app.labels());
        const LogEntry entry = LogEntry::fromDecoded(decoded);
        if (search && !search->matches(entry)) continue;
        if (json) {
            nlohmann::ordered_json item;
            item["text"] = cp1252ToUtf8(decoded.text);
            item["date"] = decoded.dateKey ? nlohmann::ordered_json(*decoded.dateKey)
                                           : nlohmann::ordered_json(nullptr);
            item["lines"] = nlohmann::ordered_json::array();
            for (const std::string& line : entry.lines)
                item["lines"].push_back(cp1252ToUtf8(line));
            item["color"] = entry.textColour.hex();
            item["background"] = entry.background.hex();
            array.push_back(std::move(item));
            continue;
        }
        if (!first) out << '\n';
        first = false;
        // Unit texts end in a bare line feed that the window keeps inside one line; on a
        // terminal it breaks the line as it reads. Other control characters stay escaped.
        for (const std::string& line : entry.lines) {
            std::string_view rest = line;
            while (!rest.empty()) {
                const std::size_t feed = rest.find('\n');
                out << escapeControls(cp1252ToUtf8(rest.substr(0, feed))) << '\n';
                if (feed == std::string_view::npos) break;
                rest.remove_prefix(feed + 1);
            }
        }
    }
    if (json) out << array.dump(2) << '\n';
}

}  // namespace loom::cli
