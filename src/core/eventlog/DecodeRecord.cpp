#include "eventlog/DecodeRecord.h"

#include <array>
#include <charconv>
#include <string_view>

#include "common/Calendar.h"
#include "common/HexDigits.h"
#include "datafile/LabelTable.h"
#include "eventlog/LogNameTables.h"
#include "eventlog/LogParameter.h"
#include "eventlog/LogTextOutput.h"
#include "eventlog/LogUnitSteps.h"
#include "eventlog/PromText.h"
#include "template/EventTexts.h"

namespace loom {
namespace {

using namespace logtext;

// Texts in code page 1252.
constexpr std::string_view kUnknownEvent = "H\xE4ndelsefunktion: 0x";
constexpr std::string_view kInvalidDate = "Ogiltigt datum: ";
constexpr std::string_view kUser = "\r\nAnv\xE4ndare: ";

// "RRGGBB:RRGGBB": text colour, background colour.
bool parseColours(std::string_view text, LogColour& fore, LogColour& back) {
    if (text.size() != 13 || text[6] != ':') return false;
    std::array<std::uint8_t, 6> c{};
    for (std::size_t k = 0; k < c.size(); ++k) {
        const std::size_t at = k * 2 + (k >= 3 ? 1 : 0);
        const int high = hexDigitValue(text[at]);
        const int low = hexDigitValue(text[at + 1]);
        if (high < 0 || low < 0) return false;
        c[k] = static_cast<std::uint8_t>(high * 16 + low);
    }
    fore = {c[0], c[1], c[2]};
    back = {c[3], c[4], c[5]};
    return true;
}

class Decoder {
  public:
    Decoder(const LogRecord& record, const PromImage* image, const LabelTable& labels,
            DecodedRecord& result)
        : record_(record),
          names_(image),
          labels_(labels),
          result_(result),
          out_(result.text),
          units_(record, names_, result.text) {}

    void step(std::uint8_t tag, std::string_view parameter) {
        switch (tag) {
            case logtag::kText:
                text(parameter);
                break;
            case logtag::kDate:
                date(ParseSingleNumber(parameter));
                break;
            case logtag::kByte:
                put(out_, at(ParseSingleNumber(parameter)));
                break;
            case logtag::kZeroBits:
                zeroBits(parameter);
                break;
            case logtag::kLineUnit:
                units_.lineUnit(ParseSingleNumber(parameter));
                break;
            case logtag::kSectionLocation:
                units_.sectionLocation(ParseSingleNumber(parameter));
                break;
            case logtag::kPowerUnit:
                units_.powerUnit(ParseSingleNumber(parameter));
                break;
            case logtag::kLabel:
                label(ParseSingleNumber(parameter));
                break;
            case logtag::kColour:
                parseColours(parameter, result_.textColour, result_.background);
                break;
            case logtag::kPromText:
                promText(parameter);
                break;
            case logtag::kAreas:
                units_.areas(ParseSingleNumber(parameter));
                break;
            case logtag::kLarm200:
                out_ += "logLarm200()";
                break;
            case logtag::kIfPosition:
                ifPosition(parameter);
                break;
            case logtag::kSections:
                units_.sections(ParseSingleNumber(parameter), false);
                break;
            case logtag::kCentralUnit:
                units_.centralUnit(ParseSingleNumber(parameter));
                break;
            case logtag::kSecondSections:
                units_.secondSections(ParseSingleNumber(parameter), false);
                break;
            case logtag::kSabotage:
                units_.sections(ParseSingleNumber(parameter), true);
                break;
            case logtag::kSecondSabotage:
                units_.secondSections(ParseSingleNumber(parameter), true);
                break;
            default:
                break;
        }
    }

    void builtIn(std::uint8_t code) {
        switch (code) {
            case 0x2C:
                out_ += "Larm\r\n";
                date(1);
                out_ += "\r\n";
                units_.location(8);
                break;
            case 0x2B:
                out_ += "Aut. bortk. av sektion\r\n";
                date(1);
                for (std::uint64_t p : {8, 10, 12, 14}) {
                    out_ += "\r\n";
                    units_.location(p);
                }
                break;
            case 0x2E:
            case 0x2F:
                out_ += code == 0x2E ? "Man. bortk. av sektion\r\n" : "Man. tillk. av sektion\r\n";
                date(1);
                out_ += kUser;
                label(7);
                out_ += "\r\n";
                units_.location(14);
                break;
            default:
                out_ += kUnknownEvent;
                out_.push_back(hexDigitChar(code >> 4u));
                out_.push_back(hexDigitChar(code));
                break;
        }
    }

