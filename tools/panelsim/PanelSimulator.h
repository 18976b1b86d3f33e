#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "PanelConfig.h"
#include "PanelCounters.h"
#include "PanelState.h"
#include "TranscriptEntry.h"
#include "Wakeup.h"
#include "fields/PromImage.h"

namespace loom::panelsim {

class Endpoint;

// A simulated alarm panel for tests and demos. Each start function opens one endpoint at
// once (when it returns, a TCP connect succeeds and the pseudo-terminal exists) and one
// background thread serves all of them, one connection after another, until stop().
//
//   PanelSimulator panel(config);
//   const auto port = panel.startTcp();          // 127.0.0.1:*port
//   const auto device = panel.startSerial();     // "/dev/pts/N", no login needed
//   ... the program's link code talks to it ...
//   EXPECT_EQ(panel.image(), expected);
//
// The accessors and setters may be called from any thread; a setter takes effect at the
// panel's next command, so change things between operations.
class PanelSimulator {
  public:
    explicit PanelSimulator(PanelConfig config);
    // Stops and joins the thread, and writes a changed PROM to the image file.
    ~PanelSimulator();
    PanelSimulator(const PanelSimulator&) = delete;
    PanelSimulator& operator=(const PanelSimulator&) = delete;

    // Listens on 127.0.0.1; port 0 picks a free one. The bound port, or nothing (with
    // `error` when given).
    std::optional<std::uint16_t> startTcp(std::uint16_t port = 0, std::string* error = nullptr);
    // A pseudo-terminal for a local serial link; its slave's path.
    std::optional<std::string> startSerial(std::string* error = nullptr);
    // A pseudo-terminal with a Hayes modem in front of the panel; its slave's path.
    std::optional<std::string> startModem(std::string* error = nullptr);
    void stop();

    // The panel's reset button: it sends its identity unasked on every open connection.
    void pressResetButton();

    PromImage image() const { return state_.image(); }
    void setImage(PromImage image) { state_.setImage(std::move(image)); }
    std::vector<LogRecord> log() const { return state_.log(); }
    void setLog(std::vector<LogRecord> log) { state_.setLog(std::move(log)); }
    void setFileId(std::string fileId) { state_.setFileId(std::move(fileId)); }
    void setIdentity(const Identity& identity) { state_.setIdentity(identity); }
    void setKeepAlive(bool on) { state_.setKeepAlive(on); }
    void setFaults(const PanelFaults& faults) { state_.setFaults(faults); }
    PanelSettings settings() const { return state_.settings(); }
    // The 12 digits of the last time stamp (0x0A), empty before one came.
    std::string lastTimestamp() const { return state_.timestamp(); }

    PanelCounters counters() const { return state_.counters(); }
    // Waits until `done` holds or `timeout` passes; returns the counters then. For tests
    // that must know the panel has taken the host's last ACK.
    PanelCounters waitFor(const std::function<bool(const PanelCounters&)>& done,
                          std::chrono::milliseconds timeout = std::chrono::seconds(10)) const {
        return state_.waitFor(done, timeout);
    }
    std::vector<TranscriptEntry> transcript() const { return state_.transcript(); }
    void clearTranscript() { state_.clearTranscript(); }
    // Every transcript line as it happens, on the simulator's thread (set before starting).
    void setTranscriptSink(std::function<void(const std::string&)> sink) {
        state_.setTranscriptSink(std::move(sink));
    }

  private:
    std::optional<std::string> startPty(bool modem, std::string* error);
    void add(std::unique_ptr<Endpoint> endpoint);
    void run();

    PanelState state_;
    Wakeup wakeup_;
    std::mutex mutex_;
    std::vector<std::unique_ptr<Endpoint>> incoming_;  // started, not yet taken by run()
    std::atomic<bool> resetPressed_{false};
    std::thread thread_;
};

}  // namespace loom::panelsim
