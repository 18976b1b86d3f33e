#pragma once

#include <optional>
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
// Pages side by side in the print preview: 1 or 2, 0 for the preview's own choice. Kept
// in the section "Settings", apart from the others.
inline constexpr std::string_view kPreviewPages = "PreviewPages";
}  // namespace setting

// The three printer fonts of "Utskriftsformat...", kept in "Font0" to "Font2".
enum class PrintFont { Heading = 0, Subheading = 1, Text = 2 };
std::string_view printFontSetting(PrintFont font);

struct SettingDefinition {
    std::string_view name;
    bool isInteger;
    std::string_view textDefault;   // for strings
    int integerDefault;             // for integers
    std::string_view section = {};  // empty for all but the print preview's value
};

// Every setting with its type and default, in the order of the settings table.
std::span<const SettingDefinition> settingDefinitions();
// The definition of `name` (exact, case-sensitive), or null for a name the program does
// not keep.
const SettingDefinition* findSetting(std::string_view name);

// The accepted range of an integer setting that has one ("Column", "Margin").
struct IntegerRange {
    int low;
    int high;
};
std::optional<IntegerRange> integerRange(std::string_view name);

// What a value typed for a setting comes to: the text to store (the computer letter
// upper-cased, as its dialog shows it), or the message (code page 1252) that says what the
// setting takes. Settings without a rule of their own take any text, integers any whole
// number; a setting whose default is empty may be emptied again.
struct SettingCheck {
    std::optional<std::string> stored;
    std::string refusal;
};
// `value` is code page 1252; an unknown name is taken as a text setting.
SettingCheck checkSettingValue(std::string_view name, std::string_view value);

// As the TCP/IP dialog takes them: four decimal numbers 0-255 (at most three digits each)
// separated by single dots, not all zero; a port of 1 to 5 digits, 1-65535.
bool isIpAddress(std::string_view text);
// The computer letter filter: the first character, upper-cased, kept only if A-Z.
std::string filterComputerLetter(std::string_view text);
bool isIpPort(std::string_view text);
// The panel's ID code as the TCP/IP dialog takes it: exactly six decimal digits.
bool isTcpIdCode(std::string_view text);

// Typed access with the defaults filled in, each value in its section.
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

    // The print settings: left margin and column width in mm, and the stored (possibly
    // invalid) description of each printer font; FontDescription reads it.
    int margin() const { return integer(setting::kMargin); }
    bool setMargin(int mm) { return setInteger(setting::kMargin, mm); }
    int column() const { return integer(setting::kColumn); }
    bool setColumn(int mm) { return setInteger(setting::kColumn, mm); }
    std::string printFont(PrintFont font) const { return text(printFontSetting(font)); }
    bool setPrintFont(PrintFont font, std::string_view description) {
        return setText(printFontSetting(font), description);
    }

    SettingsStore& store() { return store_; }

  private:
    SettingsStore& store_;
};

}  // namespace loom
