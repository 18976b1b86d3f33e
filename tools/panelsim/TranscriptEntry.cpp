#include "TranscriptEntry.h"

namespace loom::panelsim {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";

void appendHex(std::string& out, std::uint8_t b) {
    out += kHex[b >> 4];
    out += kHex[b & 0x0F];
}

}  // namespace

std::string TranscriptEntry::line() const {
    std::string out = from == From::Host ? "host  " : "panel ";
    switch (what) {
        case What::Frame: {
            out += "frame ";
            appendHex(out, frame[0]);
            out += ' ';
            appendHex(out, frame[1]);
            appendHex(out, frame[2]);
            out += ' ';
            for (std::size_t i = 3; i < 19; ++i)
                appendHex(out, frame[i]);
            out += checksumOk ? " ok" : " bad";
            break;
        }
        case What::Ack:
            out += "ack";
            break;
        case What::Nak:
            out += "nak";
            break;
        case What::Byte:
            out += "byte " + text;
            break;
        case What::Partial:
            out += "partial " + text;
            break;
        case What::Modem:
            out += "modem " + text;
            break;
        case What::Note:
            out += "note " + text;
            break;
    }
    return out;
}

}  // namespace loom::panelsim
