#pragma once

#include <cstdint>

namespace loom::panelsim {

// What the panel has seen and done since it started.
struct PanelCounters {
    std::uint64_t connections = 0;     // TCP accepts, modem carriers, serial port openings
    std::uint64_t framesReceived = 0;  // 21-byte host frames, good or bad
    std::uint64_t badChecksums = 0;
    std::uint64_t repetitions = 0;  // frames acknowledged again without acting
    std::uint64_t acksSent = 0;
    std::uint64_t naksSent = 0;
    std::uint64_t framesSent = 0;  // each transmission, resends included
    std::uint64_t resends = 0;
    std::uint64_t sendsGivenUp = 0;
    std::uint64_t acksReceived = 0;
    std::uint64_t naksReceived = 0;
    std::uint64_t partialFrames = 0;  // frame starts thrown away
    std::uint64_t loginsAccepted = 0;
    std::uint64_t loginsRefused = 0;
    std::uint64_t identitiesSent = 0;
    std::uint64_t erases = 0;
    std::uint64_t blocksWritten = 0;  // 0x04 blocks stored
    std::uint64_t blocksRead = 0;     // 0x02 PROM blocks acknowledged by the host
    std::uint64_t logBlocksRead = 0;  // 0x21 log blocks acknowledged by the host
    std::uint64_t timestamps = 0;
    std::uint64_t endOfConnection = 0;  // 0xA0
    std::uint64_t drops = 0;            // connections closed by drop-after-blocks
    std::uint64_t imageSaves = 0;
};

}  // namespace loom::panelsim
