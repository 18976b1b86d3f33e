#include "eventlog/DecodeRecord.h"

#include <array>
#include <charconv>
#include <string_view>

#include "common/Calendar.h"
#include "common/HexDigits.h"
#include "datafile/LabelTable.h"
#include "eventlog/LogNameTables.h"
#include "eventlog/LogParameter.h"
#include "eventlog/PromText.h"
#include "template/EventTexts.h"

namespace loom {
namespace {

// Texts in code page 1252.
constexpr std::string_view kUnknownEvent = "H\xE4ndelsefunktion: 0x";
constexpr std::string_view kInvalidDate = "Ogiltigt datum: ";
constexpr std::string_view kAreas =
    "Omr\xE5"
    "de:";
constexpr std::string_view kUser = "\r\nAnv\xE4ndare: ";
constexpr std::array<std::string_view, 4> kPowerFaults = {"SABOTAGE ", "SP\xC4NNING ", "N\xC4TFEL ",
                                                          "BATTERIFEL "};
constexpr std::array<std::string_view, 7> kCentralFaults = {
    "Sabotagekontakt ",   "Sp\xE4nning/s\xE4kring ", "N\xE4tfel ",   "Batterifel kort",
    "Batterifel l\xE5ng", "Likriktare/PSfel ",       "Nyinkoppling "};

void put(std::string& out, std::int64_t value) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, r.ptr);
}

void putTwoDigits(std::string& out, int value) {
    out.push_back(static_cast<char>('0' + value / 10 % 10));
    out.push_back(static_cast<char>('0' + value % 10));
}

void trimTrailingBlanks(std::string& out, std::size_t from) {
    while (out.size() > from && out.back() == ' ')
        out.pop_back();
}

void trimLeadingBlanks(std::string& out, std::size_t from) {
    std::size_t end = from;
    while (end < out.size() && out[end] == ' ')
        ++end;
    out.erase(from, end - from);
}

