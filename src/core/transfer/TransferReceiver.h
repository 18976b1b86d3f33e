#pragma once

#include <memory>
#include <string>

#include "transfer/ReceivedBlock.h"
#include "transfer/TransferOutcome.h"

namespace loom {

// The notifications of a transfer, delivered on the user's thread. Every text and block
// passed belongs to the receiver.
class TransferReceiver {
  public:
    virtual ~TransferReceiver() = default;
    virtual void transferBegun() = 0;
    virtual void transferDone(const TransferOutcome& outcome) = 0;
    // The panel's 16-character identity; the receiver sets the job's continue or cancel
    // event.
    virtual void panelIdentity(bool logRead, std::unique_ptr<std::string> identity) = 0;
    virtual void blockReceived(std::unique_ptr<ReceivedBlock> block) = 0;
    virtual void progress(int percent) = 0;
    virtual void statusText(std::unique_ptr<std::string> text) = 0;  // code page 1252
    // The panel has been silent for `seconds` (in the link's notice steps) while the
    // worker waits for it; 0 once it is heard again.
    virtual void waiting(int seconds) = 0;
};

}  // namespace loom
