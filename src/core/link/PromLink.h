#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "link/LinkMessage.h"
#include "link/LinkTiming.h"
#include "link/TransferFailure.h"
#include "platform/Channel.h"
#include "platform/LinkClock.h"

namespace loom {

class AppContext;
class WaitableEvent;
class WaitLimit;

// The one connection to the panel, shared by the user's thread (connect, disconnect,
// supervision) and the transfer worker (frames). Only one of them uses it at a time; the
// document sees to that. Every failure the user must hear of is shown here through the
// context's prompt; callers only stop.
class PromLink {
  public:
    explicit PromLink(AppContext& context);
    ~PromLink();
    PromLink(const PromLink&) = delete;
    PromLink& operator=(const PromLink&) = delete;

    // Where channels come from and how time passes (tests replace both).
    void setChannelFactory(ChannelFactory& factory) { factory_ = &factory; }
    void setClock(LinkClock& clock) { clock_ = &clock; }
    void setTiming(const LinkTiming& timing) { timing_ = timing; }
    const LinkTiming& timing() const { return timing_; }
    LinkClock& clock() { return *clock_; }

    // ---- channel ----
    bool OpenSerial(std::string_view portName, bool modem);
    // Why the last OpenSerial failed, for the user (code page 1252; may be empty).
    const std::string& OpenError() const { return openError_; }
    bool PortExists(std::string_view portName);
    bool ConnectModem(std::string_view portName, std::string_view phone, std::string_view idCode);
    bool ConnectTcp(std::string_view address, std::string_view port, std::string_view idCode);
    bool HangUp();
    bool Close();
    bool IsOpen() const { return channel_ != nullptr; }
    bool IsTcp() const { return channel_ && channel_->kind() == ChannelKind::Tcp; }
    // The open link's line says the other end has gone (no read, no wait).
    bool HungUp() { return channel_ && channel_->hungUp(); }
    void SetAbortEvent(WaitableEvent* event) { abortEvent_.store(event); }
    WaitableEvent* AbortEvent() const { return abortEvent_.load(); }
    bool SendText(std::string_view text);
    bool WaitForInput(std::size_t count, int units);
    bool ReadByte(std::uint8_t& byte);
    void Flush();

    // The modem commands: modem.txt of the program directory, one per line, or the default
    // list when it is missing or holds no lines.
    std::vector<std::string> ModemCommands();
    static const std::vector<std::string>& DefaultModemCommands();

    // ---- frames ----
    bool SendFrame(const LinkMessage& message, bool waitAck);
    bool WaitAck();
    bool SendAckByte(bool ack);
    // True when a frame of one of the expected types (0xFE fills unused places) arrived
    // intact within `units`.
    bool ReceiveFrame(LinkMessage& message, int units, std::uint8_t t1, std::uint8_t t2 = 0xFE,
                      std::uint8_t t3 = 0xFE, std::uint8_t t4 = 0xFE);
    bool SendCommand(std::uint8_t type, std::string_view text);
    bool SendBlock(std::uint32_t address, const LinkMessage::Data& data);
    bool ReceiveBlock(LinkMessage::Data& data, std::uint32_t& address, bool& end);
    // `number` is the block's 16-bit address word as it travelled.
    bool ReceiveLogBlock(LinkMessage::Data& data, std::uint32_t& number, bool& end);
    // The 16 identity characters (reads setting "Produkt": no 0x90 for "VT 340").
    bool QueryIdentity(std::string& identity);
    // `progress` (may be empty) gets 0-50 while the panel erases.
    bool Erase(const std::function<void(int)>& progress);
    bool SendTimestamp();
    // The 0x91 exchange: true when the panel acknowledged the login frame; `reply` is then
    // 0x93, 0x92 or 0xFE (no reply).
    bool Login(std::string_view idCode, std::uint8_t& reply);
    // On the user's thread every 3 s: it never waits on the line (the probe is written
    // without waiting for it to leave, the answer is read only when it is there). A
    // connection the other end has dropped is lost even when the panel asked for no probes.
    bool Supervise();
    bool AwaitSupervisionAck();

    // Reads setting "Produkt" again. The user's thread calls it (every open and connect
    // does, and the document before each transfer), so the worker never reads settings.
    void RefreshProduct();

    // ---- state ----
    const LinkMessage& LastFrame() const { return lastFrame_; }
    void ResetLastFrame() { lastFrame_.clear(); }
    bool AbortFlag() const { return abortFlag_; }
    std::uint64_t LastActivity() const { return lastActivity_; }
    bool KeepAliveEnabled() const { return keepAliveEnabled_; }
    int KeepAliveState() const { return keepAliveState_; }
    // Set while the transfer progress is shown; supervision then does nothing.
    void SetTransferDialogOpen(bool open) { transferDialogOpen_ = open; }
    bool TransferDialogOpen() const { return transferDialogOpen_; }

