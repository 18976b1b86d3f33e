#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/NoTerminal.h"
#include "support/RunCli.h"

namespace loom {
namespace {

using test::CliRun;
using test::cliText;
using test::runCli;
using test::ScopedEnv;

// Nobody is at the terminal: new passwords come from LOOMCRAFT_NEW_PASSWORD.
class UserCommandsTest : public test::CliHome {
  protected:
    test::NoTerminal noTerminal_;
};

TEST_F(UserCommandsTest, UsersCommandsChangeTheListOrRefuse) {
    const struct {
        std::vector<std::string> args;
        const char* newPassword;
        int code;
        std::string list;  // "users list" afterwards
    } steps[] = {
        {{"users", "add", "bo"}, "b", 0, "anna\nbo\n"},
        {{"users", "add", "anna"}, "x", 1, "anna\nbo\n"},
        {{"users", "passwd", "bo"}, "nytt", 0, "anna\nbo\n"},
        {{"users", "remove", "anna"}, nullptr, 1, "anna\nbo\n"},  // logged in as anna
    };
    for (const auto& s : steps) {
        ScopedEnv env("LOOMCRAFT_NEW_PASSWORD", s.newPassword);
        const CliRun r = asAnna(s.args);
        EXPECT_EQ(r.code, s.code) << s.args[1] << " " << s.args[2] << ": " << r.err;
        EXPECT_EQ(asAnna({"users", "list"}).out, s.list) << s.args[1] << " " << s.args[2];
    }
    ScopedEnv bo("LOOMCRAFT_PASSWORD", "nytt");
    EXPECT_EQ(runCli({"--login", "bo", "users", "remove", "anna"}).code, 0);
    EXPECT_EQ(runCli({"--login", "bo", "users", "list"}).out, "bo\n");
}

TEST_F(UserCommandsTest, SystemPasswordChangeNamesTheFilesItLeft) {
    saveSystem(home_ + "/FILES/C.KQD", {}, "T", 0, "third");
    ScopedEnv newPassword("LOOMCRAFT_NEW_PASSWORD", "neu");
    ScopedEnv old("LOOMCRAFT_SYSTEM_PASSWORD", "sys");
    const CliRun r = asAnna({"system-password", "change"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, cliText(MessageId::Reencipher) + "\ninte omkrypterad: C.KQD\n");
}

// "home" says where the program directory came from.
TEST_F(UserCommandsTest, InitPreparesAHomeThatCanBeLoggedIntoAndRefusesAUsableOne) {
    const std::string fresh = dir_.path("new/home");
    auto init = [&](const std::string& login, const char* systemPassword) {
        ScopedEnv env("LOOMCRAFT_NEW_PASSWORD", systemPassword);
        return runCli({"--home", fresh, "--login", login, "init"});
    };
    EXPECT_EQ(init("ola", nullptr).code, 1);
    EXPECT_FALSE(std::filesystem::exists(fresh));

    const CliRun made = init("ola", "s2");
    ASSERT_EQ(made.code, 0) << made.err;
    EXPECT_EQ(made.out, fresh + "\n");
    EXPECT_EQ(runCli({"--home", fresh, "--login", "ola", "users", "list"}).out, "ola\n");

    EXPECT_EQ(init("per", "s3").code, 1);
    EXPECT_EQ(runCli({"home", "--home", "/srv/x"}).out, "/srv/x\nkälla: --home\n");
    EXPECT_EQ(runCli({"home"}).out, home_ + "\nkälla: LOOMCRAFT_HOME\n");
}

}  // namespace
}  // namespace loom
