#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "archive/LoginController.h"
#include "archive/PasswordChecks.h"
#include "archive/UsersList.h"
#include "core/archive/SecurityHome.h"

namespace loom {
namespace {

using test::expectedRecord;
using test::loginKeyOf;
using Texts = std::vector<std::string>;

const std::string m43 = "Felaktigt lösenord.";
const std::string m44 = "Det nya lösenordet och verifieringen är olika.";
const std::string m46 = "Lösenordsfilen kunde inte skapas.";
const std::string m47 =
    "Lösenordsfilen har skapats, för att kunna logga in i programmet måste även tillåtna "
    "användare och deras lösenord anges. Det görs via knappen \"Användare...\" i loginfönstret.";
const std::string m49 =
    "Filen med lösenord saknas eller är felaktig. För att kunna logga in i programmet måste en "
    "ny lösenordsfil skapas.\n\nVill du skapa en ny lösenordsfil nu?";
const std::string m51 = "Ändringen av lösenordet misslyckades.";
const std::string m77 = "Befintliga datafiler kommer att krypteras om.";
const std::string kSystemName = "Systeml\xF6sen";  // code page 1252

class LoginTest : public ::testing::Test {
  protected:
    test::SecurityHome home;
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
    home.writeDataFile("B2.KQD", "");
    home.prompt.answers = {Answer::Yes};
    home.dialogs.typeNewPassword("Hemligt");

    ASSERT_TRUE(login.open());
    EXPECT_EQ(home.loginKeyBytes(), expectedRecord("", "Hemligt"));
    EXPECT_EQ(home.loginKeyBytes()[0], '\0');
    EXPECT_EQ(home.context.systemPassword(), "Hemligt");
    ASSERT_EQ(home.dialogs.changeRequests.size(), 1u);
    EXPECT_EQ(home.dialogs.changeRequests[0].userName, kSystemName);
    EXPECT_EQ(home.dialogs.changeRequests[0].expectedOld, "");
    EXPECT_FALSE(home.dialogs.changeRequests[0].checkOld);
    EXPECT_EQ(home.prompt.texts(), (Texts{m49, m77, m47}));
    EXPECT_TRUE(home.prompt.entries[0].question);
    EXPECT_EQ(home.prompt.entries[2].kind, MessageKind::Information);
    EXPECT_EQ(home.dataFilePassword("A1.KQD"), "Hemligt");
    EXPECT_EQ(home.dataFilePassword("B2.KQD"), "Hemligt");
    EXPECT_TRUE(home.dataFileIntact("A1.KQD"));
    EXPECT_EQ(home.dialogs.temporaryShown, 0);

    // Nobody may log in yet.
    EXPECT_FALSE(login.ok("anna", "a"));
    EXPECT_EQ(home.prompt.texts().back(), m43);

    // The users dialog opens without the prompt for the rest of the login.
    home.dialogs.usersSessions = {addUser("anna", "a"), [] { return false; }};
    login.users();
    login.users();
    EXPECT_TRUE(home.dialogs.promptExpected.empty());
    EXPECT_EQ(home.dialogs.usersShown, 2);
    EXPECT_EQ(home.loginKeyBytes(), expectedRecord("", "Hemligt") + expectedRecord("anna", "a"));

