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

// On a terminal the wait stands beside the status text, redrawn each second, and goes
// when the panel answers.
TEST(ProgressPrinter, TheBarLineShowsTheWaitUntilThePanelAnswers) {
    std::ostringstream err;
    ProgressPrinter printer(err, true);
    printer.openProgress(false, "Skriver");
    printer.setWaiting(5, waitText(5));
    EXPECT_TRUE(err.str().ends_with("Skriver wait 5")) << err.str();
    printer.setWaiting(6, waitText(6));
    EXPECT_TRUE(err.str().ends_with("Skriver wait 6")) << err.str();
    printer.setWaiting(0, "");
    EXPECT_TRUE(err.str().ends_with("% Skriver")) << err.str();
}

}  // namespace
}  // namespace loom::cli
