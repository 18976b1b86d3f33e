#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "fields/FieldStore.h"
#include "fields/PromImage.h"
#include "platform/WaitableEvent.h"

namespace loom {

class TransferReceiver;

// The block shared by the document and its transfer worker. The document fills it and
// signals start; the worker reads it and reports through `receiver`.
struct TransferJob {
    WaitableEvent start;
    WaitableEvent proceed;  // the document's go-ahead after the identity check
    WaitableEvent cancel;   // also the link's abort event
    WaitableEvent quit;
    WaitableEvent ended;

    // Values to write, collected from every page; the worker deletes it after a write.
    std::unique_ptr<FieldStore> snapshot;
    bool readFlag = false;
    bool logFlag = false;
    bool noErase = false;
    // Receives the worker's notifications; it must hand them to the user's thread.
    TransferReceiver* receiver = nullptr;
    std::string templateModel;
    std::string fileIdForm;  // the document's FileId in its 8-byte stored form
    std::int64_t productAddress = -1;
    std::int64_t idAddress = -1;
    std::string logText;  // received event log bytes
    // The FileId the panel named at the start of the last log read, or empty. Written by
    // the worker before it posts the end of the read.
    std::string lastFileId;
    // The image a write sent (after id, product and conversion), for a read-back check.
    PromImage sentImage;

    // Clears every event.
    void resetEvents() {
        start.reset();
        proceed.reset();
        cancel.reset();
        quit.reset();
        ended.reset();
    }
};

}  // namespace loom
