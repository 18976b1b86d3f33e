#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "archive/PasswordFile.h"
#include "core/archive/SecurityHome.h"
#include "support/NoTerminal.h"
#include "support/RunCli.h"
#include "support/ScopedEnv.h"

namespace loom {
namespace {

using test::CliRun;
using test::runCli;
using test::ScopedEnv;
using Users = std::vector<std::pair<std::string, std::string>>;

const std::string kMissingNew =
    "fel: inget lösenord: sätt LOOMCRAFT_NEW_PASSWORD eller kör kommandot på en terminal\n";
const std::string k122(122, 'x');
const std::string k125(125, 'x');

// A home with the system password "sys" and the users anna / hemlig and bo / b, logged in
// as anna. Nobody is at the terminal.
class UserCommandsTest : public ::testing::Test {
  protected:
    UserCommandsTest()
        : settings_("LOOMCRAFT_SETTINGS", home_.dir.path("settings.ini")),
          homeEnv_("LOOMCRAFT_HOME", home_.dir.path("")),
          password_("LOOMCRAFT_PASSWORD", "hemlig") {
        home_.writeLoginKey(test::loginKeyOf("sys", kUsers));
    }

    // `newPassword` null: LOOMCRAFT_NEW_PASSWORD is not set.
    CliRun asAnna(std::vector<std::string> args, const char* newPassword) {
        ScopedEnv env("LOOMCRAFT_NEW_PASSWORD", newPassword);
        args.insert(args.begin(), {"--login", "anna"});
        return runCli(args);
    }
    Users users() {
        std::vector<std::string> names, passwords;
        EXPECT_TRUE(PasswordFile(home_.context).ReadUsers(names, passwords));
        Users out;
        for (std::size_t i = 0; i < names.size(); ++i)
            out.emplace_back(names[i], passwords[i]);
        return out;
    }

    const Users kUsers{{"anna", "hemlig"}, {"bo", "b"}};
    test::SecurityHome home_;
    test::NoTerminal noTerminal_;
    ScopedEnv settings_, homeEnv_, password_;
};

TEST_F(UserCommandsTest, UsersCommandsChangeTheListOrRefuseWritingNothing) {
    struct Case {
        std::vector<std::string> args;
        const char* newPassword;
        int code;
        std::string err;  // the start of stderr
        Users after;      // when it succeeds
    };
    const Case cases[] = {
        {{"users", "add", "Cecilia"},
         "c",
         0,
         "",
         {{"anna", "hemlig"}, {"bo", "b"}, {"Cecilia", "c"}}},
        {{"users", "remove", "bo"}, nullptr, 0, "", {{"anna", "hemlig"}}},
        {{"users", "passwd", "bo"}, "nytt", 0, "", {{"anna", "hemlig"}, {"bo", "nytt"}}},
        {{"users", "passwd", "anna"}, "", 0, "", {{"anna", ""}, {"bo", "b"}}},
        {{"users", "add", "anna"}, "x", 1, "fel: användaren finns redan: anna", {}},
        {{"users", "add", "a\tb"}, "x", 1, "fel: användarnamnet får inte innehålla tabbar", {}},
        {{"users", "add", "c"}, k125.c_str(), 1, "Användarnamn och lösenord får", {}},
        {{"users", "remove", "anna"}, nullptr, 1, "fel: du är inloggad som anna", {}},
        {{"users", "passwd", "Bo"}, "x", 1, "fel: ingen användare heter Bo", {}},
        {{"users", "passwd", "anna"}, k122.c_str(), 1, "Lösenordet är för långt.\nHögst 121", {}},
    };
    for (const Case& c : cases) {
        home_.writeLoginKey(test::loginKeyOf("sys", kUsers));
        const std::string before = home_.loginKeyBytes();
        const CliRun r = asAnna(c.args, c.newPassword);
        const std::string label = c.args[1] + " " + c.args[2];
        EXPECT_EQ(r.code, c.code) << label << ": " << r.err;
        EXPECT_EQ(r.err.substr(0, c.err.size()), c.err) << label;
        if (c.code == 0) {
            EXPECT_EQ(users(), c.after) << label;
        } else {
            EXPECT_EQ(home_.loginKeyBytes(), before) << label;
        }
    }
    // Names only, never a password.
    EXPECT_EQ(asAnna({"users", "list"}, nullptr).out, "anna\nbo\n");
}

TEST_F(UserCommandsTest, SystemPasswordChangeReenciphersAndNamesTheFilesItLeft) {
    home_.writeDataFile("A.KQD", "sys");
    home_.writeDataFile("C.KQD", "third");
    const std::string key = home_.loginKeyBytes();
    const std::string a = test::readFile(home_.dataFile("A.KQD"));
    for (const char* old : {"fel", static_cast<const char*>(nullptr)}) {
        ScopedEnv env("LOOMCRAFT_SYSTEM_PASSWORD", old);
        const CliRun r = asAnna({"system-password", "change"}, "neu");
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.err, old ? "Felaktigt lösenord.\n"
                             : "fel: inget lösenord: sätt LOOMCRAFT_SYSTEM_PASSWORD eller kör "
                               "kommandot på en terminal\n");
        EXPECT_EQ(home_.loginKeyBytes(), key);
        EXPECT_EQ(test::readFile(home_.dataFile("A.KQD")), a);
    }

