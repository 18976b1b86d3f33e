#include "PromRun.h"

#include <cstdlib>
#include <iostream>
#include <string_view>

#include "CliSession.h"
#include "InterruptCancel.h"
#include "TerminalInput.h"
#include "link/LinkTiming.h"
#include "link/PromLink.h"
#include "platform/Settings.h"

namespace loom::cli {
namespace {

bool usage(CliContext& ctx, std::string_view text) {
    ctx.err << "fel: " << text << "\n";
    ctx.exitCode = kExitUsage;
    return false;
}

}  // namespace

void addLinkOptions(CLI::App& command, LinkOptions& o) {
    CLI::Option* tcp = command.add_option(
        "--tcp", o.tcp, "Connect over TCP/IP to HOST:PORT (HOST as four decimal numbers)");
    CLI::Option* serial =
        command.add_option("--serial", o.serial, "Use a local serial port (COMn or a device)");
    CLI::Option* modem = command.add_option(
        "--modem", o.modem, "Dial through the modem on this port (COMn or a device)");
    tcp->excludes(serial)->excludes(modem);
    serial->excludes(modem);
    command.add_option("--phone", o.phone, "The telephone number to dial (with --modem)");
    command.add_option("--id", o.id,
                       "The panel's ID code (with --tcp: six digits; with --modem as entered)");
}

bool checkLinkOptions(CliContext& ctx, const LinkOptions& o) {
    if (o.tcp.empty() && o.serial.empty() && o.modem.empty())
        return usage(ctx,
                     "ange vägen till centralen: --tcp HOST:PORT, --serial PORT eller "
                     "--modem PORT");
    if (!o.tcp.empty()) {
        const std::size_t colon = o.tcp.rfind(':');
        if (colon == std::string::npos || !isIpAddress(o.tcp.substr(0, colon)) ||
            !isIpPort(o.tcp.substr(colon + 1)))
            return usage(ctx,
                         "--tcp tar HOST:PORT, HOST som fyra tal 0-255 (inte alla noll), "
                         "PORT 1-65535: " +
                             o.tcp);
        if (o.id.empty()) return usage(ctx, "--tcp behöver centralens ID-kod: --id KOD");
        if (!o.phone.empty()) return usage(ctx, "--phone hör till --modem");
    }
    if (!o.modem.empty() && (o.phone.empty() || o.id.empty()))
        return usage(ctx, "--modem behöver --phone NUMMER och --id KOD");
    if (!o.serial.empty() && (!o.phone.empty() || !o.id.empty()))
        return usage(ctx, "--phone och --id hör till --tcp eller --modem, inte --serial");
    return true;
}

PromRun::PromRun(CliContext& ctx, CliSession& session, PromAnswers answers)
    : ctx_(ctx),
      session_(session),
      app_(session.app()),
      settings_(app_.settings()),
      progress_(ctx.err, isTerminalStderr(ctx.err)),
      prompt_(ctx.err, progress_, answers),
      marshalled_(prompt_, queue_) {
    app_.setSettings(settings_);
    app_.setPrompt(marshalled_);
    // As the program loads them at start: a write may convert to the panel's model.
    session.start().loadConversions();
    document_ = std::make_unique<PromDocument>(app_, queue_, progress_);
    const char* timing = std::getenv("LOOMCRAFT_LINK_TIMING");
    if (timing && std::string_view(timing) == "fast") app_.link().setTiming(LinkTiming::fast());
}

PromRun::~PromRun() {
    // The document may still disconnect through this run's prompt and settings; the
    // context gets its own back after that.
    document_.reset();
    app_.setPrompt(session_.prompt());
    app_.setSettings(settings_.base());
}

bool PromRun::connect(const LinkOptions& o) {
    bool connected = false;
    if (!o.tcp.empty()) {
        if (!isTcpIdCode(o.id)) {
            // The address dialog's own check: the code never reaches the panel.
            app_.prompt().show(MessageId::BadProductId, {}, MessageKind::Stop);
            ctx_.exitCode = kExitRefused;
            return false;
        }
        const std::size_t colon = o.tcp.rfind(':');
        connected =
            document_->ConnectTcpCommand(o.tcp.substr(0, colon), o.tcp.substr(colon + 1), o.id);
    } else if (!o.modem.empty()) {
        settings_.replace(setting::kRemotePort, o.modem);
        connected = document_->ConnectModemCommand(o.phone, o.id);
    } else {
        connected = document_->OpenLocalPort(o.serial);
    }
    if (!connected) ctx_.exitCode = kExitRefused;
    return connected;
}

bool PromRun::transfer(bool started) {
    if (!started) return false;
    {
        // A cancel still queued when the document goes may run while it waits for its
        // worker; by then there is nothing left to cancel.
        InterruptCancel interrupt(queue_, [this] {
            if (document_) document_->CancelFromProgress();
        });
        queue_.runUntil([this] { return document_->CommActive() == PromDocument::kIdle; });
        interrupted_ = interrupted_ || interrupt.interrupted();
    }
    return document_->lastResult() > 0;
}

void PromRun::disconnect() {
    if (document_->LinkInUse()) document_->Disconnect();
}

}  // namespace loom::cli
