#pragma once

#include <map>
#include <string>
#include <string_view>

namespace loom {

// The per-user settings of the program: one key, string and integer values, read and
// written with an empty section name. Texts are code page 1252. The program's store sits
// outside the core (over the platform's native settings); tests use MemorySettingsStore.
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;

    // An absent or unreadable value yields `fallback`.
    virtual std::string readString(std::string_view section, std::string_view name,
                                   std::string_view fallback) = 0;
    virtual int readInt(std::string_view section, std::string_view name, int fallback) = 0;
    virtual bool writeString(std::string_view section, std::string_view name,
                             std::string_view value) = 0;
    virtual bool writeInt(std::string_view section, std::string_view name, int value) = 0;
};

// Settings kept in memory for one run: tests, and callers that must not touch the user's.
class MemorySettingsStore final : public SettingsStore {
  public:
    std::string readString(std::string_view section, std::string_view name,
                           std::string_view fallback) override;
    int readInt(std::string_view section, std::string_view name, int fallback) override;
    bool writeString(std::string_view section, std::string_view name,
                     std::string_view value) override;
    bool writeInt(std::string_view section, std::string_view name, int value) override;

  private:
    static std::string key(std::string_view section, std::string_view name);
    std::map<std::string, std::string, std::less<>> strings_;
    std::map<std::string, int, std::less<>> ints_;
};

}  // namespace loom