    // The first failure since the last reset, recorded where it happened: what the
    // transfer tells the user before "Sändningen avbröts.".
    TransferFailure LastFailure() const { return failure_; }
    void ResetFailure() { failure_ = TransferFailure::None; }
    // Told during the waits how long the panel has been silent, once that passes
    // timing().waitNoticeMs: in whole notice steps ("seconds"), at each new step, and 0
    // when the panel is heard again. Installing it (or none) counts the silence from now.
    void SetWaitSink(std::function<void(int)> sink);
    // The silence counts from now: the program itself paused (for the user's answer).
    void ResetSilence();

    // Frames written and ack bytes written since the last reset: the protocol floor of a
    // transfer is their count times the frame gap.
    std::uint64_t FramesWritten() const { return framesWritten_; }
    std::uint64_t AckBytesWritten() const { return ackBytesWritten_; }
    void ResetCounters() { framesWritten_ = ackBytesWritten_ = 0; }

  private:
    // How one attempt to take in a frame ended.
    enum class Arrival {
        Frame,   // 21 bytes are in
        Missed,  // nothing usable this time: the attempt is spent
        Stop,    // no further attempt: timed out on TCP, aborted or the link is gone
    };
    enum class DialResult { Connected, Failed, LinkLost };

    static constexpr int kAttempts = 7;

    SerialSettings serialSettings(bool modem);
    bool productIsVt340() const { return vt340_; }
    // Writes all of `bytes`; a success is link activity.
    bool writeBytes(std::span<const std::uint8_t> bytes);
    // Fills `out` from what is queued; false on a failed or short read.
    bool readExactly(std::span<std::uint8_t> out);
    // Waits for input or the abort event; an abort sets AbortFlag and consumes the event.
    WaitStatus waitInput(int timeoutMs);
    // The zero-wait poll of the abort event.
    bool abortRequested();
    // How long one wait of a limited wait may last: to the limit, and short enough that
    // a progress bar keeps moving.
    int waitSpan(const WaitLimit& limit, std::uint64_t nowMs) const;
    void reportProgress(int value);
    // Keeps the first failure: what follows from it (a closed link, a set abort flag)
    // must not hide it.
    void fail(TransferFailure failure) {
        if (failure_ == TransferFailure::None) failure_ = failure;
    }
    // A byte came from the panel: its silence is over.
    void heard();
    // Tells the wait sink of the silence so far, when a new step of it is due.
    void noteSilence(std::uint64_t nowMs);
    // `span` cut so that a wait ends when the next step of the notice is due.
    int silenceSpan(int span, std::uint64_t nowMs) const;
    // Closes the link and tells the user it broke.
    void linkLost();

    Arrival receiveSerial(LinkMessage::Frame& frame, int units);
    Arrival receiveTcp(LinkMessage::Frame& frame, int units);
    bool sendProbe();

    DialResult dialModem(std::string_view portName, std::string_view phone, std::string_view idCode,
                         bool& carrierUp);
    void sendModemCommands(const std::vector<std::string>& commands, std::string_view phone);

    AppContext& context_;
    PosixChannelFactory posixFactory_;
    SteadyLinkClock steadyClock_;
    ChannelFactory* factory_ = &posixFactory_;
    LinkClock* clock_ = &steadyClock_;
    LinkTiming timing_;

    std::unique_ptr<Channel> channel_;
    std::string openError_;
    // Installed by the user's thread, read by the worker.
    std::atomic<WaitableEvent*> abortEvent_{nullptr};
    LinkMessage lastFrame_;
    std::function<void(int)> progress_;
    bool abortFlag_ = false;
    std::uint64_t lastActivity_ = 0;
    bool keepAliveEnabled_ = false;
    int keepAliveState_ = 0;
    std::atomic<bool> transferDialogOpen_{false};
    std::atomic<bool> vt340_{false};
    std::uint64_t framesWritten_ = 0;
    std::uint64_t ackBytesWritten_ = 0;
    TransferFailure failure_ = TransferFailure::None;
    std::function<void(int)> waitSink_;
    std::uint64_t silentSince_ = 0;
    int noticeShown_ = 0;           // the step last told, 0 while none is shown
    std::uint64_t bytesHeard_ = 0;  // tells a send's silence from its refusals
};

}  // namespace loom
