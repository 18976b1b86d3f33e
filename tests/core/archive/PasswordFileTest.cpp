// LOGIN.KEY byte for byte; the other tests only use the file through the program.
#include "archive/PasswordFile.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "support/TestHome.h"

namespace loom {
namespace {

using test::Lines;
using test::Users;

// A record with the filler generator written out here: state = state * 214013 + 2531011,
// each filler byte the low byte of bits 16-30.
std::string expectedRecord(std::string_view name, std::string_view password,
                           std::uint32_t seed = test::TestHome::kNow) {
    std::string record(name);
    record.push_back('\0');
    record.append(password);
    record.push_back('\0');
    for (std::uint32_t state = seed; record.size() < 128;) {
        state = state * 214013u + 2531011u;
        record.push_back(static_cast<char>((state >> 16) & 0xFFu));
    }
    return record;
}

std::string keyOf(std::string_view systemPassword, const Users& users, std::uint32_t seed = 1) {
    std::string out = expectedRecord("", systemPassword, seed);
    for (const auto& [name, password] : users)
        out += expectedRecord(name, password, seed);
    return out;
}

std::string repeat(char c, std::size_t n) {
    return std::string(n, c);
}

class PasswordFileTest : public ::testing::Test {
  protected:
    test::TestHome home;
    PasswordFile file{home.context};
};

TEST_F(PasswordFileTest, ReadingNeedsAValidRecord0AndStopsAtTheFirstInvalidRecord) {
    for (const std::string& bytes : {std::string(), repeat('x', 128) + expectedRecord("a", "a")}) {
        home.writeLoginKey(bytes);
        std::string password;
        Lines names, passwords;
        EXPECT_FALSE(file.ReadSystemPassword(password));
        EXPECT_FALSE(file.ReadUsers(names, passwords));
        EXPECT_FALSE(file.CheckLogin("a", "a"));
    }
    home.writeLoginKey(keyOf("sys", {{"anna", "a"}, {"", ""}}) + repeat('x', 128) +
                       expectedRecord("hidden", "h"));
    EXPECT_EQ(home.loginSystemPassword(), "sys");
    EXPECT_EQ(home.loginUsers(), (Users{{"anna", "a"}, {"", ""}}));
    EXPECT_FALSE(file.CheckLogin("hidden", "h"));
    home.writeLoginKey(keyOf("sys", {{"anna", "a"}}) + "partial");
    EXPECT_EQ(home.loginUsers(), (Users{{"anna", "a"}}));
}

TEST_F(PasswordFileTest, WriteSystemPasswordReplacesRecord0OnlySeededWithTheSecondsCutTo32Bits) {
    const std::string users = expectedRecord("anna", "a1", 7) + expectedRecord("bo", "b2", 8);
    home.writeLoginKey(expectedRecord("", "old", 3) + users);
    home.clock.set((std::int64_t{1} << 32) | 99);
    ASSERT_TRUE(file.WriteSystemPassword("new"));
    EXPECT_EQ(home.loginKeyBytes(), expectedRecord("", "new", 99) + users);
    // Bytes past 128 stay even when they are no whole record.
    home.writeLoginKey(repeat('x', 130));
    ASSERT_TRUE(file.WriteSystemPassword(repeat('p', 125)));
    EXPECT_EQ(home.loginKeyBytes(), expectedRecord("", repeat('p', 125), 99) + "xx");
}

TEST(PasswordFileLogin, MatchesAUserRecordExactly) {
    test::TestHome home;
    home.writeLoginKey(
        keyOf("Hemligt", {{"Anna", "L\xF6sen"}, {"", ""}, {"Bo", ""}, {"anna", "x"}}));
    const std::tuple<const char*, const char*, bool> cases[] = {{"Anna", "L\xF6sen", true},
                                                                {"", "", true},
                                                                {"Bo", "", true},
                                                                {"ANNA", "L\xF6sen", false},
                                                                {"anna", "L\xF6sen", false},
                                                                {"", "Hemligt", false},
                                                                {"Anna", "L\xF6s", false},
                                                                {"Bo", "x", false}};
    for (const auto& [name, password, accepted] : cases)
        EXPECT_EQ(PasswordFile(home.context).CheckLogin(name, password), accepted)
            << name << "/" << password;
}

TEST_F(PasswordFileTest, ChangePasswordRewritesTheFirstMatchingValidUserRecordOnly) {
    const std::string twin = expectedRecord("anna", "old", 1);
    const std::string before = keyOf("old", {{"bo", "b"}}) + twin + twin + repeat('x', 128) +
                               expectedRecord("cid", "old", 1);
    home.writeLoginKey(before);
    EXPECT_FALSE(file.ChangePassword("", "old", "new"));                 // record 0
    EXPECT_FALSE(file.ChangePassword("Anna", "old", "new"));             // case
    EXPECT_FALSE(file.ChangePassword("cid", "old", "new"));              // after an invalid one
    EXPECT_FALSE(file.ChangePassword("anna", "old", repeat('p', 122)));  // does not fit
    EXPECT_EQ(home.loginKeyBytes(), before);
    home.clock.set(77);
    ASSERT_TRUE(file.ChangePassword("anna", "old", repeat('p', 121)));
    EXPECT_EQ(home.loginKeyBytes(), keyOf("old", {{"bo", "b"}}) +
                                        expectedRecord("anna", repeat('p', 121), 77) +
                                        before.substr(3 * 128));
}

}  // namespace
}  // namespace loom
