#include "eventlog/LogUnitSteps.h"

#include <array>
#include <string_view>

#include "eventlog/LogNameTables.h"
#include "eventlog/LogRecord.h"
#include "eventlog/LogTextOutput.h"

namespace loom {
namespace {

using namespace logtext;

// Texts in code page 1252.
constexpr std::string_view kAreas =
    "Omr\xE5"
    "de:";
constexpr std::array<std::string_view, 4> kPowerFaults = {"SABOTAGE ", "SP\xC4NNING ", "N\xC4TFEL ",
                                                          "BATTERIFEL "};
constexpr std::array<std::string_view, 7> kCentralFaults = {
    "Sabotagekontakt ",   "Sp\xE4nning/s\xE4kring ", "N\xE4tfel ",   "Batterifel kort",
    "Batterifel l\xE5ng", "Likriktare/PSfel ",       "Nyinkoppling "};

}  // namespace

std::uint8_t LogUnitSteps::at(std::uint64_t offset) const {
    return record_.at(offset);
}

void LogUnitSteps::lineUnit(std::uint64_t p) {
    const unsigned a = at(p);
    const unsigned b = at(p + 1);
    out_ += "Linje";
    put(out_, (a >> 6) + 1);
    out_ += ' ';
    out_ += bitSet(b, 4) ? "MP " : "UC ";
    out_ += ' ';
    put(out_, (a & 15u) + 1);
}

void LogUnitSteps::sectionLocation(std::uint64_t p) {
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

void LogUnitSteps::location(std::uint64_t p) {
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

void LogUnitSteps::powerUnit(std::uint64_t p) {
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

void LogUnitSteps::areas(std::uint64_t p) {
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

void LogUnitSteps::sections(std::uint64_t p, bool sabotage) {
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

void LogUnitSteps::centralUnit(std::uint64_t p) {
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

void LogUnitSteps::secondSections(std::uint64_t p, bool sabotage) {
    const unsigned a = at(p);
    const unsigned b = at(p + 1);
    const unsigned line = (a >> 4) & 3u;
    const unsigned unit = a & 15u;
    for (unsigned i = 0; i < 8; ++i) {
        if (!bitSet(b, i)) continue;
        out_ += sabotage       ? "Sabotage S"
                : i == 7       ? "Hotkod"
                : bitSet(a, 3) ? "Sabotage S"
                               : "Sektion ";
        secondUnitTail(line, unit, i);
    }
}

void LogUnitSteps::onesOf(unsigned b) {
    for (unsigned k = 0; k < 8; ++k) {
        if (!bitSet(b, k)) continue;
        put(out_, k + 1);
        out_ += ' ';
    }
}

void LogUnitSteps::unitNumber(unsigned unit) {
    if (unit < 9) out_ += '0';
    put(out_, unit);
}

void LogUnitSteps::secondUnitTail(unsigned line, unsigned unit, unsigned bit) {
    put(out_, line + 1);
    put(out_, unit + 21);
    put(out_, bit + 1);
    out_ += ':';
    out_ += names_.secondUnitText(line, unit, bit);
    out_ += '\n';
}

}  // namespace loom
