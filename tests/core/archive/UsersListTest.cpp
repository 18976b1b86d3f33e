#include "archive/UsersList.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "support/TestHome.h"

namespace loom {
namespace {

using test::Lines;
using test::text;
using test::Users;

class UsersListTest : public ::testing::Test {
  protected:
    test::TestHome home;
    UsersList list{home.context};
};

// Rows are "name\tpassword" in case-insensitive order, file order kept on ties; an added
// row goes after every row not greater; a commit writes the rows in list order.
TEST_F(UsersListTest, KeepsTheRowsInOrderAndCommitsThem) {
    home.writeLogin("sys",
                    {{"bertil", "1"}, {"Anna", "2"}, {"old", "o"}, {"anna", "4"}, {"", "5"}});
    ASSERT_TRUE(list.open());
    EXPECT_EQ(list.rows(), (Lines{"\t5", "Anna\t2", "anna\t4", "bertil\t1", "old\to"}));
    list.remove(4);
    list.remove(7);  // nothing selected
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
    EXPECT_TRUE(home.prompt.entries.empty());
}

TEST_F(UsersListTest, AddingAnEmptyUserAsksMessage50) {
    home.writeLogin("sys", {{"anna", "a"}});
    ASSERT_TRUE(list.open());
    home.prompt.answers = {Answer::No, Answer::Yes};
    EXPECT_EQ(list.add("", ""), -1);
    EXPECT_EQ(list.add("", ""), 0);
    EXPECT_EQ(list.add("", "x"), 1);  // one empty field is no question
    EXPECT_EQ(list.rows(), (Lines{"\t", "\tx", "anna\ta"}));
    EXPECT_EQ(home.prompt.texts(), (Lines(2, text(MessageId::EmptyUser))));
    EXPECT_TRUE(home.prompt.entries[0].question);
}

TEST_F(UsersListTest, CommitRefusesAPairTooLongForARecordNamingItsUser) {
    home.writeLogin("sys", {{"anna", "a"}});
    ASSERT_TRUE(list.open());
    list.add("\xC5sa", std::string(123, 'p'));  // 126 bytes together
    list.add("bo", "b");
    EXPECT_FALSE(list.commit());
    EXPECT_EQ(home.loginUsers(), (Users{{"anna", "a"}}));
    EXPECT_EQ(home.prompt.texts(), (Lines{text(MessageId::UserPairTooLong, {"\xC5sa"})}));
    EXPECT_EQ(list.rows().size(), 3u);  // the dialog stays with its rows
    list.remove(2);
    list.add("\xC5s", std::string(123, 'p'));  // 125
    ASSERT_TRUE(list.commit());
    EXPECT_EQ(home.loginUsers().size(), 3u);
}

}  // namespace
}  // namespace loom
