#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "PanelConfig.h"
#include "PanelCounters.h"
#include "TranscriptEntry.h"
#include "fields/PromImage.h"

namespace loom::panelsim {

// Everything the panel keeps, shared by the simulator's thread and its owner's: the PROM,
// the log, the settings, the counters and the transcript, each access under one lock.
class PanelState {
  public:
    explicit PanelState(PanelConfig config);

    // ---- the panel's memory ----
    PromImage image() const;
    void setImage(PromImage image);
    void writeBlock(std::uint32_t address, const LinkMessage::Data& data);
    void erase();
    // The blocks a PROM read sends, in address order: the non-erased ones, or with
    // sendAllBlocks every block of the PROM.
    std::vector<PromBlock> blocksToSend() const;
    std::vector<LogRecord> log() const;
    void setLog(std::vector<LogRecord> log);
    std::string timestamp() const;
    void setTimestamp(std::string digits);
    // Writes the image file when the PROM changed since the last save.
    void saveIfChanged();

    // ---- settings ----
    PanelSettings settings() const;
    void setFileId(std::string fileId);
    void setIdentity(const Identity& identity);
    void setKeepAlive(bool on);
    void setFaults(const PanelFaults& faults);

    // ---- fault counting ----
    // The ordinal of this received frame (from 1), counted for nak-every.
    std::uint64_t nextReceivedFrame();
    // For the next frame transmission: whether to spoil its checksum and to send it twice.
    struct Transmission {
        bool corrupt = false;
        bool duplicate = false;
    };
    Transmission nextTransmission();

    // ---- counters and transcript ----
    PanelCounters counters() const;
    void count(std::uint64_t PanelCounters::*counter);
    // Waits until `done` holds for the counters or `timeout` passes; the last counters.
    PanelCounters waitFor(const std::function<bool(const PanelCounters&)>& done,
                          std::chrono::milliseconds timeout) const;
    void record(TranscriptEntry entry);
    std::vector<TranscriptEntry> transcript() const;
    void clearTranscript();
    // Gets every transcript line as it is recorded (called on the simulator's thread).
    void setTranscriptSink(std::function<void(const std::string&)> sink);

  private:
    // A long demo must not grow without bound: the oldest entries go first.
    static constexpr std::size_t kTranscriptLimit = 200000;

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    PanelSettings settings_;
    PromImage image_;
    std::vector<LogRecord> log_;
    std::filesystem::path imageFile_;
    bool imageChanged_ = false;
    std::string timestamp_;
    std::uint64_t receivedOrdinal_ = 0;
    std::uint64_t transmissionOrdinal_ = 0;
    PanelCounters counters_;
    std::deque<TranscriptEntry> transcript_;
    std::function<void(const std::string&)> sink_;
};

}  // namespace loom::panelsim
