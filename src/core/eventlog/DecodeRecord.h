#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "eventlog/LogColour.h"
#include "eventlog/LogRecord.h"

namespace loom {

class EventTexts;
class LabelTable;
class PromImage;

struct DecodedRecord {
    std::string text;  // code page 1252, lines ended by CR LF
    // year * 10000 + month * 100 + day from the record's date step, when it had a valid
    // date.
    std::optional<std::uint32_t> dateKey;
    LogColour textColour = LogColour::black();
    LogColour background = LogColour::white();
};

// Decoding step tags of a template's event texts.
namespace logtag {
inline constexpr std::uint8_t kText = 0x16;
inline constexpr std::uint8_t kDate = 0x17;
inline constexpr std::uint8_t kByte = 0x18;
inline constexpr std::uint8_t kZeroBits = 0x19;
inline constexpr std::uint8_t kLineUnit = 0x1A;
inline constexpr std::uint8_t kSectionLocation = 0x1B;
inline constexpr std::uint8_t kPowerUnit = 0x1C;
inline constexpr std::uint8_t kLabel = 0x1E;
inline constexpr std::uint8_t kColour = 0x20;
inline constexpr std::uint8_t kPromText = 0x21;
inline constexpr std::uint8_t kAreas = 0x22;
inline constexpr std::uint8_t kLarm200 = 0x23;
inline constexpr std::uint8_t kIfPosition = 0x24;
inline constexpr std::uint8_t kSections = 0x25;
inline constexpr std::uint8_t kCentralUnit = 0x26;
inline constexpr std::uint8_t kSecondSections = 0x27;
inline constexpr std::uint8_t kSabotage = 0x28;
inline constexpr std::uint8_t kSecondSabotage = 0x29;
}  // namespace logtag

// Turns one record into the Swedish text of the event log: the steps the template lists
// for the record's event code, or a built-in text for codes 0x2B, 0x2C, 0x2E and 0x2F,
// or "Händelsefunktion: 0xNN". Names of areas and units come from `image` (none: only
// the numbers), user names from `labels`.
//
// Every record byte a step names beyond offset 15 reads as 0xFF (erased), and every
// PROM address computed from record bytes is read through the image, so that no table
// and no record can make decoding read outside them.
//
// Dates are taken as the panel wrote them, in a calendar without time zones or summer
// time, 64-bit so that years past 2037 get their right weekday. A day past the end of its
// month carries over into the next month as the platform's local time conversion would
// (31 February 2009 shows as Tuesday 3 March), and the date key follows the date shown.
DecodedRecord DecodeRecord(const LogRecord& record, const EventTexts& table, const PromImage* image,
                           const LabelTable& labels);

}  // namespace loom
