#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "CliVersion.h"
#include "ProgressPrinter.h"
#include "support/RunCli.h"

namespace loom {
namespace {

using test::CliRun;
using test::runCli;

TEST(CliBasics, UnknownCommandsVersionAndTheGlobalOptionsInEveryLeafsHelp) {
    CliRun r = runCli({"--login", "x", "users", "frobnicate"});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err,
              "fel: okänt kommando: frobnicate\nKör loomcraft-cli users --help för att se "
              "kommandona.\n");
    r = runCli({"--version"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, std::string("loomcraft-cli ") + LOOM_VERSION + "\n");
    r = runCli({"system-password", "change", "--help"});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(test::contains(r.out,
                               "Global options, before or after the command words: "
                               "--home DIR"));
}

TEST(CliBasics, SettingsSetWritesOnlyValuesTheSettingTakes) {
    test::TempDir dir;
    test::ScopedEnv settings("LOOMCRAFT_SETTINGS", dir.path("settings.ini"));
    const struct {
        std::string name, value;
        int code;
        std::string stored;
    } cases[] = {{"ComputerID", "q", 0, "Q"}, {"Column", "201", 1, "40"}, {"Colour", "1", 2, ""}};
    for (const auto& c : cases) {
        const CliRun r = runCli({"settings", "set", c.name, c.value});
        EXPECT_EQ(r.code, c.code) << c.name << " " << r.err;
        if (c.code < 2) {
            EXPECT_EQ(runCli({"settings", "get", c.name}).out, c.stored + "\n");
        }
    }
}

// Without a terminal the wait gets a line when it begins and then one every five seconds
// at most; the status text comes again once the panel answers.
TEST(ProgressPrinter, WaitLinesWithoutATerminalStayFew) {
    std::ostringstream err;
    cli::ProgressPrinter printer(err, false);
    printer.openProgress(false, "");
    printer.setStatusText("Skriver");
    err.str("");
    for (const int seconds : {5, 6, 9, 10, 14, 15, 0})
        printer.setWaiting(seconds, seconds ? "wait " + std::to_string(seconds) : "");
    printer.setWaiting(0, "");  // nothing shown: nothing to take back
    EXPECT_EQ(err.str(), "wait 5\nwait 10\nwait 15\nSkriver\n");
}

}  // namespace
}  // namespace loom