    ScopedEnv old("LOOMCRAFT_SYSTEM_PASSWORD", "sys");
    const CliRun r = asAnna({"system-password", "change"}, "neu");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "Befintliga datafiler kommer att krypteras om.\ninte omkrypterad: C.KQD\n");
    std::string record0;
    EXPECT_TRUE(PasswordFile(home_.context).ReadSystemPassword(record0));
    EXPECT_EQ(record0, "neu");
    EXPECT_EQ(users(), kUsers);
    EXPECT_EQ(home_.dataFilePassword("A.KQD"), "neu");
    EXPECT_TRUE(home_.dataFileIntact("A.KQD"));
    EXPECT_EQ(home_.dataFilePassword("C.KQD"), "third");
}

TEST_F(UserCommandsTest, InitPreparesAHomeThatCanBeLoggedIntoAndRefusesAUsableOne) {
    const std::string fresh = home_.dir.path("new/home");
    auto init = [&](const std::string& login, const char* systemPassword) {
        ScopedEnv env("LOOMCRAFT_NEW_PASSWORD", systemPassword);
        return runCli({"--home", fresh, "--login", login, "init"});
    };
    EXPECT_EQ(init("", "s2").code, 2);
    EXPECT_EQ(init("ola", nullptr).err, kMissingNew);
    EXPECT_FALSE(std::filesystem::exists(fresh));

    const CliRun made = init("ola", "s2");
    ASSERT_EQ(made.code, 0) << made.err;
    EXPECT_EQ(made.out, fresh + "\n");
    for (const char* folder : {"FORMS", "FILES", "INDEX", "PICTURES", "HELP", "LOG", "Convert"})
        EXPECT_TRUE(std::filesystem::is_directory(fresh + "/" + folder)) << folder;
    const std::string key = test::readFile(fresh + "/LOGIN.KEY");
    EXPECT_EQ(key.size(), 256u);
    EXPECT_EQ(key.substr(0, 4), std::string("\0s2\0", 4));
    EXPECT_EQ(key.substr(128, 11), std::string("ola\0hemlig\0", 11));
    EXPECT_EQ(runCli({"--home", fresh, "--login", "ola", "users", "list"}).out, "ola\n");

    const CliRun again = init("per", "s3");
    EXPECT_EQ(again.code, 1);
    EXPECT_NE(again.err.find("har redan en användbar LOGIN.KEY"), std::string::npos);
    EXPECT_EQ(test::readFile(fresh + "/LOGIN.KEY"), key);
    // A faulty file is replaced, as the program would replace it.
    std::filesystem::resize_file(fresh + "/LOGIN.KEY", 129);
    EXPECT_EQ(init("per", "s3").code, 0);
    EXPECT_EQ(test::readFile(fresh + "/LOGIN.KEY").substr(128, 4), std::string("per\0", 4));
}

TEST_F(UserCommandsTest, HomeSaysWhereTheProgramDirectoryCameFrom) {
    EXPECT_EQ(runCli({"home", "--home", "/srv/x"}).out, "/srv/x\nkälla: --home\n");
    EXPECT_EQ(runCli({"home"}).out, home_.dir.path("") + "\nkälla: LOOMCRAFT_HOME\n");
}

}  // namespace
}  // namespace loom
