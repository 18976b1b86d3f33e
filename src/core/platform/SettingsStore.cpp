#include "platform/SettingsStore.h"

namespace loom {

// A value has one type, as in the native stores: writing it as the other type replaces
// it, and reading it as the other type yields the fallback.

std::string MemorySettingsStore::key(std::string_view section, std::string_view name) {
    std::string k(section);
    k.push_back('\0');
    k.append(name);
    return k;
}

std::string MemorySettingsStore::readString(std::string_view section, std::string_view name,
                                            std::string_view fallback) {
    const auto it = strings_.find(key(section, name));
    return it != strings_.end() ? it->second : std::string(fallback);
}

int MemorySettingsStore::readInt(std::string_view section, std::string_view name, int fallback) {
    const auto it = ints_.find(key(section, name));
    return it != ints_.end() ? it->second : fallback;
}

bool MemorySettingsStore::writeString(std::string_view section, std::string_view name,
                                      std::string_view value) {
    std::string k = key(section, name);
    ints_.erase(k);
    strings_.insert_or_assign(std::move(k), std::string(value));
    return true;
}

bool MemorySettingsStore::writeInt(std::string_view section, std::string_view name, int value) {
    std::string k = key(section, name);
    strings_.erase(k);
    ints_.insert_or_assign(std::move(k), value);
    return true;
}

}  // namespace loom
