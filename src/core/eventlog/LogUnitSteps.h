#pragma once

#include <cstdint>
#include <string>

namespace loom {

class LogNameTables;
struct LogRecord;

// The decoding steps that name places on the panel's lines: units, sections, tamper
// inputs, power faults and areas, from the record's bytes at the step's offset `p`, with
// the names the PROM image gives them. Appends to the record's text.
class LogUnitSteps {
  public:
    LogUnitSteps(const LogRecord& record, const LogNameTables& names, std::string& out)
        : record_(record), names_(names), out_(out) {}

    void lineUnit(std::uint64_t p);
    void sectionLocation(std::uint64_t p);
    // The location the built-in texts show.
    void location(std::uint64_t p);
    void powerUnit(std::uint64_t p);
    void areas(std::uint64_t p);
    // Tag 0x25, or with `sabotage` tag 0x28: the sections (or tamper inputs) of a unit.
    void sections(std::uint64_t p, bool sabotage);
    void centralUnit(std::uint64_t p);
    // Tag 0x27, or with `sabotage` tag 0x29: the same for a unit of the second kind.
    void secondSections(std::uint64_t p, bool sabotage);

  private:
    std::uint8_t at(std::uint64_t offset) const;
    void onesOf(unsigned b);
    void unitNumber(unsigned unit);
    void secondUnitTail(unsigned line, unsigned unit, unsigned bit);

    const LogRecord& record_;
    const LogNameTables& names_;
    std::string& out_;
};

}  // namespace loom
