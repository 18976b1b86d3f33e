#include "document/PageStates.h"

#include <algorithm>

namespace loom {

void PageStates::reset(int pageCount) {
    states_.assign(static_cast<std::size_t>(std::max(pageCount, 0)), 0);
}

void PageStates::markAllUnavailable(int pageCount) {
    if (static_cast<int>(states_.size()) < pageCount)
        states_.resize(static_cast<std::size_t>(pageCount), 0);
    for (std::uint8_t& s : states_)
        s |= kUnavailable;
}

void PageStates::markAvailable(int page) {
    if (page >= 0) grow(page) &= static_cast<std::uint8_t>(~kUnavailable);
}

void PageStates::markDiffering(int page) {
    if (page >= 0 && available(page)) grow(page) |= kDiffers;
}

std::vector<int> PageStates::clearDifferences() {
    std::vector<int> cleared;
    for (std::size_t i = 0; i < states_.size(); ++i) {
        if ((states_[i] & kDiffers) == 0) continue;
        states_[i] &= static_cast<std::uint8_t>(~kDiffers);
        cleared.push_back(static_cast<int>(i));
    }
    return cleared;
}

int PageStates::picture(int page, bool selected) const {
    if (!available(page)) return kPageUnavailable;
    if (differs(page)) return selected ? kPageDiffersSelected : kPageDiffers;
    return selected ? kPageSelected : kPage;
}

std::uint8_t PageStates::state(int page) const {
    return page >= 0 && page < static_cast<int>(states_.size())
               ? states_[static_cast<std::size_t>(page)]
               : std::uint8_t{0};
}

std::uint8_t& PageStates::grow(int page) {
    if (page >= static_cast<int>(states_.size()))
        states_.resize(static_cast<std::size_t>(page) + 1, 0);
    return states_[static_cast<std::size_t>(page)];
}

}  // namespace loom