    EXPECT_TRUE(login.ok("anna", "a"));
    EXPECT_EQ(home.context.currentUser().name, "anna");
    EXPECT_EQ(home.context.currentUser().password, "a");
    EXPECT_EQ(home.dialogs.unexpected, 0);
    EXPECT_EQ(home.prompt.unexpected, 0);
}

TEST(LoginFaultyFile, OffersCreationAndDecliningLeavesTheFile) {
    const std::pair<bool, std::string> cases[] = {
        {false, ""},
        {true, ""},
        {true, expectedRecord("", "sys") + "x"},
        {true, std::string(256, 'x')},
        {true, std::string(1, '\0') + std::string(127, 'x')},
    };
    for (const auto& [present, bytes] : cases) {
        test::SecurityHome home;
        if (present) home.writeLoginKey(bytes);
        home.prompt.answers = {Answer::No};
        EXPECT_FALSE(LoginController(home.context).open()) << bytes.size();
        EXPECT_EQ(home.prompt.texts(), (Texts{m49}));
        EXPECT_TRUE(home.dialogs.changeRequests.empty());
        EXPECT_EQ(home.hasLoginKey(), present);
        EXPECT_EQ(home.loginKeyBytes(), bytes);
    }
}

TEST_F(LoginTest, AUsableFileSetsTheSystemPasswordSilently) {
    home.writeLoginKey(loginKeyOf("sys", {{"anna", "a"}}));
    ASSERT_TRUE(login.open());
    EXPECT_EQ(home.context.systemPassword(), "sys");
    EXPECT_TRUE(home.prompt.entries.empty());
    EXPECT_FALSE(login.checkPassed());
}

TEST_F(LoginTest, CreationDialogStaysOnMismatchAndCancelEndsTheLogin) {
    home.prompt.answers = {Answer::Yes};
    home.dialogs.changeAttempts = {test::ScriptedDialogs::Typed{"ignored", "a", "b"}, std::nullopt};
    EXPECT_FALSE(login.open());
    EXPECT_EQ(home.prompt.texts(), (Texts{m49, m44}));  // the old password is not checked
    EXPECT_FALSE(home.hasLoginKey());
    EXPECT_EQ(home.context.systemPassword(), "");
    EXPECT_FALSE(login.checkPassed());
}

TEST_F(LoginTest, Record0ThatCannotBeWrittenShowsMessage46) {
    std::filesystem::create_directory(home.loginKey());  // cannot be opened as a file
    home.writeDataFile("A1.KQD", "");
    home.prompt.answers = {Answer::Yes};
    home.dialogs.typeNewPassword("Hemligt");
    EXPECT_FALSE(login.open());
    EXPECT_EQ(home.prompt.texts(), (Texts{m49, m46}));
    EXPECT_EQ(home.dataFilePassword("A1.KQD"), "");
    EXPECT_FALSE(login.checkPassed());
}

TEST_F(LoginTest, AnEmptyFileGetsRecord0OnceThePasswordFits) {
    home.writeLoginKey("");
    home.prompt.answers = {Answer::Yes};
    home.dialogs.typeNewPassword(std::string(126, 'p'));
    home.dialogs.typeNewPassword(std::string(125, 'p'));
    EXPECT_TRUE(login.open());
    // No data files: nothing to re-encipher, no message 77.
    EXPECT_EQ(home.prompt.texts(),
              (Texts{m49, "Lösenordet är för långt.\nHögst 125 tecken är tillåtna.", m47}));
    EXPECT_EQ(home.dialogs.changeRequests.size(), 1u);
    EXPECT_EQ(home.loginKeyBytes(), expectedRecord("", std::string(125, 'p')));
}

TEST(LoginOk, StoresTheTypedPairAndChecksIt) {
    struct Case {
        std::string name;
        std::string password;
        bool accepted;
    };
    const Case cases[] = {{"Anna", "Hemligt", true},  {"", "", true},
                          {"", "sys", false},         {"anna", "Hemligt", false},
                          {"Anna", "hemligt", false}, {"late", "l", false}};
    for (const Case& c : cases) {
        test::SecurityHome home;
        home.writeLoginKey(loginKeyOf("sys", {{"Anna", "Hemligt"}, {"", ""}}) +
                           std::string(128, 'x') + expectedRecord("late", "l"));
        LoginController login(home.context);
        ASSERT_TRUE(login.open());
        EXPECT_EQ(login.ok(c.name, c.password), c.accepted) << c.name << "/" << c.password;
        EXPECT_EQ(home.context.currentUser().name, c.name);
        EXPECT_EQ(home.context.currentUser().password, c.password);
        EXPECT_EQ(home.prompt.texts(), c.accepted ? Texts{} : Texts{m43});
    }
}

TEST_F(LoginTest, UsersAsksForTheSystemPasswordOncePerLogin) {
    home.writeLoginKey(loginKeyOf("sys", {}));
    home.context.setSystemPassword("stale");
    home.dialogs.promptAttempts = {std::nullopt, "wrong", "sys"};
    home.dialogs.usersSessions = {[] { return false; }, [] { return true; }};

    login.users();  // cancelled
    EXPECT_EQ(home.dialogs.usersShown, 0);
    EXPECT_FALSE(login.checkPassed());
    EXPECT_EQ(home.context.systemPassword(), "sys");

    login.users();  // wrong, then right
    login.users();  // no prompt
    EXPECT_EQ(home.dialogs.promptExpected, (Texts{"sys", "sys"}));
    EXPECT_EQ(home.dialogs.usersShown, 2);
    EXPECT_TRUE(login.checkPassed());
    EXPECT_EQ(home.prompt.texts(), (Texts{m43}));
    EXPECT_EQ(home.dialogs.unexpected, 0);
}

TEST_F(LoginTest, UsersWithoutRecord0RunsTheCreationInstead) {
    home.writeLoginKey("");
    home.prompt.answers = {Answer::No, Answer::Yes};
    home.dialogs.typeNewPassword("neu");
    login.users();  // declined
    EXPECT_FALSE(login.checkPassed());
    login.users();  // created, but the users dialog does not open yet
    EXPECT_TRUE(login.checkPassed());
    EXPECT_EQ(home.dialogs.usersShown, 0);
    EXPECT_TRUE(home.dialogs.promptExpected.empty());
    EXPECT_EQ(home.prompt.texts(), (Texts{m49, m49, m47}));
    EXPECT_EQ(home.loginKeyBytes(), expectedRecord("", "neu"));
}

TEST_F(LoginTest, AnEmptyUserAcceptedAfterMessage50LogsInWithEmptyFields) {
    home.writeLoginKey(loginKeyOf("sys", {}));
    ASSERT_TRUE(login.open());
    EXPECT_FALSE(login.ok("", ""));
    home.dialogs.promptAttempts = {"sys"};
    home.dialogs.usersSessions = {addUser("", "")};
    home.prompt.answers = {Answer::Yes};
    login.users();
    EXPECT_TRUE(login.ok("", ""));
    EXPECT_EQ(home.loginKeyBytes(), loginKeyOf("sys", {{"", ""}}));
}

using ScriptedAttempts = std::deque<test::ScriptedDialogs::ChangeAttempt>;
using Typed = test::ScriptedDialogs::Typed;

TEST_F(LoginTest, PersonalPasswordChangeChecksOldAndVerificationThenRewritesTheRecord) {
    home.writeLoginKey(loginKeyOf("sys", {{"bo", "x"}, {"anna", "gammal"}}));
    home.context.currentUser() = {"anna", "gammal"};
    home.clock.set(4242);
    // Name and password must fit one record: "anna" leaves room for 121 bytes.
    const std::string tooLong(122, 'p');
    home.dialogs.changeAttempts =
        ScriptedAttempts{Typed{"fel", "ny", "ny"}, Typed{"gammal", "ny", "nY"},
                         Typed{"gammal", tooLong, tooLong}, Typed{"gammal", "ny", "ny"}};
    ASSERT_TRUE(changePersonalPassword(home.context));
    EXPECT_EQ(home.prompt.texts(),
              (Texts{m43, m44, "Lösenordet är för långt.\nHögst 121 tecken är tillåtna."}));
    ASSERT_EQ(home.dialogs.changeRequests.size(), 1u);
    EXPECT_EQ(home.dialogs.changeRequests[0].userName, "anna");
    EXPECT_EQ(home.dialogs.changeRequests[0].expectedOld, "gammal");
    EXPECT_TRUE(home.dialogs.changeRequests[0].checkOld);
    EXPECT_EQ(home.context.currentUser().password, "ny");
    EXPECT_EQ(home.loginKeyBytes(),
              loginKeyOf("sys", {{"bo", "x"}}) + expectedRecord("anna", "ny", 4242));
}

TEST_F(LoginTest, PersonalPasswordChangeThatFindsNoRecordShowsMessage51) {
    const std::string before = loginKeyOf("sys", {{"anna", "a"}});
    home.writeLoginKey(before);
    home.context.currentUser() = {"Anna", "a"};
    home.dialogs.typeNewPassword("ny", "a");
    home.dialogs.cancelChange();
    EXPECT_FALSE(changePersonalPassword(home.context));
    EXPECT_FALSE(changePersonalPassword(home.context));  // cancelled: no message
    EXPECT_EQ(home.prompt.texts(), (Texts{m51}));
    EXPECT_EQ(home.context.currentUser().password, "a");
    EXPECT_EQ(home.loginKeyBytes(), before);
}

TEST_F(LoginTest, UsersAfterLoginAsksForTheCurrentUsersPassword) {
    home.context.currentUser() = {"anna", "a"};
    home.dialogs.promptAttempts = {std::nullopt, "a"};
    home.dialogs.usersSessions = {[] { return true; }};
    EXPECT_FALSE(editUsersAfterLogin(home.context));
    EXPECT_EQ(home.dialogs.usersShown, 0);
    EXPECT_TRUE(editUsersAfterLogin(home.context));
    EXPECT_EQ(home.dialogs.promptExpected, (Texts{"a", "a"}));
    EXPECT_EQ(home.dialogs.usersShown, 1);
}

}  // namespace
}  // namespace loom