  private:
    std::uint8_t at(std::uint64_t offset) const { return record_.at(offset); }

    void text(std::string_view parameter) {
        for (char c : parameter) {
            if (c == '\n') out_ += '\r';
            out_ += c;
        }
    }

    void date(std::uint64_t p) {
        const int second = at(p);
        const int minute = at(p + 1);
        const int hour = at(p + 2);
        const int day = at(p + 3);
        const int month = at(p + 4);
        const int year = at(p + 5);
        if (second >= 60 || minute >= 60 || hour >= 24 || day < 1 || day > 31 || month < 1 ||
            month > 12) {
            out_ += kInvalidDate;
            put(out_, year);
            out_ += '-';
            put(out_, month);
            out_ += '-';
            put(out_, day);
            out_ += ' ';
            put(out_, hour);
            out_ += ':';
            put(out_, minute);
            out_ += '.';
            put(out_, second);
            return;
        }
        const CivilTime t = normalized({2000 + year, month, day, hour, minute, second});
        out_ += swedishWeekdayName(weekdayOf(t.year, t.month, t.day));
        out_ += ", ";
        put(out_, t.day);
        out_ += ' ';
        out_ += swedishMonthName(t.month);
        out_ += ' ';
        put(out_, t.year);
        out_ += ", ";
        putTwoDigits(out_, t.hour);
        out_ += ':';
        putTwoDigits(out_, t.minute);
        out_ += '.';
        putTwoDigits(out_, t.second);
        result_.dateKey = static_cast<std::uint32_t>(t.year * 10000 + t.month * 100 + t.day);
    }

    // "p" or "p:n": the number (from 1) of every 0 bit of n bytes from p.
    void zeroBits(std::string_view parameter) {
        const std::size_t colon = parameter.find(':');
        const std::uint64_t p = ParseSingleNumber(parameter.substr(0, colon));
        const std::uint64_t n =
            colon == std::string_view::npos ? 1 : ParseSingleNumber(parameter.substr(colon + 1));
        // Bytes past the record read as 0xFF and have no 0 bits.
        for (std::uint64_t j = 0; j < n && p + j < LogRecord::kSize; ++j) {
            const unsigned byte = at(p + j);
            for (unsigned k = 0; k < 8; ++k)
                if (!bitSet(byte, k)) put(out_, static_cast<std::int64_t>(j * 8 + k + 1));
        }
    }

    void label(std::uint64_t p) {
        const std::uint8_t index = at(p);
        if (index < LabelTable::kSize && !labels_.text(index).empty()) {
            out_ += labels_.text(index);
        } else {
            put(out_, index);
        }
    }

    // offset, base, stride, length: the PROM text at base + stride x record[offset].
    void promText(std::string_view parameter) {
        LogNumberReader reader(parameter);
        std::uint32_t offset = 0, base = 0, stride = 0, length = 0;
        if (!reader.next(offset) || !reader.next(base) || !reader.next(stride) ||
            !reader.next(length)) {
            out_ += "logGetText(";
            out_ += parameter;
            out_ += ')';
            return;
        }
        if (!names_.available()) return;
        const std::uint64_t address = std::uint64_t{base} + std::uint64_t{stride} * at(offset);
        out_ += ReadPromText(*names_.image(), address, length);
    }

    // offset, value, text: the text when record[offset] equals value.
    void ifPosition(std::string_view parameter) {
        LogNumberReader reader(parameter);
        std::uint32_t offset = 0, value = 0;
        if (!reader.next(offset) || !reader.next(value)) {
            out_ += "logIfPosition(";
            out_ += parameter;
            out_ += ')';
            return;
        }
        if (at(offset) == value) out_ += reader.rest();
    }

    const LogRecord& record_;
    LogNameTables names_;
    const LabelTable& labels_;
    DecodedRecord& result_;
    std::string& out_;
    LogUnitSteps units_;
};

}  // namespace

DecodedRecord DecodeRecord(const LogRecord& record, const EventTexts& table, const PromImage* image,
                           const LabelTable& labels) {
    DecodedRecord result;
    Decoder decoder(record, image, labels, result);
    if (const std::vector<EventText>* steps = table.find(record.code())) {
        for (const EventText& s : *steps)
            decoder.step(s.tag, s.text);
    } else {
        decoder.builtIn(record.code());
    }
    return result;
}

}  // namespace loom
