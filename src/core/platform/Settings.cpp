#include "platform/Settings.h"

#include <array>
#include <charconv>
#include <optional>

namespace loom {
namespace {

constexpr std::array<SettingDefinition, 12> kSettings = {{
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
}};

std::optional<int> parseInteger(std::string_view text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

}  // namespace

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
    if (d && d->isInteger) return std::to_string(store_.readInt("", name, d->integerDefault));
    return store_.readString("", name, d ? d->textDefault : std::string_view());
}

int Settings::integer(std::string_view name) const {
    const SettingDefinition* d = findSetting(name);
    if (!d || d->isInteger) return store_.readInt("", name, d ? d->integerDefault : 0);
    return parseInteger(store_.readString("", name, d->textDefault)).value_or(0);
}

bool Settings::setText(std::string_view name, std::string_view value) {
    const SettingDefinition* d = findSetting(name);
    if (d && d->isInteger) {
        const std::optional<int> number = parseInteger(value);
        return number && store_.writeInt("", name, *number);
    }
    return store_.writeString("", name, value);
}

bool Settings::setInteger(std::string_view name, int value) {
    const SettingDefinition* d = findSetting(name);
    if (d && !d->isInteger) return store_.writeString("", name, std::to_string(value));
    return store_.writeInt("", name, value);
}

}  // namespace loom
