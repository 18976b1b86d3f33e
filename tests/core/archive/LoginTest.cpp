#include "archive/LoginController.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

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
                  m47 = text(MessageId::PasswordFileCreated),
                  m49 = text(MessageId::CreatePasswordFile), m77 = text(MessageId::Reencipher);

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
    EXPECT_FALSE(home.dialogs.changeRequests[0].checkOld);
    EXPECT_EQ(home.prompt.texts(), (Lines{m49, m77, m47}));
    EXPECT_EQ(home.dataFilePassword("A1.KQD"), "Hemligt");
    EXPECT_FALSE(login.ok("anna", "a"));  // nobody may log in yet

    // The users dialog opens without the prompt for the rest of the login.
    home.dialogs.usersSessions = {addUser("anna", "a"), [] { return false; }};
    login.users();
    login.users();
    EXPECT_TRUE(home.dialogs.promptExpected.empty());
    EXPECT_EQ(home.dialogs.usersShown, 2);
    EXPECT_TRUE(login.ok("anna", "a"));
    EXPECT_EQ(home.context.currentUser().password, "a");
    EXPECT_EQ(home.dialogs.unexpected + home.prompt.unexpected, 0);
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
    EXPECT_EQ(home.prompt.texts(),
              (Lines{m43, m44, text(MessageId::PasswordTooLong, {std::int64_t{121}})}));
    ASSERT_EQ(home.dialogs.changeRequests.size(), 1u);
    EXPECT_EQ(home.dialogs.changeRequests[0].expectedOld, "gammal");
    EXPECT_EQ(home.context.currentUser().password, "ny");
    EXPECT_EQ(home.loginUsers(), (Users{{"bo", "x"}, {"anna", "ny"}}));
}

// Rows are "name\tpassword" in case-insensitive order, file order kept on ties; an added
// row goes after every row not greater; a commit writes the rows in list order.
TEST_F(LoginTest, UsersListKeepsTheRowsInOrderAndCommitsThem) {
    UsersList list(home.context);
    home.writeLogin("sys",
                    {{"bertil", "1"}, {"Anna", "2"}, {"old", "o"}, {"anna", "4"}, {"", "5"}});
    ASSERT_TRUE(list.open());
    EXPECT_EQ(list.rows(), (Lines{"\t5", "Anna\t2", "anna\t4", "bertil\t1", "old\to"}));
    list.remove(4);
    list.remove(7);                      // nothing selected
    home.prompt.answers = {Answer::No};  // an empty pair is asked about
    EXPECT_EQ(list.add("", ""), -1);
    EXPECT_EQ(list.add("anna", "4"), 3);
    EXPECT_EQ(list.add("\xC5sa", "6"), 5);
    EXPECT_EQ(list.add("cilla", "3"), 5);
    ASSERT_TRUE(list.commit());
    EXPECT_EQ(home.loginUsers(), (Users{{"", "5"},
                                        {"Anna", "2"},
                                        {"anna", "4"},
                                        {"anna", "4"},  // no duplicate check
                                        {"bertil", "1"},
                                        {"cilla", "3"},
                                        {"\xC5sa", "6"}}));
    EXPECT_EQ(home.loginSystemPassword(), "sys");
    EXPECT_EQ(home.prompt.texts(), (Lines{text(MessageId::EmptyUser)}));
}

TEST_F(LoginTest, UsersListCommitRefusesAPairTooLongForARecordNamingItsUser) {
    UsersList list(home.context);
    home.writeLogin("sys", {{"anna", "a"}});
    ASSERT_TRUE(list.open());
    list.add("\xC5sa", std::string(123, 'p'));  // 126 bytes together
    list.add("bo", "b");
    EXPECT_FALSE(list.commit());
    EXPECT_EQ(home.loginUsers(), (Users{{"anna", "a"}}));
    EXPECT_EQ(home.prompt.texts(), (Lines{text(MessageId::UserPairTooLong, {"\xC5sa"})}));
    EXPECT_EQ(list.rows().size(), 3u);  // the dialog stays with its rows
}

}  // namespace
}  // namespace loom
