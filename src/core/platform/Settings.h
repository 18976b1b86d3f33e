#pragma once

#include <span>
#include <string>
#include <string_view>

#include "platform/SettingsStore.h"

namespace loom {

// The program's persisted settings: names, types and defaults. Other code reads and
// writes them only through these names.
namespace setting {
inline constexpr std::string_view kComputerId = "ComputerID";
inline constexpr std::string_view kLocalPort = "LocalPort";
inline constexpr std::string_view kRemotePort = "RemotePort";
inline constexpr std::string_view kProduct = "Produkt";
inline constexpr std::string_view kIpAddress = "IP-ADDR";
inline constexpr std::string_view kIpPort = "IP-PORT";
inline constexpr std::string_view kLatestExport = "LatestExport";
inline constexpr std::string_view kColumn = "Column";
inline constexpr std::string_view kMargin = "Margin";
inline constexpr std::string_view kFont0 = "Font0";
inline constexpr std::string_view kFont1 = "Font1";
inline constexpr std::string_view kFont2 = "Font2";
}  // namespace setting

struct SettingDefinition {
    std::string_view name;
    bool isInteger;
    std::string_view textDefault;  // for strings
    int integerDefault;            // for integers
};

// Every setting with its type and default, in the order of the settings table.
std::span<const SettingDefinition> settingDefinitions();
// The definition of `name` (exact, case-sensitive), or null for a name the program does
// not keep.
const SettingDefinition* findSetting(std::string_view name);

// Typed access with the defaults filled in; always the empty section.
class Settings {
  public:
    explicit Settings(SettingsStore& store) : store_(store) {}

    // A setting of the table read with its own default (integers as decimal text).
    std::string text(std::string_view name) const;
    int integer(std::string_view name) const;
    bool setText(std::string_view name, std::string_view value);
    bool setInteger(std::string_view name, int value);

    std::string computerId() const { return text(setting::kComputerId); }
    bool setComputerId(std::string_view letter) { return setText(setting::kComputerId, letter); }

    SettingsStore& store() { return store_; }

  private:
    SettingsStore& store_;
};

}  // namespace loom
