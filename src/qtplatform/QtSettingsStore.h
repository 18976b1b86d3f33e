#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/SettingsStore.h"

class QSettings;

namespace loom {

// The program's settings in the platform's native store: on Windows the registry key
// HKEY_CURRENT_USER\Software\Harvik\Loomcraft, on Linux an INI file in the user's
// configuration folder (Harvik/Loomcraft.conf). Values of the empty section sit directly
// in the key; another section is a subkey (an INI group). Strings keep their text, integers
// are stored as integers; every write is flushed to the store before it returns.
class QtSettingsStore final : public SettingsStore {
  public:
    QtSettingsStore();
    // An INI file at `iniFile` (UTF-8 path) instead of the native store.
    explicit QtSettingsStore(const std::string& iniFile);
    ~QtSettingsStore() override;
    QtSettingsStore(const QtSettingsStore&) = delete;
    QtSettingsStore& operator=(const QtSettingsStore&) = delete;

    std::string readString(std::string_view section, std::string_view name,
                           std::string_view fallback) override;
    // A value that is not a whole number in the range of int yields `fallback`.
    int readInt(std::string_view section, std::string_view name, int fallback) override;
    bool writeString(std::string_view section, std::string_view name,
                     std::string_view value) override;
    bool writeInt(std::string_view section, std::string_view name, int value) override;

  private:
    std::unique_ptr<QSettings> settings_;
};

// The settings store for a running program: an INI file when the environment variable
// LOOMCRAFT_SETTINGS names one (tests, demonstrations and portable installs keep their
// settings beside them that way), else the native store of the user.
std::unique_ptr<SettingsStore> openProgramSettings();

}  // namespace loom
