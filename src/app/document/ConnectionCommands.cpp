#include "document/ConnectionCommands.h"

#include "context/AppContext.h"
#include "dialogs/DialogParts.h"
#include "dialogs/IpAddressDialog.h"
#include "dialogs/ModemDialog.h"
#include "dialogs/PortDialog.h"
#include "document/PromDocument.h"
#include "link/PortChoices.h"
#include "platform/PosixSerialDevices.h"
#include "platform/Settings.h"

namespace loom {

bool runPortDialog(AppContext& context, const PromDocument& document, QWidget* parent) {
    PosixSerialDevices devices;
    PortDialog dialog(
        PortChoices::read(context.link(), devices, context.settings(), document.SerialPortInUse()),
        parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    dialog.choices().store(context.settings());
    return true;
}

bool runConnectModem(PromDocument& document, QWidget* parent) {
    if (!document.CanConnect()) return false;
    ModemDialog dialog(document.modemPhone(), document.modemIdCode(), parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    dialogparts::WaitCursor wait;
    return document.ConnectModemCommand(dialog.phone(), dialog.idCode());
}

bool runConnectTcp(PromDocument& document, AppContext& context, QWidget* parent) {
    if (!document.CanConnect()) return false;
    IpAddressDialog dialog(context.settings(), context.prompt(), parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    const Settings settings(context.settings());
    dialogparts::WaitCursor wait;
    return document.ConnectTcpCommand(settings.text(setting::kIpAddress),
                                      settings.text(setting::kIpPort), dialog.idCode());
}

bool runDisconnect(PromDocument& document) {
    dialogparts::WaitCursor wait;
    return document.Disconnect();
}

}  // namespace loom
