// Opening and closing the link, and the byte-level primitives every exchange runs on.
#include "link/PromLink.h"

#include <algorithm>
#include <array>
#include <climits>

#include "context/AppContext.h"
#include "link/ModemCommandFile.h"
#include "link/WaitLimit.h"
#include "platform/Settings.h"
#include "platform/WaitableEvent.h"

namespace loom {
namespace {

// The erase bar gets a new value at least this often while the panel works.
constexpr int kProgressPeriodMs = 200;
constexpr std::string_view kVt340 = "VT 340";

}  // namespace

PromLink::PromLink(AppContext& context) : context_(context) {}

PromLink::~PromLink() = default;

void PromLink::RefreshProduct() {
    vt340_ = Settings(context_.settings()).text(setting::kProduct) == kVt340;
}

SerialSettings PromLink::serialSettings(bool modem) {
    RefreshProduct();
    // That panel talks slowly whichever way it is reached.
    if (productIsVt340()) return {1200, true};
    return {9600, !modem};
}

bool PromLink::OpenSerial(std::string_view portName, bool modem) {
    openError_.clear();
    std::unique_ptr<Channel> opened =
        factory_->openSerial(portName, serialSettings(modem), openError_);
    // Purged before it replaces the current link, so that a port that fails in any way
    // leaves the current link as it was.
    if (!opened || !opened->purge(true, true)) return false;
    if (IsOpen()) Close();
    channel_ = std::move(opened);
    abortFlag_ = false;
    keepAliveEnabled_ = false;
    lastFrame_.clear();
    return true;
}

bool PromLink::PortExists(std::string_view portName) {
    std::string error;
    return factory_->openSerial(portName, serialSettings(false), error) != nullptr;
}

bool PromLink::Close() {
    if (IsTcp()) transferDialogOpen_ = false;
    channel_.reset();
    keepAliveEnabled_ = false;
    keepAliveState_ = 0;
    return true;
}

void PromLink::linkLost() {
    fail(TransferFailure::LinkLost);
    Close();
    context_.prompt().show(formatMessage(MessageId::CommunicationError), MessageKind::Warning);
}

bool PromLink::writeBytes(std::span<const std::uint8_t> bytes) {
    if (!channel_ || !channel_->write(bytes)) return false;
    lastActivity_ = clock_->tickMs();
    return true;
}

bool PromLink::readExactly(std::span<std::uint8_t> out) {
    std::size_t have = 0;
    while (have < out.size()) {
        std::size_t count = 0;
        if (channel_->read(out.subspan(have), count) != ReadStatus::Data || count == 0)
            return false;
        have += std::min(count, out.size() - have);
    }
    return true;
}

bool PromLink::abortRequested() {
    WaitableEvent* abort = abortEvent_.load();
    if (abort && abort->tryWait()) abortFlag_ = true;
    if (abortFlag_) fail(TransferFailure::Cancelled);
    return abortFlag_;
}

WaitStatus PromLink::waitInput(int timeoutMs) {
    WaitableEvent* abort = abortEvent_.load();
    const WaitStatus status = channel_->waitReadable(timeoutMs, abort);
    // The event is consumed here as the one wait that saw it, whichever way it was seen.
    if (abort && (abort->tryWait() || status == WaitStatus::Aborted)) {
        abortFlag_ = true;
        fail(TransferFailure::Cancelled);
        return WaitStatus::Aborted;
    }
    return status == WaitStatus::Aborted ? WaitStatus::TimedOut : status;
}

int PromLink::waitSpan(const WaitLimit& limit, std::uint64_t nowMs) const {
    int span = limit.msUntilExpiry(nowMs);
    if (progress_) span = std::min(span, kProgressPeriodMs);
    return std::max(silenceSpan(span, nowMs), 1);
}

void PromLink::SetWaitSink(std::function<void(int)> sink) {
    waitSink_ = std::move(sink);
    noticeShown_ = 0;
    silentSince_ = clock_->tickMs();
}

void PromLink::ResetSilence() {
    silentSince_ = clock_->tickMs();
    if (noticeShown_ == 0) return;
    noticeShown_ = 0;
    if (waitSink_) waitSink_(0);
}

void PromLink::heard() {
    ++bytesHeard_;
    ResetSilence();
}

void PromLink::noteSilence(std::uint64_t nowMs) {
    if (!waitSink_ || nowMs < silentSince_) return;
    const std::uint64_t silent = nowMs - silentSince_;
    if (silent < static_cast<std::uint64_t>(std::max(timing_.waitNoticeMs, 0))) return;
    const auto step = static_cast<std::uint64_t>(std::max(timing_.noticeStepMs, 1));
    const int steps =
        std::max(static_cast<int>(std::min<std::uint64_t>(silent / step, INT_MAX)), 1);
    if (steps == noticeShown_) return;
    noticeShown_ = steps;
    waitSink_(steps);
}

int PromLink::silenceSpan(int span, std::uint64_t nowMs) const {
    if (!waitSink_ || nowMs < silentSince_) return span;
    const std::uint64_t silent = nowMs - silentSince_;
    const auto notice = static_cast<std::uint64_t>(std::max(timing_.waitNoticeMs, 0));
    const auto step = static_cast<std::uint64_t>(std::max(timing_.noticeStepMs, 1));
    const std::uint64_t due = silent < notice ? notice : (silent / step + 1) * step;
    return static_cast<int>(
        std::min<std::uint64_t>(static_cast<std::uint64_t>(std::max(span, 0)), due - silent));
}

void PromLink::reportProgress(int value) {
    if (progress_) progress_(value);
}

bool PromLink::SendText(std::string_view text) {
    for (char c : text) {
        if (c == '\0') break;
        // The modem takes its commands at typing speed.
        clock_->sleepMs(timing_.modemByteMs);
        const auto byte = static_cast<std::uint8_t>(c);
        if (!writeBytes(std::span(&byte, 1))) return false;
    }
    return true;
}

bool PromLink::WaitForInput(std::size_t count, int units) {
    if (!channel_) return false;
    const WaitLimit limit(clock_->tickMs(), units, timing_);
    long seen = 0;
    for (;;) {
        const long queued = channel_->queued();
        // A port that cannot say what it holds will not deliver it either.
        if (queued < 0) {
            fail(TransferFailure::LinkLost);
            return false;
        }
        if (queued > seen) {
            heard();
            seen = queued;
        }
        if (static_cast<std::size_t>(queued) >= count) return true;
        const std::uint64_t now = clock_->tickMs();
        if (limit.expired(now)) return false;
        reportProgress(limit.progress(now));
        noteSilence(now);
        if (waitInput(waitSpan(limit, now)) == WaitStatus::Aborted) return false;
    }
}

bool PromLink::ReadByte(std::uint8_t& byte) {
    if (!channel_) return false;
    // A serial port that cannot count its input is as broken as one that cannot read.
    const long queued = IsTcp() ? 1 : channel_->queued();
    if (queued == 0) return false;
    std::uint8_t b = 0;
    std::size_t count = 0;
    const ReadStatus status =
        queued < 0 ? ReadStatus::Failed : channel_->read(std::span(&b, 1), count);
    if (status == ReadStatus::Data && count == 1) {
        byte = b;
        return true;
    }
    if (status == ReadStatus::WouldBlock || status == ReadStatus::Data) return false;
    if (!IsTcp()) Flush();
    linkLost();
    return false;
}

void PromLink::Flush() {
    if (!channel_) return;
    if (!IsTcp()) {
        channel_->purge(true, true);
        return;
    }
    // Drain what the panel still sends, but give up after one unit: a peer that never
    // stops sending must not hold the link here.
    const std::uint64_t start = clock_->tickMs();
    for (;;) {
        clock_->sleepMs(timing_.flushPauseMs);
        std::array<std::uint8_t, 64> buffer;
        std::size_t count = 0;
        if (channel_->read(buffer, count) != ReadStatus::Data || count == 0) break;
        if (clock_->tickMs() - start >= static_cast<std::uint64_t>(timing_.unitMs)) break;
    }
    lastActivity_ = clock_->tickMs();
}

std::vector<std::string> PromLink::ModemCommands() {
    return ModemCommandFile::load(context_.files(), context_.programDirectory().modemCommands());
}

const std::vector<std::string>& PromLink::DefaultModemCommands() {
    return ModemCommandFile::defaults();
}

}  // namespace loom
