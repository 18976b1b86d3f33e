// "Skriv och kontrollera": the write, then a read-back that compares the blocks sent with
// the blocks read and leaves the document as the write left it.
#include <algorithm>
#include <string>

#include "context/AppContext.h"
#include "document/PromDocument.h"
#include "fields/BlockComparison.h"

namespace loom {
namespace {

// A box shows a few screenfuls at most; a PROM that reads back wholly other lists the
// first addresses and counts the rest.
constexpr std::size_t kListedAddresses = 16;

std::string addressList(const BlockComparison& check) {
    std::string list;
    const std::size_t listed = std::min(check.differing.size(), kListedAddresses);
    for (std::size_t i = 0; i < listed; ++i) {
        if (i > 0) list += '\n';
        list += blockAddressText(check.differing[i]);
    }
    if (check.differing.size() > listed)
        list += '\n' + formatMessage(MessageId::VerifyMore,
                                     {static_cast<std::int64_t>(check.differing.size() - listed)});
    return list;
}

}  // namespace

bool PromDocument::WriteAndVerify() {
    if (!WriteProm()) return false;
    verifyAfterWrite_ = true;
    return true;
}

bool PromDocument::startVerifyRead() {
    lastVerify_ = {};
    verifyImage_.clear();
    if (!PrepareTransfer()) return false;
    verifying_ = true;
    // job_.noErase stays the written template's: the PROM is read as it was written.
    startRead(false);
    return true;
}

void PromDocument::completeVerify() {
    lastVerify_ = compareSentBlocks(sentImage_, verifyImage_);
    verifyImage_.clear();
    if (lastVerify_.identical()) {
        lastMessage_ = MessageId::VerifyDone;
        context_.prompt().show(MessageId::VerifyDone,
                               {static_cast<std::int64_t>(lastVerify_.compared)},
                               MessageKind::Information);
        return;
    }
    say(MessageId::TransferAborted, MessageKind::Warning);
    // Last, so that the addresses are what the user is left with.
    const std::string list = addressList(lastVerify_);
    lastMessage_ = MessageId::VerifyDiffers;
    context_.prompt().show(MessageId::VerifyDiffers,
                           {static_cast<std::int64_t>(lastVerify_.differing.size()),
                            static_cast<std::int64_t>(lastVerify_.compared), list},
                           MessageKind::Stop);
}

}  // namespace loom
