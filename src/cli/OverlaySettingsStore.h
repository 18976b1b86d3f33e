#pragma once

#include <map>
#include <string>
#include <string_view>

#include "platform/SettingsStore.h"

namespace loom::cli {

// The user's settings with a few values replaced for one command: a port named on the
// command line is used for this run without being stored as the user's choice. Values
// set here are read back from here; everything else goes to the user's settings.
class OverlaySettingsStore final : public SettingsStore {
  public:
    explicit OverlaySettingsStore(SettingsStore& base) : base_(base) {}

    SettingsStore& base() { return base_; }

    void replace(std::string_view name, std::string value) {
        strings_.insert_or_assign(std::string(name), std::move(value));
    }

    std::string readString(std::string_view section, std::string_view name,
                           std::string_view fallback) override {
        if (section.empty())
            if (auto it = strings_.find(name); it != strings_.end()) return it->second;
        return base_.readString(section, name, fallback);
    }
    int readInt(std::string_view section, std::string_view name, int fallback) override {
        return base_.readInt(section, name, fallback);
    }
    bool writeString(std::string_view section, std::string_view name,
                     std::string_view value) override {
        if (section.empty())
            if (auto it = strings_.find(name); it != strings_.end()) {
                it->second = value;
                return true;
            }
        return base_.writeString(section, name, value);
    }
    bool writeInt(std::string_view section, std::string_view name, int value) override {
        return base_.writeInt(section, name, value);
    }

  private:
    SettingsStore& base_;
    std::map<std::string, std::string, std::less<>> strings_;
};

}  // namespace loom::cli
