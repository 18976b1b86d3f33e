#include "archive/IndexKey.h"

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

}  // namespace loom
