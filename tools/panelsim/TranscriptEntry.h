#pragma once

#include <cstdint>
#include <string>

#include "link/LinkMessage.h"

namespace loom::panelsim {

// One thing that crossed the wire, or a note on what the panel did about it.
struct TranscriptEntry {
    enum class From { Host, Panel };
    enum class What {
        Frame,    // 21 bytes: `frame`, `checksumOk`
        Ack,      // a bare 0x06
        Nak,      // a bare 0x15
        Byte,     // a host byte where an ACK or NAK was due: `text` in hex
        Partial,  // the start of a frame that stopped coming, thrown away: `text` in hex
        Modem,    // a modem command line or result code: `text`
        Note,     // what the panel did: `text`
    };

    From from = From::Panel;
    What what = What::Note;
    LinkMessage::Frame frame{};
    bool checksumOk = true;
    std::string text;

    std::uint8_t type() const { return frame[0]; }
    std::uint16_t addressWord() const {
        return static_cast<std::uint16_t>(frame[1] << 8 | frame[2]);
    }

    // One line, the sender first, padded to one width:
    //   "host  frame 91 0000 12345600000000000000000000000000 ok"
    //   "panel ack", "host  nak", "host  byte 3F", "host  partial 2B2B2B",
    //   "host  modem ATDT 5551234", "panel modem 1", "panel note gave up after 8 sends"
    std::string line() const;
};

}  // namespace loom::panelsim
