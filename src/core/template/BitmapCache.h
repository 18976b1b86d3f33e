#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "template/BitmapImage.h"
#include "template/BitmapLookup.h"

namespace loom {

class FileSystem;
class UserPrompt;

// The pictures of one loaded template, by the names its picture controls give (letter
// case counts). Each name's file is read once; a name whose file gave no picture is not
// kept, so the next lookup tries the file again and shows its message again.
class BitmapCache final : public BitmapLookup {
  public:
    BitmapCache(FileSystem& files, UserPrompt& prompt) : files_(files), prompt_(prompt) {}
    BitmapCache(const BitmapCache&) = delete;
    BitmapCache& operator=(const BitmapCache&) = delete;

    std::optional<BitmapSize> find(std::string_view name, const std::string& path) override;
    const BitmapImage* image(std::string_view name) const override;

    // Pictures held, in the order they were read.
    std::size_t count() const { return entries_.size(); }

  private:
    FileSystem& files_;
    UserPrompt& prompt_;
    // Each image on its own, so that the pointers image() hands out stay valid.
    std::vector<std::pair<std::string, std::unique_ptr<const BitmapImage>>> entries_;
};

}  // namespace loom
