#pragma once

#include <optional>

#include "common/Messages.h"

namespace loom {

// Why a transfer ended without success, as recorded where it failed: by the link for
// what happened on the line, by the worker and the document for what they decided.
enum class TransferFailure {
    None,
    NoAnswer,        // the panel stayed silent for the whole time limit
    TooManyRetries,  // every attempt met a NAK, a spoilt frame or a wrong answer
    LinkLost,        // the connection or the port broke
    NoIdentity,      // the panel did not give its identity
    Cancelled,       // the user cancelled
    Refused,         // declined before anything was sent; the refusal itself said why
};

// The text that tells the user the reason, before "Sändningen avbröts."; none where the
// user has heard it already.
inline std::optional<MessageId> failureMessage(TransferFailure failure) {
    switch (failure) {
        case TransferFailure::NoAnswer:
            return MessageId::FailureNoAnswer;
        case TransferFailure::TooManyRetries:
            return MessageId::FailureTooManyRetries;
        case TransferFailure::LinkLost:
            return MessageId::FailureLinkLost;
        case TransferFailure::NoIdentity:
            return MessageId::FailureNoIdentity;
        case TransferFailure::Cancelled:
            return MessageId::FailureCancelled;
        case TransferFailure::None:
        case TransferFailure::Refused:
            break;
    }
    return std::nullopt;
}

}  // namespace loom
