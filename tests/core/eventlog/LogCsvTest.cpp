#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/Cp1252.h"
#include "eventlog/LogCsv.h"

namespace loom {
namespace {

LogEntry entry(std::uint32_t date, const std::vector<std::string>& utf8Lines,
               LogColour text = LogColour::black(), LogColour background = LogColour::white()) {
    LogEntry e;
    e.dateKey = date;
    e.textColour = text;
    e.background = background;
    for (const std::string& line : utf8Lines)
        e.lines.push_back(utf8ToCp1252(line));
    return e;
}

const std::vector<LogEntry> kEntries = {
    entry(20090615, {"Tillkoppling", "Måndag, 15 juni 2009, 14:45.30", "Användare: Åsa"}),
    entry(0, {"Händelsefunktion: 0x05"}),
    // A unit text ends in a line feed; a name may hold the separator and quotes.
    entry(20891231, {"Inbrottslarm", "Sektion 0101: Hall \"A\";\nSektion 0102: Kök\n"},
          {0xFF, 0xFF, 0xFF}, {0xC0, 0x00, 0x0A})};

TEST(LogCsv, ShownEntriesInListOrderAsUtf8WithQuotedFields) {
    const std::size_t shown[] = {2, 0, 1};
    EXPECT_EQ(LogCsv::text(kEntries, shown),
              "\xEF\xBB\xBF"
              "Datum;Händelse;Text;Textfärg;Bakgrundsfärg\r\n"
              "2089-12-31;Inbrottslarm;\"Sektion 0101: Hall \"\"A\"\"; / Sektion 0102: Kök\";"
              "#FFFFFF;#C0000A\r\n"
              "2009-06-15;Tillkoppling;\"Måndag, 15 juni 2009, 14:45.30 / Användare: Åsa\";"
              "#000000;#FFFFFF\r\n"
              ";Händelsefunktion: 0x05;;#000000;#FFFFFF\r\n");
}

}  // namespace
}  // namespace loom
