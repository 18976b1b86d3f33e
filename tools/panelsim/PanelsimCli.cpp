#include "PanelsimCli.h"

#include <CLI/CLI.hpp>

#include <fstream>
#include <memory>
#include <optional>

#include "PanelFiles.h"
#include "PanelSimulator.h"
#include "archive/FileId.h"

namespace loom::panelsim {
namespace {

constexpr const char* kDescription =
    "loomcraft-panelsim: a simulated alarm panel for tests, demos and training.\n"
    "It speaks the panel's protocol (21-byte frames, ACK 0x06 / NAK 0x15 bytes) on TCP,\n"
    "on a pseudo-terminal as a local serial port and on a pseudo-terminal behind a Hayes\n"
    "modem; several at once, one connection after another, until SIGINT or SIGTERM.\n"
    "SIGUSR1 presses the panel's reset button: it sends its identity (0x80) unasked.";

constexpr const char* kFooter =
    R"(Output on stdout, one line each, in this order, then "ready" (flushed):
  tcp 127.0.0.1:PORT
  serial /dev/pts/N
  modem /dev/pts/M

The panel:
  0x91 login: ACK, then 0x93 for the right ID code, else 0x92. Over TCP and the modem
       nothing but 0x91, 0x44 and 0xA0 is obeyed before a good login: other frames get
       NAK. A local serial link needs no login.
  0x90 identity: ACK, then 0x80 with the 16 identity bytes; the address word is 1 with
       --keep-alive, else 0.
  0x06 erase: ACK, the erase delay, an empty PROM, then 0x07.
  0x04 write: stored, then ACK; a block beyond the 128 KiB PROM gets NAK.
  0x0A time stamp: kept, ACK; a changed PROM is written to the image file.
  0x01, 0x30 read: ACK, one 0x02 per non-erased block in address order, then 0x03.
  0x20 log read: ACK, a 0x02 block with the product text (identity bytes 8-15) and the
       file identifier's 8-byte form in bytes 8-15 (0x03 without --file-id), the log
       newest first as 0x21 frames numbered 0, 1, 2 ... (at most 256), then 0x22.
  0x44 probe: a bare ACK.  0xA0 end of connection: ACK; the login is forgotten.
  A bad checksum gets NAK. A frame equal to the one before, with no panel frame in
  between, is a repetition: ACK again, nothing done. Each panel frame waits up to 2 s for
  the host's ACK and is sent again on NAK or silence, 7 times at most; then the operation
  is given up. A byte other than ACK or NAK in that wait starts the host's next frame.
  The start of a frame followed by 100 ms of silence is thrown away.

The modem answers with numeric result codes and no echo: "0\r" to any AT command,
"4\r" to a line without AT, "1\r" 200 ms after ATD..., "3\r" when the panel hangs up.
In data mode "+++" and 1 s of silence return to command mode ("0\r"); ATH ends the call,
ATO goes back on line. The panel needs the 0x91 login on each call.

Files:
  --image: one line per non-erased block, "AAAAA" (5 hex digits, a multiple of 16
       below 20000) a blank and 32 hex digits, in address order: what
       "loomcraft-cli data image" prints. '#' lines and blank lines are skipped. A missing
       file is an erased PROM. After a session that changed the PROM (end of connection,
       hang-up, time stamp, exit) the file is replaced atomically.
  --log: one record a line, 32 hex digits, oldest first (LF or CR LF), as the program's
       LOG files.
  --transcript: one line per frame or byte, both ways: sender ("host " or "panel"),
       "frame TT WWWW <32 hex data> ok|bad", "ack", "nak", "byte HH", "partial HEX",
       "modem TEXT", "note TEXT".

Faults (--fault, repeatable):
  nak-every=N         NAK every Nth received frame, even a good one
  duplicate-every=N   send every Nth outgoing frame twice back to back, one ACK awaited
  corrupt-every=N     spoil the checksum of every Nth outgoing frame
  drop-after-blocks=N after N PROM or log blocks of one operation, hang up (TCP: close;
                      modem: NO CARRIER; serial: the panel forgets the operation)
  silent-after-blocks=N after N PROM or log blocks of one operation, answer nothing (no
                      ACK, no frame) until the host sends another command
  no-identity         ACK 0x90, never answer
  unasked-identity    ACK 0x90 only; send 0x80 on its own 300 ms after a connection
                      opens (serial: the program's purge when it opens the port) and after
                      each finished login, write, read or log read
Outgoing frames count every transmission, resends included.)";

struct Options {
    std::optional<int> tcpPort;
    bool serial = false;
    bool modem = false;
    std::string image;
    std::optional<std::string> identity;
    std::string idCode = "123456";
    std::string log;
    std::string fileId;
    bool keepAlive = false;
    int eraseDelayMs = 0;
    int baud = 0;
    bool sendAllBlocks = false;
    std::string transcript;
    std::vector<std::string> faults;
};

// The checked options as the panel's configuration; false after a message on `err`.
bool buildConfig(const Options& o, PanelConfig& config, std::ostream& err) {
    std::string error;
    PanelSettings& s = config.settings;
    if (o.identity && !parseIdentity(*o.identity, s.identity, error)) {
        err << "error: " << error << '\n';
        return false;
    }
    if (!isValidIdCode(o.idCode)) {
        err << "error: --id-code takes up to six decimal digits\n";
        return false;
    }
    s.idCode = o.idCode;
    if (!o.fileId.empty() && (!IsWellFormedFileId(o.fileId) || FileIdToBytes(o.fileId).empty())) {
        err << "error: not a file identifier: " << o.fileId << '\n';
        return false;
    }
    s.fileId = o.fileId;
    for (const std::string& f : o.faults)
        if (!parseFault(f, s.faults, error)) {
            err << "error: " << error << '\n';
            return false;
        }
    s.keepAlive = o.keepAlive;
    s.eraseDelayMs = o.eraseDelayMs;
    s.baud = o.baud;
    s.sendAllBlocks = o.sendAllBlocks;
    return true;
}

bool loadFiles(const Options& o, PanelConfig& config, std::ostream& err) {
    std::string error;
    if (!o.image.empty()) {
        if (!loadImageFile(o.image, config.image, error)) {
            err << "error: " << error << '\n';
            return false;
        }
        config.imageFile = o.image;
    }
    if (!o.log.empty() && !loadLogFile(o.log, config.log, error)) {
        err << "error: " << error << '\n';
        return false;
    }
    return true;
}

}  // namespace

int runPanelsim(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                const std::function<void(PanelSimulator&)>& serve) {
    CLI::App app(kDescription, "loomcraft-panelsim");
    app.footer(kFooter);
    Options o;
    app.add_option("--tcp", o.tcpPort, "Listen on 127.0.0.1:PORT (0 picks a free port)")
        ->check(CLI::Range(0, 65535));
    app.add_flag("--serial", o.serial, "A pseudo-terminal as the panel's local serial port");
    app.add_flag("--modem", o.modem, "A pseudo-terminal with a Hayes modem before the panel");
    app.add_option("--image", o.image, "The PROM image file (read at start, written back)");
    app.add_option("--identity", o.identity,
                   "The 16 identity bytes; \\xHH for any byte, zero bytes fill up to 16 "
                   "(default \"GL 200\\x00\\x00\\x00\\x00\\x00\\x00\\x001.0\")");
    app.add_option("--id-code", o.idCode, "The ID code the login must carry (default 123456)");
    app.add_option("--log", o.log, "The event log file");
    app.add_option("--file-id", o.fileId,
                   "The installation's file identifier (8 characters) for log reads");
    app.add_flag("--keep-alive", o.keepAlive, "Report keep-alive in the identity frame");
    app.add_option("--erase-delay", o.eraseDelayMs, "Milliseconds the erase takes")
        ->check(CLI::Range(0, 600000));
    app.add_option("--baud", o.baud, "Emulated wire speed, 10 bits a byte (0: none)")
        ->check(CLI::Range(0, 1000000));
    app.add_flag("--send-all-blocks", o.sendAllBlocks,
                 "A PROM read sends all 8192 blocks, erased ones too");
    app.add_option("--transcript", o.transcript, "Write every frame and byte to this file");
    app.add_option("--fault", o.faults, "A fault by name, see below (repeatable)")
        ->allow_extra_args(false);
    try {
        std::vector<std::string> reversed(args.rbegin(), args.rend());
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        return kExitOk;
    } catch (const CLI::ParseError& e) {
        err << "error: " << e.what() << '\n';
        return kExitUsage;
    }
    if (!o.tcpPort && !o.serial && !o.modem) {
        err << "error: give at least one of --tcp, --serial and --modem\n";
        return kExitUsage;
    }
    PanelConfig config;
    if (!buildConfig(o, config, err)) return kExitUsage;
    if (!loadFiles(o, config, err)) return kExitFailed;

    std::ofstream transcript;
    if (!o.transcript.empty()) {
        transcript.open(o.transcript, std::ios::binary | std::ios::trunc);
        if (!transcript) {
            err << "error: cannot write " << o.transcript << '\n';
            return kExitFailed;
        }
    }
    PanelSimulator panel(std::move(config));
    if (transcript.is_open())
        panel.setTranscriptSink([&transcript](const std::string& line) {
            transcript << line << '\n';
            transcript.flush();
        });
    std::string error;
    if (o.tcpPort) {
        const auto port = panel.startTcp(static_cast<std::uint16_t>(*o.tcpPort), &error);
        if (!port) {
            err << "error: " << error << '\n';
            return kExitFailed;
        }
        out << "tcp 127.0.0.1:" << *port << '\n';
    }
    if (o.serial) {
        const auto path = panel.startSerial(&error);
        if (!path) {
            err << "error: " << error << '\n';
            return kExitFailed;
        }
        out << "serial " << *path << '\n';
    }
    if (o.modem) {
        const auto path = panel.startModem(&error);
        if (!path) {
            err << "error: " << error << '\n';
            return kExitFailed;
        }
        out << "modem " << *path << '\n';
    }
    out << "ready" << std::endl;
    serve(panel);
    panel.stop();
    return kExitOk;
}

}  // namespace loom::panelsim
