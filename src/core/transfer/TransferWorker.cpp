#include "transfer/TransferWorker.h"

#include <algorithm>
#include <chrono>
#include <string_view>
#include <vector>

#include "archive/FileId.h"
#include "context/AppContext.h"
#include "conversion/ConversionList.h"
#include "fields/PromImageBuilder.h"
#include "link/PromLink.h"
#include "transfer/TransferJob.h"
#include "transfer/TransferReceiver.h"

namespace loom {
namespace {

bool erased(const PromBlock& block) {
    return std::all_of(block.data.begin(), block.data.end(),
                       [](std::uint8_t b) { return b == PromImage::kErased; });
}

// The panel keeps its identity as a C string: what follows a zero byte is no part of it
// (a model name shorter than 13 characters is padded with zeros).
std::string textUpToZero(std::string_view bytes) {
    return std::string(bytes.substr(0, bytes.find('\0')));
}

}  // namespace

TransferWorker::TransferWorker(AppContext& context, TransferJob& job)
    : context_(context), job_(job) {}

TransferWorker::~TransferWorker() {
    if (thread_.joinable()) thread_.join();
}

void TransferWorker::start() {
    if (!thread_.joinable()) thread_ = std::thread([this] { loop(); });
}

void TransferWorker::loop() {
    for (;;) {
        job_.start.wait();
        if (job_.quit.tryWait()) break;
        const TransferOutcome outcome = run();
        if (job_.receiver != nullptr) job_.receiver->transferDone(outcome);
    }
    job_.ended.set();
}

TransferOutcome TransferWorker::run() {
    PromLink& link = context_.link();
    failure_ = TransferFailure::None;
    promTouched_ = false;
    link.ResetFailure();
    link.SetWaitSink([this](int seconds) { waiting(seconds); });
    TransferOutcome outcome;
    if (!link.IsOpen()) {
        // Message 72 says it all.
        context_.prompt().show(MessageId::PortCannotOpen);
    } else {
        outcome.result = job_.readFlag ? runRead() : runWrite();
    }
    // The user's thread uses the link next (disconnect): no notices from its waits.
    link.SetWaitSink(nullptr);
    if (outcome.result == 0) {
        // The line's own account comes first: a closed link or a cancel is why the worker
        // stopped, whatever it made of that.
        outcome.failure =
            link.LastFailure() != TransferFailure::None ? link.LastFailure() : failure_;
        outcome.promIncomplete = promTouched_;
    }
    return outcome;
}

void TransferWorker::begun() {
    if (job_.receiver != nullptr) job_.receiver->transferBegun();
}

void TransferWorker::progress(std::int64_t percent) {
    if (job_.receiver != nullptr)
        job_.receiver->progress(static_cast<int>(std::clamp<std::int64_t>(percent, 0, 100)));
}

void TransferWorker::waiting(int seconds) {
    if (job_.receiver != nullptr) job_.receiver->waiting(seconds);
}

void TransferWorker::status(MessageId text) {
    if (job_.receiver != nullptr)
        job_.receiver->statusText(std::make_unique<std::string>(messageText(text)));
}

int TransferWorker::runWrite() {
    PromLink& link = context_.link();
    PromImage image = job_.snapshot ? PromImageBuilder::build(*job_.snapshot) : PromImage();
    std::string raw;
    int result = link.QueryIdentity(raw) ? 1 : 0;
    // The product text is the identity's second half, itself a C string.
    const std::string_view rawView(raw);
    const std::string product = std::string(rawView.substr(0, 8)) +
                                textUpToZero(rawView.substr(std::min<std::size_t>(8, raw.size())));
    // Placed even without an identity, so that the image stays whole for a later look.
    PromImageBuilder::writeProductText(image, job_.productAddress, product);
    PromImageBuilder::writeText8(image, job_.idAddress, job_.fileIdForm);
    if (result != 0 && !context_.conversions().CheckProductModel(
                           textUpToZero(raw), job_.templateModel, image, context_.prompt())) {
        result = 0;
        failure_ = TransferFailure::Refused;
    }
    if (result != 0) {
        begun();
        if (!program(image)) result = 0;
        job_.sentImage = std::move(image);
    } else {
        job_.sentImage.clear();
    }
    job_.snapshot.reset();
    return result;
}

bool TransferWorker::program(const PromImage& image) {
    PromLink& link = context_.link();
    const std::vector<PromBlock> blocks = image.blocks();
    const bool erasing = !job_.noErase;
    // The model check may have waited for the user: that was no silence of the panel.
    link.ResetSilence();
    const std::uint64_t framesBefore = link.FramesWritten();
    bool ok = true;
    if (erasing) {
        status(MessageId::StatusErasing);
        ok = link.Erase([this](int percent) { progress(percent); });
        if (ok) progress(50);
    }
    status(MessageId::StatusWriting);
    const std::int64_t count = static_cast<std::int64_t>(blocks.size());
    for (std::int64_t n = 1; ok && n <= count; ++n) {
        const PromBlock& block = blocks[static_cast<std::size_t>(n - 1)];
        // An erased PROM already holds 0xFF: such a block is counted but not sent.
        if (!erased(block)) ok = link.SendBlock(block.address, block.data);
        if (ok) progress(erasing ? 50 + n * 50 / count : n * 100 / count);
    }
    if (ok) ok = link.SendTimestamp();
    // A failed write stays where it stopped: a full bar would look finished.
    if (ok) {
        progress(100);
    } else {
        // An erase frame or a block that went out may have changed the PROM, even when
        // its ACK never came.
        promTouched_ = link.FramesWritten() > framesBefore;
    }
    return ok;
}

int TransferWorker::runRead() {
    return job_.logFlag ? readLog() : readProm();
}

// The common start of a read: the panel's identity goes to the document, which answers
// with its go-ahead or a cancel.
bool TransferWorker::identifyForRead(bool logRead) {
    job_.lastFileId.clear();
    std::string identity;
    if (!context_.link().QueryIdentity(identity)) return false;
    begun();
    if (job_.receiver != nullptr)
        job_.receiver->panelIdentity(logRead,
                                     std::make_unique<std::string>(textUpToZero(identity)));
    // Cancel first: when the document cancels, nothing more goes to the panel.
    if (WaitableEvent::waitAny({&job_.cancel, &job_.proceed}, std::chrono::milliseconds(-1)) != 1) {
        failure_ = TransferFailure::Cancelled;
        return false;
    }
    // The document may have asked the user meanwhile: that was no silence of the panel.
    context_.link().ResetSilence();
    return true;
}

int TransferWorker::readProm() {
    PromLink& link = context_.link();
    if (!identifyForRead(false)) return 0;
    status(MessageId::StatusReading);
    if (!link.SendCommand(job_.noErase ? msg::kReadPromNoErase : msg::kReadProm, "")) return 0;
    while (link.IsOpen()) {
        LinkMessage::Data data{};
        std::uint32_t address = 0;
        bool end = false;
        if (!link.ReceiveBlock(data, address, end)) return 0;
        if (end) {
            progress(100);
            if (job_.receiver != nullptr)
                job_.receiver->blockReceived(std::make_unique<ReceivedBlock>());
            return 1;
        }
        if (job_.receiver != nullptr) {
            auto block = std::make_unique<ReceivedBlock>();
            block->data = data;
            block->address = static_cast<std::int32_t>(address);
            job_.receiver->blockReceived(std::move(block));
        }
        progress((std::int64_t{address} + 16) * 90 / 0x1FFFF);
    }
    failure_ = TransferFailure::LinkLost;
    return 0;
}

int TransferWorker::readLog() {
    PromLink& link = context_.link();
    job_.logText.clear();
    if (!identifyForRead(true)) return 0;
    status(MessageId::StatusReadingLog);
    if (!link.SendCommand(msg::kReadLog, "")) return 0;

    // The panel first names the installation: data bytes 8-15 of its first block.
    LinkMessage::Data data{};
    std::uint32_t number = 0;
    bool end = false;
    if (!link.ReceiveBlock(data, number, end)) return 0;
    if (!end) {
        const std::string id =
            FileIdFromBytes(std::span<const std::uint8_t>(data).subspan(8, kFileIdLength));
        if (IsWellFormedFileId(id)) job_.lastFileId = id;
    }

    std::int64_t previous = -1;
    std::size_t blocks = 0;
    for (;;) {
        if (!link.ReceiveLogBlock(data, number, end)) return 0;
        if (end) break;
        // A block sent again under the same number is the panel repeating itself.
        if (static_cast<std::int64_t>(number) == previous) continue;
        if (++blocks > kMaxLogBlocks) return 0;
        job_.logText.append(data.begin(), data.end());
        previous = number;
        progress(std::int64_t{number} * 100 / 255);
    }
    progress(100);
    return 1;
}

}  // namespace loom
