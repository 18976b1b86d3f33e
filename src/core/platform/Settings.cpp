#include "platform/Settings.h"

#include <array>
#include <charconv>
#include <optional>

#include "common/Cp1252.h"
#include "common/Messages.h"

namespace loom {
namespace {

constexpr std::array<SettingDefinition, 13> kSettings = {{
    {setting::kComputerId, false, "", 0},
    {setting::kLocalPort, false, "COM2", 0},
    {setting::kRemotePort, false, "COM2", 0},
    {setting::kProduct, false, "", 0},
    {setting::kIpAddress, false, "", 0},
    {setting::kIpPort, false, "", 0},
    {setting::kLatestExport, false, "", 0},
    {setting::kColumn, true, "", 40},
    {setting::kMargin, true, "", 20},
    {setting::kFont0, false, "N,Y,Y,700,120,Arial", 0},
    {setting::kFont1, false, "Y,N,N,400,100,Arial", 0},
    {setting::kFont2, false, "N,N,N,400,90,Arial", 0},
    {setting::kPreviewPages, true, "", 0, "Settings"},
}};

std::optional<int> parseInteger(std::string_view text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

// A decimal number of 1 to `digits` digits, at most `max`.
bool decimalUpTo(std::string_view text, unsigned digits, unsigned max, unsigned& value) {
    if (text.empty() || text.size() > digits) return false;
    value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value <= max;
}

struct NamedRange {
    std::string_view name;
    IntegerRange range;
};
constexpr NamedRange kRanges[] = {
    {setting::kColumn, {20, 200}},
    {setting::kMargin, {0, 50}},
    {setting::kPreviewPages, {0, 2}},
};

std::string_view sectionOf(const SettingDefinition* d) {
    return d ? d->section : std::string_view();
}

SettingCheck accept(std::string_view value) {
    return {std::string(value), {}};
}
SettingCheck refuse(MessageId id, std::initializer_list<MessageArg> args) {
    return {std::nullopt, formatMessage(id, args)};
}

// The port lists offer COM1 to COM9; anything else must name the device itself.
bool isSerialPort(std::string_view text) {
    if (text.size() == 4 && text.substr(0, 3) == "COM") return text[3] >= '1' && text[3] <= '9';
    const bool device = text.starts_with('/') || text.starts_with("\\\\.\\");
    if (!device) return false;
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 0x20) return false;
    return true;
}

}  // namespace

std::string_view printFontSetting(PrintFont font) {
    switch (font) {
        case PrintFont::Heading:
            return setting::kFont0;
        case PrintFont::Subheading:
            return setting::kFont1;
        case PrintFont::Text:
            break;
    }
    return setting::kFont2;
}

std::optional<IntegerRange> integerRange(std::string_view name) {
    for (const NamedRange& r : kRanges)
        if (r.name == name) return r.range;
    return std::nullopt;
}

std::string filterComputerLetter(std::string_view text) {
    if (text.empty()) return {};
    const char c = cp1252Upper(text[0]);
    if (c < 'A' || c > 'Z') return {};
    return std::string(1, c);
}

bool isIpAddress(std::string_view text) {
    unsigned sum = 0;
    for (int part = 0; part < 4; ++part) {
        const std::size_t dot = text.find('.');
        if ((part < 3) == (dot == std::string_view::npos)) return false;
        unsigned value = 0;
        if (!decimalUpTo(text.substr(0, dot), 3, 255, value)) return false;
        sum += value;
        text = part < 3 ? text.substr(dot + 1) : std::string_view{};
    }
    return sum != 0;
}

bool isIpPort(std::string_view text) {
    unsigned value = 0;
    return decimalUpTo(text, 5, 65535, value) && value != 0;
}

bool isTcpIdCode(std::string_view text) {
    unsigned value = 0;
    return text.size() == 6 && decimalUpTo(text, 6, 999999, value);
}

SettingCheck checkSettingValue(std::string_view name, std::string_view value) {
    const SettingDefinition* d = findSetting(name);
    if (d && !d->isInteger && d->textDefault.empty() && value.empty()) return accept(value);
    if (const std::optional<IntegerRange> r = integerRange(name)) {
        const std::optional<int> number = parseInteger(value);
        if (!number || *number < r->low || *number > r->high)
            return refuse(MessageId::SettingOutOfRange,
                          {name, std::int64_t{r->low}, std::int64_t{r->high}});
        return accept(std::to_string(*number));
    }
    if (name == setting::kComputerId) {
        // The dialog's edit holds one character and shows a lower-case letter upper-cased.
        const std::string letter = filterComputerLetter(value);
        if (value.size() != 1 || letter.empty()) return refuse(MessageId::SettingComputerId, {});
        return accept(letter);
    }
    if (name == setting::kIpAddress && !isIpAddress(value))
        return refuse(MessageId::SettingIpAddress, {});
    if (name == setting::kIpPort && !isIpPort(value))
        return refuse(MessageId::SettingOutOfRange, {name, std::int64_t{1}, std::int64_t{65535}});
    if (name == setting::kProduct && value != "VT 340" && value != "Gridlan")
        return refuse(MessageId::SettingProduct, {});
    if ((name == setting::kLocalPort || name == setting::kRemotePort) && !isSerialPort(value))
        return refuse(MessageId::SettingSerialPort, {name});
    return accept(value);
}

std::span<const SettingDefinition> settingDefinitions() {
    return kSettings;
}

const SettingDefinition* findSetting(std::string_view name) {
    for (const SettingDefinition& d : kSettings)
        if (d.name == name) return &d;
    return nullptr;
}

// Names outside the table are passed through with an empty (or zero) default, so a caller
// is never refused; the type of a table setting decides how its value is stored.

std::string Settings::text(std::string_view name) const {
    const SettingDefinition* d = findSetting(name);
    if (d && d->isInteger)
        return std::to_string(store_.readInt(d->section, name, d->integerDefault));
    return store_.readString(sectionOf(d), name, d ? d->textDefault : std::string_view());
}

int Settings::integer(std::string_view name) const {
    const SettingDefinition* d = findSetting(name);
    if (!d || d->isInteger) return store_.readInt(sectionOf(d), name, d ? d->integerDefault : 0);
    return parseInteger(store_.readString(d->section, name, d->textDefault)).value_or(0);
}

bool Settings::setText(std::string_view name, std::string_view value) {
    const SettingDefinition* d = findSetting(name);
    if (d && d->isInteger) {
        const std::optional<int> number = parseInteger(value);
        return number && store_.writeInt(d->section, name, *number);
    }
    return store_.writeString(sectionOf(d), name, value);
}

bool Settings::setInteger(std::string_view name, int value) {
    const SettingDefinition* d = findSetting(name);
    if (d && !d->isInteger) return store_.writeString(d->section, name, std::to_string(value));
    return store_.writeInt(sectionOf(d), name, value);
}

}  // namespace loom
