#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "CliVersion.h"
#include "support/RunCli.h"

namespace loom {
namespace {

using test::CliRun;
using test::runCli;

TEST(CliBasics, UnknownCommandsWrongHomeVersionAndTheGlobalOptionsInEveryLeafsHelp) {
    CliRun r = runCli({"--login", "x", "users", "frobnicate"});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err,
              "fel: okänt kommando: frobnicate\nKör loomcraft-cli users --help för att se "
              "kommandona.\n");
    // A home that is none is named as such and left alone.
    const test::TempDir dir;
    r = runCli({"--home", dir.path("typo"), "index", "rebuild"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.starts_with(test::cliText(MessageId::NotAProgramDirectory))) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.path("typo")));
    r = runCli({"--version"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, std::string("loomcraft-cli ") + LOOM_VERSION + "\n");
    r = runCli({"system-password", "change", "--help"});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(test::contains(r.out,
                               "Global options, before or after the command words: "
                               "--home DIR"));
}

}  // namespace
}  // namespace loom
