#include "template/BitmapCache.h"

#include <filesystem>

#include "template/BitmapReader.h"

namespace loom {

std::optional<BitmapSize> BitmapCache::find(std::string_view name, const std::string& path) {
    if (const BitmapImage* known = image(name)) return known->size();
    std::optional<BitmapImage> read =
        BitmapReader::read(files_, std::filesystem::path(path), prompt_);
    if (!read) return std::nullopt;
    entries_.emplace_back(std::string(name), std::make_unique<const BitmapImage>(std::move(*read)));
    return entries_.back().second->size();
}

const BitmapImage* BitmapCache::image(std::string_view name) const {
    for (const auto& [entryName, entryImage] : entries_)
        if (entryName == name) return entryImage.get();
    return nullptr;
}

}  // namespace loom
