#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace loom {

struct BitmapImage;

struct BitmapSize {
    int width = 0;
    int height = 0;
    bool operator==(const BitmapSize&) const = default;
};

// Finds the pictures of a form: the size of the bitmap of this name (kept per template
// by the implementation), or nothing when there is no such bitmap.
class BitmapLookup {
  public:
    virtual ~BitmapLookup() = default;
    // `name` as the template gives it; `path` the file below the picture folder.
    virtual std::optional<BitmapSize> find(std::string_view name, const std::string& path) = 0;
    // The decoded picture of a name that find() has found, for painting; null for any
    // other name. Never opens a file nor shows a message.
    virtual const BitmapImage* image(std::string_view /*name*/) const { return nullptr; }
};

}  // namespace loom
