#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CliVersion.h"
#include "support/RunCli.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace loom {
namespace {

using test::CliRun;
using test::runCli;

TEST(CliBasics, UnknownCommandsVersionAndTheGlobalOptionsInEveryLeafsHelp) {
    const std::string hint = " --help för att se kommandona.\n";
    CliRun r = runCli({"frobnicate"});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err, "fel: okänt kommando: frobnicate\nKör loomcraft-cli" + hint);
    r = runCli({"--login", "x", "users", "frobnicate"});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err, "fel: okänt kommando: frobnicate\nKör loomcraft-cli users" + hint);
    // A leaf command's stray argument is no unknown command.
    EXPECT_EQ(runCli({"settings", "get", "a", "b"}).err.find("okänt"), std::string::npos);

    r = runCli({"--version"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, std::string("loomcraft-cli ") + LOOM_VERSION + "\n");

    using Words = std::vector<std::string>;
    for (Words leaf : {Words{"home"}, Words{"system-password", "change"}}) {
        leaf.push_back("--help");
        r = runCli(leaf);
        EXPECT_NE(r.out.find("Global options, before or after the command words: --home DIR"),
                  std::string::npos)
            << leaf[0];
        EXPECT_NE(r.out.find("--login NAME"), std::string::npos) << leaf[0];
    }
}

TEST(CliBasics, SettingsSetWritesOnlyValuesTheSettingTakes) {
    test::TempDir dir;
    test::ScopedEnv settings("LOOMCRAFT_SETTINGS", dir.path("settings.ini"));
    struct Case {
        std::string name, value;
        int code;
        std::string stored, err;
    };
    const Case cases[] = {
        {"ComputerID", "q", 0, "Q", ""},
        {"Column", "201", 1, "40", "fel: Column måste vara ett heltal från 20 till 200.\n"},
        {"LocalPort", "COM10", 1, "COM2",
         "fel: LocalPort måste vara en av COM1 till COM9 eller sökvägen till en enhet, t ex "
         "/dev/ttyUSB0.\n"},
    };
    for (const Case& c : cases) {
        const CliRun r = runCli({"settings", "set", c.name, c.value});
        EXPECT_EQ(r.code, c.code) << c.name << " " << c.value;
        EXPECT_EQ(r.err, c.err) << c.value;
        EXPECT_EQ(runCli({"settings", "get", c.name}).out, c.stored + "\n") << c.name;
    }
    const CliRun unknown = runCli({"settings", "set", "Colour", "1"});
    EXPECT_EQ(unknown.code, 2);
    EXPECT_EQ(unknown.err,
              "fel: det finns ingen inställning som heter Colour (se settings list)\n");
}

}  // namespace
}  // namespace loom
