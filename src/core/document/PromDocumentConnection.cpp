// The document's connection to the panel: the local port a transfer opens, the modem and
// TCP connections, disconnecting and the supervision of an idle link.
#include "context/AppContext.h"
#include "document/PromDocument.h"
#include "platform/Settings.h"

namespace loom {

bool PromDocument::OpenLocalPort(std::string_view portName) {
    if (!context_.link().OpenSerial(portName, false)) {
        context_.prompt().show(MessageId::PortCannotOpen);
        return false;
    }
    remoteIdText_.clear();
    linkInUse_ = true;
    return true;
}

bool PromDocument::ConnectModemCommand(std::string_view phone, std::string_view idCode) {
    if (linkInUse_ || modemLink_ || tcpLink_) return false;
    modemPhone_ = phone;
    modemIdCode_ = idCode;
    PromLink& link = context_.link();
    link.SetAbortEvent(nullptr);
    const std::string port = Settings(context_.settings()).text(setting::kRemotePort);
    if (!link.ConnectModem(port, phone, idCode)) return false;
    remoteIdText_ = idCode;
    linkInUse_ = true;
    modemLink_ = true;
    return true;
}

bool PromDocument::ConnectTcpCommand(std::string_view address, std::string_view port,
                                     std::string_view idCode) {
    if (linkInUse_ || modemLink_ || tcpLink_) return false;
    PromLink& link = context_.link();
    link.SetAbortEvent(nullptr);
    if (!link.ConnectTcp(address, port, idCode)) {
        context_.prompt().show(MessageId::TcpCannotOpen);
        return false;
    }
    // The code the panel accepted, not the modem dialog's.
    remoteIdText_ = idCode;
    linkInUse_ = true;
    tcpLink_ = true;
    return true;
}

void PromDocument::Disconnect() {
    PromLink& link = context_.link();
    if (link.IsOpen()) {
        link.SendCommand(msg::kEndConnection, "");
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
    tcpLink_ = false;
    modemLink_ = false;
    linkInUse_ = false;
}

void PromDocument::SuperviseLink() {
    // While a transfer runs the worker owns the link; the timer leaves it alone.
    if (commActive_ != kIdle) return;
    PromLink& link = context_.link();
    const bool alive = link.Supervise();
    // A link closed by a channel error elsewhere also ends the connection's bookkeeping.
    if (linkInUse_ && (!alive || !link.IsOpen())) Disconnect();
}

}  // namespace loom
