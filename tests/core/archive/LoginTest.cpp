#include "archive/LoginController.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "archive/PasswordChecks.h"
#include "archive/UsersList.h"
#include "support/TestHome.h"

namespace loom {
namespace {

using test::Lines;
using test::text;
using test::Users;
using Typed = test::ScriptedDialogs::Typed;

const std::string m43 = text(MessageId::WrongPassword), m44 = text(MessageId::PasswordsDiffer),
                  m46 = text(MessageId::PasswordFileNotCreated),
                  m47 = text(MessageId::PasswordFileCreated),
                  m49 = text(MessageId::CreatePasswordFile), m77 = text(MessageId::Reencipher);

std::string tooLong(int max) {
    return text(MessageId::PasswordTooLong, {std::int64_t{max}});
}

class LoginTest : public ::testing::Test {
  protected:
    test::TestHome home;
    LoginController login{home.context};

    // One showing of the users dialog that adds a user and ends with OK.
    std::function<bool()> addUser(std::string name, std::string password) {
        return [this, name, password] {
            UsersList list(home.context);
            if (!list.open()) return false;
            list.add(name, password);
            return list.commit();
        };
    }
};

TEST_F(LoginTest, FreshInstallCreatesRecord0ReenciphersAndLetsUsersBeAddedWithoutPrompt) {
    home.writeDataFile("A1.KQD", "");
    home.prompt.answers = {Answer::Yes};
    home.dialogs.typeNewPassword("Hemligt");

    ASSERT_TRUE(login.open());
    EXPECT_EQ(home.loginSystemPassword(), "Hemligt");
    EXPECT_EQ(home.context.systemPassword(), "Hemligt");
    ASSERT_EQ(home.dialogs.changeRequests.size(), 1u);
    EXPECT_EQ(home.dialogs.changeRequests[0].userName,
              std::string(messageText(MessageId::SystemPasswordName)));
    EXPECT_FALSE(home.dialogs.changeRequests[0].checkOld);
    EXPECT_EQ(home.prompt.texts(), (Lines{m49, m77, m47}));
    EXPECT_EQ(home.dataFilePassword("A1.KQD"), "Hemligt");
    EXPECT_TRUE(home.dataFileIntact("A1.KQD"));
    EXPECT_FALSE(login.ok("anna", "a"));  // nobody may log in yet

    // The users dialog opens without the prompt for the rest of the login.
    home.dialogs.usersSessions = {addUser("anna", "a"), [] { return false; }};
    login.users();
    login.users();
    EXPECT_TRUE(home.dialogs.promptExpected.empty());
    EXPECT_EQ(home.dialogs.usersShown, 2);
    EXPECT_TRUE(login.ok("anna", "a"));
    EXPECT_EQ(home.context.currentUser().name, "anna");
    EXPECT_EQ(home.context.currentUser().password, "a");
    EXPECT_EQ(home.dialogs.unexpected + home.prompt.unexpected, 0);
}

// The creation dialog stays on a mismatch or a password record 0 cannot hold (the old
// password is not checked); cancel ends the login, and a file that cannot be written says so.
TEST_F(LoginTest, CreationDialogChecksEachAttempt) {
    home.writeDataFile("A1.KQD", "");
    home.prompt.answers = {Answer::Yes, Answer::Yes, Answer::Yes};
    home.dialogs.changeAttempts = {Typed{"ignored", "a", "b"}, std::nullopt};
    EXPECT_FALSE(login.open());
    EXPECT_FALSE(home.hasLoginKey());

    std::filesystem::create_directory(home.loginKey());  // cannot be opened as a file
    home.dialogs.typeNewPassword("Hemligt");
    EXPECT_FALSE(login.open());
    EXPECT_EQ(home.dataFilePassword("A1.KQD"), "");
    EXPECT_FALSE(login.checkPassed());
    std::filesystem::remove(home.loginKey());

    home.writeLoginKey("");
    home.dialogs.typeNewPassword(std::string(126, 'p'));
    home.dialogs.typeNewPassword(std::string(125, 'p'));
    EXPECT_TRUE(login.open());
    EXPECT_EQ(home.prompt.texts(), (Lines{m49, m44, m49, m46, m49, tooLong(125), m77, m47}));
    EXPECT_EQ(home.loginSystemPassword(), std::string(125, 'p'));
}

TEST(LoginOk, StoresTheTypedPairAndChecksIt) {
    const struct {
        std::string name, password;
        bool accepted;
    } cases[] = {{"Anna", "Hemligt", true},
                 {"", "", true},
                 {"", "sys", false},
                 {"anna", "Hemligt", false},
                 {"Anna", "hemligt", false}};
    for (const auto& c : cases) {
        test::TestHome home;
        home.writeLogin("sys", {{"Anna", "Hemligt"}, {"", ""}});
        LoginController login(home.context);
        ASSERT_TRUE(login.open());
        EXPECT_EQ(home.context.systemPassword(), "sys");  // silently
        EXPECT_FALSE(login.checkPassed());
        EXPECT_EQ(login.ok(c.name, c.password), c.accepted) << c.name << "/" << c.password;
        EXPECT_EQ(home.context.currentUser().name, c.name);
        EXPECT_EQ(home.context.currentUser().password, c.password);
        EXPECT_EQ(home.prompt.texts(), c.accepted ? Lines{} : Lines{m43});
    }
}

TEST_F(LoginTest, UsersAsksForTheSystemPasswordOncePerLogin) {
    home.writeLogin("sys");
    home.context.setSystemPassword("stale");
    home.dialogs.promptAttempts = {std::nullopt, "wrong", "sys"};
    home.dialogs.usersSessions = {[] { return false; }, [] { return true; }};
    login.users();  // cancelled
    EXPECT_EQ(home.dialogs.usersShown, 0);
    EXPECT_FALSE(login.checkPassed());
    EXPECT_EQ(home.context.systemPassword(), "sys");
    login.users();  // wrong, then right
    login.users();  // no prompt
    EXPECT_EQ(home.dialogs.promptExpected, (Lines{"sys", "sys"}));
    EXPECT_EQ(home.dialogs.usersShown, 2);
    EXPECT_TRUE(login.checkPassed());
    EXPECT_EQ(home.prompt.texts(), (Lines{m43}));
}

TEST_F(LoginTest, PersonalPasswordChangeChecksOldVerificationAndLengthThenRewritesTheRecord) {
    home.writeLogin("sys", {{"bo", "x"}, {"anna", "gammal"}});
    home.context.currentUser() = {"anna", "gammal"};
    // Name and password must fit one record: "anna" leaves room for 121 bytes.
    const std::string longest(122, 'p');
    home.dialogs.changeAttempts = {Typed{"fel", "ny", "ny"}, Typed{"gammal", "ny", "nY"},
                                   Typed{"gammal", longest, longest}, Typed{"gammal", "ny", "ny"}};
    ASSERT_TRUE(changePersonalPassword(home.context));
    EXPECT_EQ(home.prompt.texts(), (Lines{m43, m44, tooLong(121)}));
    ASSERT_EQ(home.dialogs.changeRequests.size(), 1u);
    EXPECT_EQ(home.dialogs.changeRequests[0].userName, "anna");
    EXPECT_EQ(home.dialogs.changeRequests[0].expectedOld, "gammal");
    EXPECT_TRUE(home.dialogs.changeRequests[0].checkOld);
    EXPECT_EQ(home.context.currentUser().password, "ny");
    EXPECT_EQ(home.loginUsers(), (Users{{"bo", "x"}, {"anna", "ny"}}));

    // No record of that name (names are case-sensitive): message 51, nothing changes.
    home.prompt.entries.clear();
    home.context.currentUser() = {"Anna", "ny"};
    home.dialogs.typeNewPassword("neu", "ny");
    home.dialogs.cancelChange();
    EXPECT_FALSE(changePersonalPassword(home.context));
    EXPECT_FALSE(changePersonalPassword(home.context));  // cancelled: no message
    EXPECT_EQ(home.prompt.texts(), (Lines{text(MessageId::PasswordChangeFailed)}));
    EXPECT_EQ(home.context.currentUser().password, "ny");
    EXPECT_EQ(home.loginUsers(), (Users{{"bo", "x"}, {"anna", "ny"}}));
}

}  // namespace
}  // namespace loom
