#pragma once

#include <functional>

namespace loom {

// Tab and Shift+Tab in a page's list of focusable controls. `current` is the index of the
// control that has the focus, or -1 (any index outside the list) when none of them has
// it. The result is the index to focus, or -1 when the list offers nothing.
class FocusOrder {
  public:
    using CanTake = std::function<bool(int)>;

    // Tab: the next entry; the first from the last entry or from outside the list.
    // Shift+Tab: the previous entry; the last from the first or from outside. Entries
    // that cannot take the focus now (hidden, disabled) are passed over.
    static int next(int count, int current, const CanTake& canTake = {});
    static int previous(int count, int current, const CanTake& canTake = {});
};

}  // namespace loom
