#pragma once

#include "PanelSimulator.h"

namespace loom::panelsim {

// Short waits, so that resends after silence do not slow the tests down.
inline PanelConfig fastConfig() {
    PanelConfig c;
    c.settings.timings.ackTimeoutMs = 300;
    c.settings.timings.unaskedIdentityDelayMs = 20;
    c.settings.timings.modemConnectDelayMs = 10;
    c.settings.timings.modemGuardMs = 100;
    return c;
}

}  // namespace loom::panelsim