bool bitSet(unsigned value, unsigned bit) {
    return ((value >> bit) & 1u) != 0;
}

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
        : record_(record), names_(image), labels_(labels), result_(result), out_(result.text) {}

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
                lineUnit(ParseSingleNumber(parameter));
                break;
            case logtag::kSectionLocation:
                sectionLocation(ParseSingleNumber(parameter));
                break;
            case logtag::kPowerUnit:
                powerUnit(ParseSingleNumber(parameter));
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
                areas(ParseSingleNumber(parameter));
                break;
            case logtag::kLarm200:
                out_ += "logLarm200()";
                break;
            case logtag::kIfPosition:
                ifPosition(parameter);
                break;
            case logtag::kSections:
                sections(ParseSingleNumber(parameter), false);
                break;
            case logtag::kCentralUnit:
                centralUnit(ParseSingleNumber(parameter));
                break;
            case logtag::kSecondSections:
                secondSections(ParseSingleNumber(parameter));
                break;
            case logtag::kSabotage:
                sections(ParseSingleNumber(parameter), true);
                break;
            case logtag::kSecondSabotage:
                secondSabotage(ParseSingleNumber(parameter));
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
                location(8);
                break;
            case 0x2B:
                out_ += "Aut. bortk. av sektion\r\n";
                date(1);
                for (std::uint64_t p : {8, 10, 12, 14}) {
                    out_ += "\r\n";
                    location(p);
                }
                break;
            case 0x2E:
            case 0x2F:
                out_ += code == 0x2E ? "Man. bortk. av sektion\r\n" : "Man. tillk. av sektion\r\n";
                date(1);
                out_ += kUser;
                label(7);
                out_ += "\r\n";
                location(14);
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

    void lineUnit(std::uint64_t p) {
        const unsigned a = at(p);
        const unsigned b = at(p + 1);
        out_ += "Linje";
        put(out_, (a >> 6) + 1);
        out_ += ' ';
        out_ += bitSet(b, 4) ? "MP " : "UC ";
        out_ += ' ';
        put(out_, (a & 15u) + 1);
    }

    void onesOf(unsigned b) {
        for (unsigned k = 0; k < 8; ++k) {
            if (!bitSet(b, k)) continue;
            put(out_, k + 1);
            out_ += ' ';
        }
    }

    void sectionLocation(std::uint64_t p) {
        const unsigned a = at(p);
        const unsigned b = at(p + 1);
        if (record_.allErased() || b == 0) return;
        out_ += "Linje ";
        if (bitSet(a, 7)) {
            put(out_, ((a & 0x7Fu) >> 4) + 1);
            out_ += ", UC ";
            put(out_, (a & 15u) + 1);
            out_ += ", S ";
        } else {
            put(out_, (a >> 5) + 1);
            out_ += ", UC ";
            put(out_, ((a >> 1) & 15u) + 1);
            out_ += bitSet(a, 0) ? ", T " : ", G ";
        }
        onesOf(b);
    }

    // The location the built-in texts show.
    void location(std::uint64_t p) {
        const unsigned a = at(p);
        const unsigned b = at(p + 1);
        if (record_.allErased() || b == 0) return;
        out_ += "Linje ";
        put(out_, ((a >> 4) & 3u) + 1);
        out_ += ", MP ";
        put(out_, (a & 15u) + 1);
        out_ += bitSet(a, 7) ? ", S " : ", G ";
        onesOf(b);
    }

    void powerUnit(std::uint64_t p) {
        const unsigned a = at(p);
        const unsigned b = at(p + 1);
        const bool panel = at(p + 2) != 0;
        const std::string_view kind = panel ? "MP" : "UC";
        const unsigned line = panel ? (a >> 2) + 1 : (a >> 3) + 1;
        const unsigned first = panel ? (a & 3u) * 2 + 1 : (a & 7u) * 2 + 1;
        for (unsigned half = 0; half < 2; ++half) {
            const unsigned faults = (b >> (half * 4)) & 15u;
            if (faults == 0) continue;
            out_ += "Linje";
            put(out_, line);
            out_ += ", ";
            out_ += kind;
            out_ += ' ';
            put(out_, first + half);
            out_ += ": ";
            for (unsigned k = 0; k < 4; ++k)
                if (bitSet(faults, k)) out_ += kPowerFaults[k];
            if (half == 0) out_ += "\r\n";
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

    void areas(std::uint64_t p) {
        const std::size_t start = out_.size();
        out_ += kAreas;
        for (unsigned j = 0; j < 8; ++j) {
            const unsigned byte = at(p + j);
            for (unsigned k = 0; k < 8; ++k) {
                if (bitSet(byte, k)) continue;
                const unsigned area = j * 8 + k + 1;
                out_ += ' ';
                put(out_, area);
                out_ += ": ";
                out_ += names_.areaName(area);
            }
        }
        trimTrailingBlanks(out_, start);
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

    void unitNumber(unsigned unit) {
        if (unit < 9) out_ += '0';
        put(out_, unit);
    }

    // Tag 0x25, or with `sabotage` tag 0x28: the sections (or tamper inputs) of a unit.
    void sections(std::uint64_t p, bool sabotage) {
        const unsigned a = at(p);
        const unsigned b = at(p + 1);
        const std::size_t start = out_.size();
        for (unsigned i = 0; i < 8; ++i) {
            if (!bitSet(b, i)) continue;
            unsigned line = 0, unit = 0, half = 0;
            if (sabotage || bitSet(a, 7)) {
                line = (a >> 4) & 3u;
                unit = a & 15u;
                out_ += "Sabotage S";
                put(out_, line + 1);
            } else {
                line = (a >> 5) & 3u;
                unit = (a >> 1) & 15u;
                half = a & 1u;
                out_ += "Sektion ";
                put(out_, line + (half == 0 ? 1 : 5));
            }
            unitNumber(unit + 1);
            put(out_, i + 1);
            out_ += sabotage ? ":" : ": ";
            out_ += names_.unitText(line, unit, i, half);
            out_ += '\n';
        }
        trimLeadingBlanks(out_, start);
    }

    void centralUnit(std::uint64_t p) {
        const unsigned a = at(p);
        const unsigned b = at(p + 1);
        const unsigned line = ((a >> 4) & 3u) + 1;
        const unsigned unit = (a & 15u) + 1;
        const bool panel = bitSet(b, 0);
        unsigned fault = 0;
        for (unsigned k = 0; k < kCentralFaults.size(); ++k) {
            if (!bitSet(b, k)) continue;
            out_ += kCentralFaults[k];
            fault = k + 1;
        }
        if (panel) {
            out_ += "Man\xF6verPanel Linje";
            put(out_, line);
            out_ += " MP";
            put(out_, unit);
        } else if (line == 1 && unit == 1) {
            out_ += "Centralapparat";
        } else {
            out_ += "UnderCentral Linje";
            put(out_, line);
            out_ += " UC";
            put(out_, unit);
        }
        out_ += panel ? " S" : " T";
        put(out_, line);
        put(out_, unit + (panel ? 60 : 40));
        put(out_, fault);
    }

    void secondSections(std::uint64_t p) {
        const unsigned a = at(p);
        const unsigned b = at(p + 1);
        const unsigned line = (a >> 4) & 3u;
        const unsigned unit = a & 15u;
        for (unsigned i = 0; i < 8; ++i) {
            if (!bitSet(b, i)) continue;
            out_ += i == 7 ? "Hotkod" : bitSet(a, 3) ? "Sabotage S" : "Sektion ";
            secondUnitTail(line, unit, i);
        }
    }

    void secondSabotage(std::uint64_t p) {
        const unsigned a = at(p);
        const unsigned b = at(p + 1);
        const unsigned line = (a >> 4) & 3u;
        const unsigned unit = a & 15u;
        for (unsigned i = 0; i < 8; ++i) {
            if (!bitSet(b, i)) continue;
            out_ += "Sabotage S";
            secondUnitTail(line, unit, i);
        }
    }

    void secondUnitTail(unsigned line, unsigned unit, unsigned bit) {
        put(out_, line + 1);
        put(out_, unit + 21);
        put(out_, bit + 1);
        out_ += ':';
        out_ += names_.secondUnitText(line, unit, bit);
        out_ += '\n';
    }

    const LogRecord& record_;
    LogNameTables names_;
    const LabelTable& labels_;
    DecodedRecord& result_;
    std::string& out_;
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
