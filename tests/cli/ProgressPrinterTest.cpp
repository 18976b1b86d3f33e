#include "ProgressPrinter.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace loom::cli {
namespace {

std::string waitText(int seconds) {
    return "wait " + std::to_string(seconds);
}

// Without a terminal the wait gets a line when it begins and then one every five seconds
// at most; the status text comes again once the panel answers.
TEST(ProgressPrinter, WaitLinesWithoutATerminalStayFew) {
    std::ostringstream err;
    ProgressPrinter printer(err, false);
    printer.openProgress(false, "");
    printer.setStatusText("Skriver");
    err.str("");
    for (const int seconds : {5, 6, 9, 10, 14, 15, 0})
        printer.setWaiting(seconds, seconds ? waitText(seconds) : "");
    printer.setWaiting(0, "");  // nothing shown: nothing to take back
    EXPECT_EQ(err.str(), "wait 5\nwait 10\nwait 15\nSkriver\n");
}

}  // namespace
}  // namespace loom::cli
