// The document's connection to the panel: the local port a transfer opens, the modem and
// TCP connections, disconnecting and the supervision of an idle link.
#include "context/AppContext.h"
#include "document/PromDocument.h"
#include "link/PromLink.h"
#include "platform/Settings.h"

namespace loom {

bool PromDocument::OpenLocalPort(std::string_view portName) {
    PromLink& link = context_.link();
    if (!link.OpenSerial(portName, false)) {
        std::string text = formatMessage(MessageId::PortCannotOpen);
        if (!link.OpenError().empty()) text += "\n\n" + link.OpenError();
        context_.prompt().showWith(text, MessageKind::Warning,
                                   UserPrompt::optionsOf(MessageId::PortCannotOpen));
        return false;
    }
    remoteIdText_.clear();
    serialPort_ = portName;
    linkInUse_ = true;
    return true;
}

bool PromDocument::ConnectModemCommand(std::string_view phone, std::string_view idCode) {
    if (!CanConnect()) return false;
    modemPhone_ = phone;
    modemIdCode_ = idCode;
    PromLink& link = context_.link();
    link.SetAbortEvent(nullptr);
    const std::string port = Settings(context_.settings()).text(setting::kRemotePort);
    if (!link.ConnectModem(port, phone, idCode)) return false;
    remoteIdText_ = idCode;
    serialPort_ = port;
    linkInUse_ = true;
    modemLink_ = true;
    return true;
}

bool PromDocument::ConnectTcpCommand(std::string_view address, std::string_view port,
                                     std::string_view idCode) {
    if (!CanConnect()) return false;
    PromLink& link = context_.link();
    link.SetAbortEvent(nullptr);
    if (!link.ConnectTcp(address, port, idCode)) {
        context_.prompt().show(MessageId::TcpCannotOpen);
        return false;
    }
    // The code the panel accepted, not the modem dialog's.
    remoteIdText_ = idCode;
    tcpAddress_ = address;
    tcpPort_ = port;
    linkInUse_ = true;
    tcpLink_ = true;
    return true;
}

bool PromDocument::Disconnect() {
    if (commActive_ != kIdle) return false;
    endConnection();
    return true;
}

void PromDocument::endConnection() {
    PromLink& link = context_.link();
    if (link.IsOpen()) {
        // A connection the other end has closed takes no goodbye: it would only fail.
        if (!link.HungUp()) link.SendCommand(msg::kEndConnection, "");
        if (tcpLink_) {
            link.Close();
        } else if (modemLink_) {
            link.HangUp();
        } else {
            link.Close();
        }
    }
    link.SetAbortEvent(nullptr);
    remoteIdText_.clear();
    tcpAddress_.clear();
    tcpPort_.clear();
    serialPort_.clear();
    tcpLink_ = false;
    modemLink_ = false;
    linkInUse_ = false;
}

void PromDocument::SuperviseLink() {
    // While a transfer runs the worker owns the link; the timer leaves it alone.
    if (commActive_ != kIdle || supervising_) return;
    supervising_ = true;
    PromLink& link = context_.link();
    const bool alive = link.Supervise();
    supervising_ = false;
    // A link closed by a channel error elsewhere also ends the connection's bookkeeping.
    if (linkInUse_ && (!alive || !link.IsOpen())) endConnection();
}

std::string PromDocument::connectionText() const {
    if (!linkInUse_) return {};
    if (tcpLink_) return formatMessage(MessageId::ConnectionTcp, {tcpAddress_, tcpPort_});
    return formatMessage(modemLink_ ? MessageId::ConnectionModem : MessageId::ConnectionLocal);
}

}  // namespace loom
