#include "PanelState.h"

#include <iostream>

#include "PanelFiles.h"

namespace loom::panelsim {

PanelState::PanelState(PanelConfig config)
    : settings_(std::move(config.settings)),
      image_(std::move(config.image)),
      log_(std::move(config.log)),
      imageFile_(std::move(config.imageFile)) {}

PromImage PanelState::image() const {
    std::lock_guard lock(mutex_);
    return image_;
}

void PanelState::setImage(PromImage image) {
    std::lock_guard lock(mutex_);
    image_ = std::move(image);
}

void PanelState::writeBlock(std::uint32_t address, const LinkMessage::Data& data) {
    std::lock_guard lock(mutex_);
    image_.write(address, data);
    imageChanged_ = true;
    ++counters_.blocksWritten;
    changed_.notify_all();
}

void PanelState::erase() {
    std::lock_guard lock(mutex_);
    image_.clear();
    imageChanged_ = true;
    ++counters_.erases;
    changed_.notify_all();
}

std::vector<PromBlock> PanelState::blocksToSend() const {
    std::lock_guard lock(mutex_);
    std::vector<PromBlock> blocks;
    if (settings_.sendAllBlocks) {
        blocks.reserve(kPromSize / PromBlock::kSize);
        for (std::uint32_t a = 0; a < kPromSize; a += PromBlock::kSize) {
            PromBlock b;
            b.address = a;
            image_.readInto(a, b.data);
            blocks.push_back(b);
        }
        return blocks;
    }
    for (const PromBlock& b : image_.blocks()) {
        if (b.address >= kPromSize) continue;
        for (std::uint8_t byte : b.data)
            if (byte != PromImage::kErased) {
                blocks.push_back(b);
                break;
            }
    }
    return blocks;
}

std::vector<LogRecord> PanelState::log() const {
    std::lock_guard lock(mutex_);
    return log_;
}

void PanelState::setLog(std::vector<LogRecord> log) {
    std::lock_guard lock(mutex_);
    log_ = std::move(log);
}

std::string PanelState::timestamp() const {
    std::lock_guard lock(mutex_);
    return timestamp_;
}

void PanelState::setTimestamp(std::string digits) {
    std::lock_guard lock(mutex_);
    timestamp_ = std::move(digits);
    ++counters_.timestamps;
    changed_.notify_all();
}

void PanelState::saveIfChanged() {
    std::lock_guard lock(mutex_);
    if (!imageChanged_ || imageFile_.empty()) return;
    std::string error;
    if (!saveImageFile(imageFile_, image_, error)) {
        // A tool's diagnostic: the demo goes on, the next session tries again.
        std::cerr << "loomcraft-panelsim: cannot write " << imageFile_.string() << ": " << error
                  << '\n';
        return;
    }
    imageChanged_ = false;
    ++counters_.imageSaves;
    changed_.notify_all();
}

PanelSettings PanelState::settings() const {
    std::lock_guard lock(mutex_);
    return settings_;
}

void PanelState::setFileId(std::string fileId) {
    std::lock_guard lock(mutex_);
    settings_.fileId = std::move(fileId);
}

void PanelState::setIdentity(const Identity& identity) {
    std::lock_guard lock(mutex_);
    settings_.identity = identity;
}

void PanelState::setKeepAlive(bool on) {
    std::lock_guard lock(mutex_);
    settings_.keepAlive = on;
}

void PanelState::setFaults(const PanelFaults& faults) {
    std::lock_guard lock(mutex_);
    settings_.faults = faults;
}

std::uint64_t PanelState::nextReceivedFrame() {
    std::lock_guard lock(mutex_);
    ++counters_.framesReceived;
    changed_.notify_all();
    return ++receivedOrdinal_;
}

PanelState::Transmission PanelState::nextTransmission() {
    std::lock_guard lock(mutex_);
    const std::uint64_t n = ++transmissionOrdinal_;
    ++counters_.framesSent;
    changed_.notify_all();
    const PanelFaults& f = settings_.faults;
    return {f.corruptEvery != 0 && n % f.corruptEvery == 0,
            f.duplicateEvery != 0 && n % f.duplicateEvery == 0};
}

PanelCounters PanelState::counters() const {
    std::lock_guard lock(mutex_);
    return counters_;
}

void PanelState::count(std::uint64_t PanelCounters::*counter) {
    std::lock_guard lock(mutex_);
    ++(counters_.*counter);
    changed_.notify_all();
}

PanelCounters PanelState::waitFor(const std::function<bool(const PanelCounters&)>& done,
                                  std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, timeout, [&] { return done(counters_); });
    return counters_;
}

void PanelState::record(TranscriptEntry entry) {
    std::lock_guard lock(mutex_);
    if (sink_) sink_(entry.line());
    if (transcript_.size() == kTranscriptLimit) transcript_.pop_front();
    transcript_.push_back(std::move(entry));
}

std::vector<TranscriptEntry> PanelState::transcript() const {
    std::lock_guard lock(mutex_);
    return {transcript_.begin(), transcript_.end()};
}

void PanelState::clearTranscript() {
    std::lock_guard lock(mutex_);
    transcript_.clear();
}

void PanelState::setTranscriptSink(std::function<void(const std::string&)> sink) {
    std::lock_guard lock(mutex_);
    sink_ = std::move(sink);
}

}  // namespace loom::panelsim
