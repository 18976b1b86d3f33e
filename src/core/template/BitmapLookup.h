#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace loom {

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
};

}  // namespace loom
