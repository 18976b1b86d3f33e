#pragma once

#include <memory>
#include <string_view>

#include "document/ProgramState.h"
#include "link/PromLink.h"
#include "platform/Settings.h"
#include "support/MemoryChannel.h"
#include "support/MessageText.h"
#include "support/RecordingPrompt.h"
#include "support/TempDir.h"

namespace loom::test {

// A link over memory lines on a virtual clock, with the panel's real timing.
struct LinkTestBed {
    TempDir home;
    RecordingPrompt prompt;
    ProgramState context{prompt};
    VirtualLinkClock clock;
    MemoryChannelFactory factory{clock};

    LinkTestBed() {
        context.setProgramDirectory(ProgramDirectory(home.path("")));
        link().setChannelFactory(factory);
        link().setClock(clock);
    }

    PromLink& link() { return context.link(); }
    void setProduct(std::string_view product) {
        Settings(context.settings()).setText(setting::kProduct, product);
    }

    // A local serial link over a fresh line.
    std::shared_ptr<MemoryLine> openSerial() {
        auto line = factory.prepareSerial();
        link().OpenSerial("COM1", false);
        return line;
    }
    // A TCP link after an accepted login, whose traffic and messages are forgotten.
    std::shared_ptr<MemoryLine> openTcp() {
        auto line = factory.prepareTcp();
        ScriptedPanel panel;
        panel.onFrame = [](const LinkMessage&) { return frameBytes(msg::kLoginAccepted); };
        panel.attach(*line);
        link().ConnectTcp("10.0.0.1", "4000", "123456");
        line->peer = nullptr;
        line->written.clear();
        prompt.entries.clear();
        return line;
    }
};

}  // namespace loom::test
