#include "archive/IndexKey.h"

#include <string>

#include "platform/FileSystem.h"
#include "platform/ProgramDirectory.h"

namespace loom {

bool isSafeIndexKey(std::string_view key) {
    constexpr std::size_t kMaxKey = 255;
    if (key.empty() || key.size() > kMaxKey) return false;
    if (key.find("..") != std::string_view::npos) return false;
    for (const char c : key) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '/' || c == '\\' || c == ':') return false;
    }
    return true;
}

std::filesystem::path dataFilePath(const std::filesystem::path& folder, std::string_view key) {
    std::string name(key);
    name += ProgramDirectory::kDataExtension;
    return folder / pathFromText(name);
}

}  // namespace loom
