#pragma once

#include <cstdint>
#include <vector>

namespace loom {

// The tree's knowledge of each page: whether its values are there yet (a PROM read into
// an empty template fills pages one by one) and whether they differ between the file and
// the PROM. Index = page number; a page never heard of is available and equal.
class PageStates {
  public:
    // The tree's node pictures, by index.
    enum Picture : int {
        kRoot = 0,
        kGroupCollapsed = 1,
        kGroupExpanded = 2,
        kPage = 3,
        kPageSelected = 4,
        kPageDiffers = 5,
        kPageDiffersSelected = 6,
        kPageUnavailable = 7,
    };

    // Every page of `pageCount` available and equal.
    void reset(int pageCount);
    // Forgets every page (a new template follows).
    void clear() { states_.clear(); }
    void markAllUnavailable(int pageCount);
    void markAvailable(int page);
    // Only an available page can differ.
    void markDiffering(int page);
    // The pages that differed, now equal again.
    std::vector<int> clearDifferences();

    bool available(int page) const { return (state(page) & kUnavailable) == 0; }
    bool differs(int page) const { return (state(page) & kDiffers) != 0; }
    // Only an available page can be chosen in the tree.
    bool canSelect(int page) const { return page >= 0 && available(page); }

    // The picture of a page's node; `selected` when it is the page shown.
    int picture(int page, bool selected) const;

  private:
    static constexpr std::uint8_t kUnavailable = 1;
    static constexpr std::uint8_t kDiffers = 2;

    std::uint8_t state(int page) const;
    std::uint8_t& grow(int page);

    std::vector<std::uint8_t> states_;
};

}  // namespace loom
