#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fields/PromImage.h"

namespace loom::panelsim {

using LogRecord = std::array<std::uint8_t, 16>;
using Identity = std::array<std::uint8_t, 16>;

// The simulated PROM holds 128 KiB; blocks beyond are refused.
inline constexpr std::uint32_t kPromSize = 0x20000;
// A log read carries at most this many records, numbered 0-255.
inline constexpr std::size_t kMaxLogBlocks = 256;

// Named misbehaviours, to drive the program's retry and give-up paths.
struct PanelFaults {
    unsigned nakEvery = 0;        // NAK every Nth received frame, even a good one
    unsigned duplicateEvery = 0;  // send every Nth outgoing frame twice back to back
    unsigned corruptEvery = 0;    // spoil the checksum of every Nth outgoing frame
    // Hang up after this many PROM or log blocks sent or received in one operation.
    std::optional<unsigned> dropAfterBlocks;
    // Fall silent after this many PROM or log blocks of one operation: no ACK, no frame,
    // the connection kept, until the host starts another operation.
    std::optional<unsigned> silentAfterBlocks;
    bool noIdentity = false;       // ACK 0x90, never answer
    bool unaskedIdentity = false;  // ACK 0x90 only; the identity comes on its own
};

// Adds one fault given by name ("nak-every=3", "no-identity", ...); false with `error`.
bool parseFault(std::string_view text, PanelFaults& faults, std::string& error);

// The panel's waits. The defaults suit the program's own timeouts.
struct PanelTimings {
    int ackTimeoutMs = 2000;  // wait for the host's ACK of one frame
    int resends = 7;          // after NAK or silence; then the operation is given up
    // A frame that stops arriving for this long is thrown away, so a stray byte (an ACK
    // that came too late) cannot shift every later frame.
    int frameGapMs = 100;
    int unaskedIdentityDelayMs = 300;  // before an identity sent on its own
    int modemConnectDelayMs = 200;     // between the dial command and CONNECT
    int modemGuardMs = 1000;           // silence after "+++" before command mode
    int writeStallMs = 5000;           // a host that takes nothing for this long is gone
};

struct PanelSettings {
    Identity identity = defaultIdentity();
    std::string idCode = "123456";
    std::string fileId;  // the installation's FileId; empty when the panel has none
    bool keepAlive = false;
    int eraseDelayMs = 0;
    int baud = 0;  // emulated wire speed, 10 bits a byte; 0: no delay
    bool sendAllBlocks = false;
    PanelFaults faults;
    PanelTimings timings;

    // "GL 200" (a demo template's model), zero bytes to 13 characters, version "1.0".
    static Identity defaultIdentity();
};

struct PanelConfig {
    PanelSettings settings;
    PromImage image;
    std::vector<LogRecord> log;  // oldest first
    // Where the PROM is written back after a session that changed it; empty: nowhere.
    std::filesystem::path imageFile;
};

// An identity text: bytes as given, "\xHH" for any byte and "\\" for a backslash, zero
// bytes after it up to 16. False with `error` when longer than 16 bytes or malformed.
bool parseIdentity(std::string_view text, Identity& identity, std::string& error);
// The identity as a text parseIdentity reads back (printable bytes as they are).
std::string identityText(const Identity& identity);
// Up to six decimal digits.
bool isValidIdCode(std::string_view text);

}  // namespace loom::panelsim
