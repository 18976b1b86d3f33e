#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "archive/UsersList.h"
#include "common/Messages.h"
#include "core/archive/SecurityHome.h"

namespace loom {
namespace {

using test::expectedRecord;
using test::loginKeyOf;
using Rows = std::vector<std::string>;

class UsersListTest : public ::testing::Test {
  protected:
    test::SecurityHome home;
    UsersList list{home.context};
};

TEST(UsersListOrder, ComparesUpperCasedBytesUnsignedAndShorterFirst) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"a", "B", true},        {"B", "a", false},         {"Anna", "aNNA", false},
        {"aNNA", "Anna", false}, {"ann", "Anna", true},     {"Anna", "ann", false},
        {"", "a", true},         {"Al\tx", "Alb\ty", true}, {"z", "\xE9", true},
        {"\xE4", "\xC5", true},    // ä < Å
        {"\xF6", "\xD6", false},   // ö, Ö
        {"\x9A", "\x8A", false}};  // š, Š
    for (const auto& [a, b, less] : cases)
        EXPECT_EQ(UsersList::lessCaseInsensitive(a, b), less) << a << " < " << b;
}

TEST(UsersListSplit, AtTheFirstTab) {
    const std::tuple<const char*, const char*, const char*> cases[] = {{"anna\tx", "anna", "x"},
                                                                       {"a\tb\tc", "a", "b\tc"},
                                                                       {"\t", "", ""},
                                                                       {"anna", "anna", ""},
                                                                       {"", "", ""}};
    for (const auto& [row, name, password] : cases) {
        std::string gotName = "stale";
        std::string gotPassword = "stale";
        UsersList::split(row, gotName, gotPassword);
        EXPECT_EQ(gotName + "|" + gotPassword, std::string(name) + "|" + password) << row;
    }
}

TEST_F(UsersListTest, OpeningAMissingOrFaultyFileShowsMessage45) {
    EXPECT_FALSE(list.open());
    home.writeLoginKey(std::string(129, 'x'));
    EXPECT_FALSE(list.open());
    const std::string m45 = "Filen med lösenord saknas eller är felaktig.";
    EXPECT_TRUE(list.rows().empty());
    // An empty file opens with no rows, but there is no record 0 to write after.
    home.writeLoginKey("");
    ASSERT_TRUE(list.open());
    EXPECT_TRUE(list.rows().empty());
    list.add("anna", "a");
    EXPECT_FALSE(list.commit());
    EXPECT_EQ(home.loginKeyBytes(), "");
    EXPECT_EQ(home.prompt.texts(), (std::vector<std::string>{m45, m45, m45}));
}

TEST_F(UsersListTest, OpeningListsTheUsersInCaseInsensitiveOrderKeepingFileOrderOnTies) {
    home.writeLoginKey(loginKeyOf(
        "sys", {{"bertil", "1"}, {"Anna", "2"}, {"cecilia", "3"}, {"anna", "4"}, {"", "5"}}));
    ASSERT_TRUE(list.open());
    EXPECT_EQ(list.rows(), (Rows{"\t5", "Anna\t2", "anna\t4", "bertil\t1", "cecilia\t3"}));
    EXPECT_TRUE(home.prompt.entries.empty());
}

TEST_F(UsersListTest, AddingPlacesTheRowAfterEveryRowNotGreater) {
    home.writeLoginKey(loginKeyOf("sys", {{"Bo", "1"}, {"Dan", "2"}}));
    ASSERT_TRUE(list.open());
    EXPECT_EQ(list.add("cilla", "3"), 1);
    EXPECT_EQ(list.add("bo", "1"), 1);  // equal to "Bo\t1" but for case: after it
    EXPECT_EQ(list.add("\xC5sa", "4"), 4);
    EXPECT_EQ(list.add("Bo", "1"), 2);  // no duplicate check
    EXPECT_EQ(list.rows(), (Rows{"Bo\t1", "bo\t1", "Bo\t1", "cilla\t3", "Dan\t2", "\xC5sa\t4"}));
    EXPECT_TRUE(home.prompt.entries.empty());
}

TEST_F(UsersListTest, AddingAnEmptyUserAsksMessage50) {
    home.writeLoginKey(loginKeyOf("sys", {{"anna", "a"}}));
    ASSERT_TRUE(list.open());
    home.prompt.answers = {Answer::No, Answer::Yes};
    EXPECT_EQ(list.add("", ""), -1);
    EXPECT_EQ(list.add("", ""), 0);
    EXPECT_EQ(list.add("", "x"), 1);  // one empty field is no question
    EXPECT_EQ(list.rows(), (Rows{"\t", "\tx", "anna\ta"}));
    ASSERT_EQ(home.prompt.entries.size(), 2u);
    for (const auto& e : home.prompt.entries) {
        EXPECT_TRUE(e.question);
        EXPECT_EQ(e.text,
                  "Både användarnamn och lösenord är tomt.\nVill du verkligen lägga in det i "
                  "lösenordsfilen?");
    }
}

TEST_F(UsersListTest, RemovingTakesTheRowAtTheIndex) {
    home.writeLoginKey(loginKeyOf("sys", {{"a", "1"}, {"b", "2"}, {"c", "3"}}));
    ASSERT_TRUE(list.open());
    list.remove(1);
    list.remove(7);  // nothing selected
    EXPECT_EQ(list.rows(), (Rows{"a\t1", "c\t3"}));
}

TEST_F(UsersListTest, CommitWritesTheRowsInListOrderAfterRecord0) {
    const std::string record0 = expectedRecord("", "sys", 3);
    home.writeLoginKey(record0 + expectedRecord("Dan", "d") + expectedRecord("bo", "b") +
                       expectedRecord("old", "o"));
    ASSERT_TRUE(list.open());
    list.remove(2);  // "old\to"
    list.add("Anna", "a");
    list.add("", "tom");
    ASSERT_TRUE(list.commit());
    const std::string bytes = home.loginKeyBytes();
    EXPECT_EQ(bytes.size(), 128u * (1 + list.rows().size()));
    EXPECT_EQ(bytes, record0 + expectedRecord("", "tom") + expectedRecord("Anna", "a") +
                         expectedRecord("bo", "b") + expectedRecord("Dan", "d"));
    EXPECT_TRUE(home.prompt.entries.empty());
}

TEST_F(UsersListTest, CommitRefusesAPairTooLongForARecordNamingItsUser) {
    const std::string before = loginKeyOf("sys", {{"anna", "a"}});
    home.writeLoginKey(before);
    ASSERT_TRUE(list.open());
    list.add("\xC5sa", std::string(123, 'p'));  // 126 bytes together
    list.add("bo", "b");
    EXPECT_FALSE(list.commit());
    EXPECT_EQ(home.loginKeyBytes(), before);
    EXPECT_EQ(home.prompt.texts(),
              (std::vector<std::string>{"Användarnamn och lösenord får tillsammans vara högst "
                                        "125 tecken.\nAnvändare: Åsa"}));
    EXPECT_EQ(list.rows().size(), 3u);  // the dialog stays with its rows

    list.remove(2);
    list.add("\xC5s", std::string(123, 'p'));  // 125
    ASSERT_TRUE(list.commit());
    EXPECT_EQ(home.loginKeyBytes().size(), 128u * 4);
}

}  // namespace
}  // namespace loom
