// Reaching a remote panel: dialling a modem or connecting over TCP, logging in with the
// ID code, and hanging up.
#include <array>

#include "context/AppContext.h"
#include "link/ModemCommandFile.h"
#include "link/PromLink.h"

namespace loom {
namespace {

// The modem's numeric result code for a connection starts with this character.
constexpr std::uint8_t kModemConnect = '1';

}  // namespace

void PromLink::sendModemCommands(const std::vector<std::string>& commands, std::string_view phone) {
    channel_->purge(true, false);
    for (const std::string& command : commands) {
        if (!channel_) return;
        const ModemCommandFile::Line line = ModemCommandFile::prepare(command, phone);
        if (line.dials) {
            // Let the modem settle, and forget its answers to the set-up commands, so that
            // the answer read next is the dial's.
            clock_->sleepMs(timing_.modemDialMs);
            channel_->purge(true, false);
        }
        // The modem's echo and answers are not examined; only the dial's result counts.
        SendText(line.text);
        clock_->sleepMs(timing_.modemLineMs);
    }
}

PromLink::DialResult PromLink::dialModem(std::string_view portName, std::string_view phone,
                                         std::string_view idCode, bool& carrierUp) {
    carrierUp = false;
    if (!OpenSerial(portName, true)) return DialResult::Failed;
    keepAliveEnabled_ = false;
    sendModemCommands(ModemCommands(), phone);
    if (!WaitForInput(2, 5)) return DialResult::Failed;
    std::array<std::uint8_t, 2> answer{};
    if (!readExactly(answer)) return DialResult::Failed;
    lastActivity_ = clock_->tickMs();
    channel_->purge(true, true);
    if (answer[0] != kModemConnect) return DialResult::Failed;

    carrierUp = true;
    std::uint8_t reply = msg::kNone;
    if (!Login(idCode, reply)) return DialResult::Failed;
    if (reply == msg::kLoginRefused) {
        context_.prompt().show(formatMessage(MessageId::WrongIdCode), MessageKind::Warning);
        return DialResult::Failed;
    }
    if (reply == msg::kNone) return IsOpen() ? DialResult::Failed : DialResult::LinkLost;
    context_.prompt().show(formatMessage(MessageId::ModemConnected), MessageKind::Information);
    return DialResult::Connected;
}

bool PromLink::ConnectModem(std::string_view portName, std::string_view phone,
                            std::string_view idCode) {
    for (;;) {
        bool carrierUp = false;
        const DialResult result = dialModem(portName, phone, idCode, carrierUp);
        if (result == DialResult::Connected) return true;
        if (result == DialResult::LinkLost) return false;
        if (carrierUp) {
            HangUp();
        } else {
            Close();
        }
        const Answer again =
            context_.prompt().ask(MessageId::ModemRetry, Buttons::YesNo, MessageKind::Question);
        if (again != Answer::Yes) return false;
    }
}

bool PromLink::HangUp() {
    if (!IsOpen()) return true;
    // A socket has no carrier to drop.
    if (IsTcp()) return Close();
    SendText("+++");
    clock_->sleepMs(timing_.modemDialMs);
    if (channel_) channel_->purge(true, false);
    SendText("ATH\r");
    WaitForInput(2, 2);
    Close();
    return true;
}

bool PromLink::ConnectTcp(std::string_view address, std::string_view port,
                          std::string_view idCode) {
    RefreshProduct();
    std::string error;
    std::unique_ptr<Channel> opened = factory_->connectTcp(address, port, error);
    if (!opened) {
        context_.prompt().show(error.empty() ? messageText(MessageId::TcpConnectFailed) : error,
                               MessageKind::Stop);
        return false;
    }
    if (IsOpen()) Close();
    channel_ = std::move(opened);
    abortFlag_ = false;
    keepAliveEnabled_ = false;
    lastFrame_.clear();

    for (;;) {
        std::uint8_t reply = msg::kNone;
        if (Login(idCode, reply)) {
            if (reply == msg::kLoginAccepted) {
                context_.prompt().show(formatMessage(MessageId::TcpConnected),
                                       MessageKind::Information);
                return true;
            }
            if (reply == msg::kLoginRefused) {
                context_.prompt().show(formatMessage(MessageId::WrongIdCode), MessageKind::Warning);
                Close();
                return false;
            }
        }
        if (!IsOpen()) return false;
        const Answer again =
            context_.prompt().ask(MessageId::TcpRetry, Buttons::YesNo, MessageKind::Question);
        if (again != Answer::Yes) {
            Close();
            return false;
        }
        Flush();
    }
}

}  // namespace loom
