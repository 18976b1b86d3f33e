#pragma once

class QWidget;

namespace loom {

class AppContext;
class PromDocument;

// The frame's commands of "Uppkoppling" and "Port...": each shows its dialog over
// `parent` and runs the core's command with what the user chose. Connecting shows the
// wait cursor until the core returns; the core tells the user how it went.

// 32806 "Port...": dialog 132 over this machine's serial ports. True when OK stored.
bool runPortDialog(AppContext& context, const PromDocument& document, QWidget* parent);
// 32842 "Koppla upp via Modem": dialog 200, then the dial. Nothing while a link is up.
bool runConnectModem(PromDocument& document, QWidget* parent);
// 32846 "Koppla upp via TCP/IP": "Ange IP-Adress", then the connect to the stored address
// and port. Nothing while a link is up.
bool runConnectTcp(PromDocument& document, AppContext& context, QWidget* parent);
// 32787 "Koppla ner": the panel's goodbye (which waits for its answer) and the close.
bool runDisconnect(PromDocument& document);

}  // namespace loom
