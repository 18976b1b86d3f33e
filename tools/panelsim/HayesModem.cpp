#include "HayesModem.h"

#include <cctype>

namespace loom::panelsim {
namespace {

// The line as the transcript shows it: control bytes as \xHH.
std::string printable(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F) {
            out += c;
        } else {
            out += "\\x";
            out += kHex[b >> 4];
            out += kHex[b & 0x0F];
        }
    }
    return out;
}

void recordModem(PanelState& state, TranscriptEntry::From from, std::string text) {
    TranscriptEntry e;
    e.from = from;
    e.what = TranscriptEntry::What::Modem;
    e.text = std::move(text);
    state.record(std::move(e));
}

}  // namespace

HayesModem::HayesModem(PanelStream& stream, PanelSession& session, PanelState& state)
    : stream_(stream), session_(session), state_(state) {}

void HayesModem::onByte(std::uint8_t byte, Clock::time_point now) {
    switch (mode_) {
        case Mode::Dialing:
            return;  // nothing is listening while the call is set up
        case Mode::Data:
            // Hayes escape: exactly three '+' and then silence; anything after them is data.
            if (byte == '+' && plusCount_ < 3) {
                ++plusCount_;
                lastPlus_ = now;
            } else {
                plusCount_ = byte == '+' ? 4 : 0;
            }
            session_.feed(byte, now);
            return;
        case Mode::Command:
            break;
    }
    if (byte == '\r') {
        commandLine(now);
        return;
    }
    if (byte == '\n') return;
    if (line_.size() < kLineLimit)
        line_ += static_cast<char>(byte);
    else
        lineTooLong_ = true;
}

std::optional<Clock::time_point> HayesModem::deadline() const {
    const PanelTimings t = state_.settings().timings;
    if (mode_ == Mode::Dialing) return connectAt_;
    if (mode_ == Mode::Data && plusCount_ == 3)
        return lastPlus_ + std::chrono::milliseconds(t.modemGuardMs);
    return std::nullopt;
}

void HayesModem::onTimer(Clock::time_point now) {
    const PanelTimings t = state_.settings().timings;
    if (mode_ == Mode::Dialing && now >= connectAt_) {
        result('1');
        mode_ = Mode::Data;
        carrier_ = true;
        plusCount_ = 0;
        session_.begin(now);
        return;
    }
    if (mode_ == Mode::Data && plusCount_ == 3 &&
        now >= lastPlus_ + std::chrono::milliseconds(t.modemGuardMs)) {
        plusCount_ = 0;
        session_.discardPartial();
        mode_ = Mode::Command;
        result('0');
    }
}

void HayesModem::dropCarrier() {
    mode_ = Mode::Command;
    result('3');
    hangUp();
}

void HayesModem::commandLine(Clock::time_point now) {
    std::string line;
    line.swap(line_);
    const bool tooLong = lineTooLong_;
    lineTooLong_ = false;
    if (line.empty() && !tooLong) return;
    recordModem(state_, TranscriptEntry::From::Host, printable(line));
    std::string upper;
    for (char c : line)
        if (c != ' ') upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    // Whatever stands before "AT" (the "+++" of a modem already in command mode) is noise.
    const std::size_t at = upper.find("AT");
    if (tooLong || at == std::string::npos) {
        result('4');
        return;
    }
    const std::string command = upper.substr(at + 2);
    if (command.starts_with('D')) {
        if (carrier_) hangUp();
        mode_ = Mode::Dialing;
        connectAt_ = now + std::chrono::milliseconds(state_.settings().timings.modemConnectDelayMs);
        return;
    }
    if (command.starts_with('H')) {
        hangUp();
        result('0');
        return;
    }
    if (command.starts_with('O')) {
        if (!carrier_) {
            result('3');
            return;
        }
        result('1');
        mode_ = Mode::Data;
        plusCount_ = 0;
        return;
    }
    result('0');
}

void HayesModem::result(char code) {
    recordModem(state_, TranscriptEntry::From::Panel, std::string(1, code));
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(code), '\r'};
    stream_.write(bytes);
}

void HayesModem::hangUp() {
    if (!carrier_) return;
    carrier_ = false;
    session_.end();
}

}  // namespace loom::panelsim
