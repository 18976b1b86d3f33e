#pragma once

#include <algorithm>

namespace loom {

// The link's waits and pauses. The defaults are the panel's: tests shorten them to run
// the same exchanges quickly; the program never changes them.
struct LinkTiming {
    int unitMs = 7000;            // one timeout unit
    int wholeMs = 1000;           // waits count elapsed time in whole steps of this
    int frameGapMs = 30;          // after each written frame and ack byte
    int retryPauseMs = 500;       // before sending a frame again
    int modemByteMs = 30;         // before each modem command byte
    int modemLineMs = 1000;       // after each modem command line
    int modemDialMs = 3000;       // before the dial line, and after "+++"
    int flushPauseMs = 500;       // between the reads that drain a TCP link
    int ackWaitMs = 7000;         // one WaitAck
    int probeIdleMs = 60000;      // silence before the first supervision probe
    int probeAnswerMs = 30000;    // silence before the next probe, and before giving up
    int supervisionPollMs = 500;  // AwaitSupervisionAck's pause between reads
    int probeWriteMs = 200;       // longest a supervision probe waits for room on the line
    int continuePollMs = 100;     // longest wait for the document's go-ahead at a time
    int waitNoticeMs = 5000;      // the panel's silence before the user is told of the wait
    int noticeStepMs = 1000;      // the wait notice counts in these ("seconds")

    // Fast waits for tests: units of `unit` ms counted in whole milliseconds, no pauses.
    static LinkTiming fast(int unit = 300) {
        LinkTiming t;
        t.unitMs = unit;
        t.wholeMs = 1;
        t.frameGapMs = 0;
        t.retryPauseMs = 0;
        t.modemByteMs = 0;
        t.modemLineMs = 0;
        t.modemDialMs = 0;
        t.flushPauseMs = 10;
        t.ackWaitMs = unit;
        t.supervisionPollMs = 10;
        t.continuePollMs = 10;
        // As in the real timing, the notice comes after five of its steps: here a unit.
        t.noticeStepMs = std::max(unit / 5, 1);
        t.waitNoticeMs = 5 * t.noticeStepMs;
        return t;
    }
};

}  // namespace loom
