#include "transfer/TransferWorker.h"

#include <algorithm>
#include <vector>

#include "archive/FileId.h"
#include "context/AppContext.h"
#include "fields/PromImageBuilder.h"
#include "transfer/TransferJob.h"
#include "transfer/TransferReceiver.h"

namespace loom {
namespace {

bool erased(const PromBlock& block) {
    return std::all_of(block.data.begin(), block.data.end(),
                       [](std::uint8_t b) { return b == PromImage::kErased; });
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
        int result = 0;
        if (!context_.link().IsOpen()) {
            context_.prompt().show(MessageId::PortCannotOpen);
        } else {
            result = job_.readFlag ? runRead() : runWrite();
        }
        if (job_.receiver != nullptr) job_.receiver->transferDone(result);
    }
    job_.ended.set();
}

void TransferWorker::begun() {
    if (job_.receiver != nullptr) job_.receiver->transferBegun();
}

void TransferWorker::progress(std::int64_t percent) {
    if (job_.receiver != nullptr)
        job_.receiver->progress(static_cast<int>(std::clamp<std::int64_t>(percent, 0, 100)));
}

void TransferWorker::status(MessageId text) {
    if (job_.receiver != nullptr)
        job_.receiver->statusText(std::make_unique<std::string>(messageText(text)));
}

int TransferWorker::runWrite() {
    PromLink& link = context_.link();
    PromImage image = job_.snapshot ? PromImageBuilder::build(*job_.snapshot) : PromImage();
    std::string identity;
    int result = link.QueryIdentity(identity) ? 1 : 0;
    // Placed even without an identity, so that the image stays whole for a later look.
    PromImageBuilder::writeProductText(image, job_.productAddress, identity);
    PromImageBuilder::writeText8(image, job_.idAddress, job_.fileIdForm);
    if (result != 0 && !context_.conversions().CheckProductModel(identity, job_.templateModel,
                                                                 image, context_.prompt()))
        result = 0;
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
    bool ok = true;
    if (erasing) {
        status(MessageId::StatusErasing);
        ok = link.Erase([this](int percent) { progress(percent); });
        progress(50);
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
    progress(100);
    return ok;
}

int TransferWorker::runRead() {
    return job_.logFlag ? readLog() : readProm();
}

int TransferWorker::readProm() {
    PromLink& link = context_.link();
    context_.setLastPromFileId("");
    std::string identity;
    if (!link.QueryIdentity(identity)) return 0;
    begun();
    if (job_.receiver != nullptr)
        job_.receiver->panelIdentity(false, std::make_unique<std::string>(identity));
    // Cancel first: when the document cancels, nothing more goes to the panel.
    if (WaitableEvent::waitAny({&job_.cancel, &job_.proceed}, std::chrono::milliseconds(-1)) != 1)
        return 0;
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
    return 0;
}

int TransferWorker::readLog() {
    PromLink& link = context_.link();
    context_.setLastPromFileId("");
    job_.logText.clear();
    std::string identity;
    if (!link.QueryIdentity(identity)) return 0;
    begun();
    if (job_.receiver != nullptr)
        job_.receiver->panelIdentity(true, std::make_unique<std::string>(identity));
    if (WaitableEvent::waitAny({&job_.cancel, &job_.proceed}, std::chrono::milliseconds(-1)) != 1)
        return 0;
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
        if (IsWellFormedFileId(id)) context_.setLastPromFileId(id);
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
