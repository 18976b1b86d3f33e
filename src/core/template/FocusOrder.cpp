#include "template/FocusOrder.h"

namespace loom {
namespace {

int step(int count, int current, int direction, const FocusOrder::CanTake& canTake) {
    if (count <= 0) return -1;
    const bool inList = current >= 0 && current < count;
    int index = inList ? current : (direction > 0 ? -1 : count);
    for (int tried = 0; tried < count; ++tried) {
        index = ((index + direction) % count + count) % count;
        if (!canTake || canTake(index)) return index;
    }
    return -1;
}

}  // namespace

int FocusOrder::next(int count, int current, const CanTake& canTake) {
    return step(count, current, 1, canTake);
}

int FocusOrder::previous(int count, int current, const CanTake& canTake) {
    return step(count, current, -1, canTake);
}

}  // namespace loom
