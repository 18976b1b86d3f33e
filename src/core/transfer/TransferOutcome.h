#pragma once

#include "link/TransferFailure.h"

namespace loom {

// How one operation of the worker ended, carried to the user's thread with its done
// notification.
struct TransferOutcome {
    int result = 0;  // 0 = failed
    TransferFailure failure = TransferFailure::None;
    // A write failed after the erase began or blocks went out: the panel's PROM holds
    // neither the old system nor the new one.
    bool promIncomplete = false;
};

}  // namespace loom
