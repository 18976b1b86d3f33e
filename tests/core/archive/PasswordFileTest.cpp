#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "archive/PasswordFile.h"
#include "core/archive/SecurityHome.h"
#include "support/HexBytes.h"

namespace loom {
namespace {

using test::expectedRecord;
using test::loginKeyOf;
using Users = std::vector<std::pair<std::string, std::string>>;

class PasswordFileTest : public ::testing::Test {
  protected:
    test::SecurityHome home;
    PasswordFile file{home.context};

    Users readUsers() {
        std::vector<std::string> names;
        std::vector<std::string> passwords;
        EXPECT_TRUE(file.ReadUsers(names, passwords));
        Users out;
        for (std::size_t i = 0; i < names.size(); ++i)
            out.emplace_back(names[i], passwords[i]);
        return out;
    }
};

std::string repeat(char c, std::size_t n) {
    return std::string(n, c);
}

TEST(PasswordRecord, FillerIsTheGeneratorSeededWithTheSecondsCutTo32Bits) {
    // Seed 1: the generator's well-known first values 41, 18467, 6334, 26500, 19169.
    test::SecurityHome home;
    home.clock.set((std::int64_t{1} << 32) | 1);
    ASSERT_TRUE(PasswordFile(home.context).WriteSystemPassword("ab"));
    const std::string bytes = home.loginKeyBytes();
    ASSERT_EQ(bytes.size(), 128u);
    EXPECT_EQ(test::hexString(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 9)),
              "00 61 62 00 29 23 BE 84 E1");
}

TEST(PasswordRecord, IsNameZeroPasswordZeroFillerOrRefused) {
    struct Case {
        std::string name;
        std::string password;
        bool fits;
    };
    const Case cases[] = {
        {"", "", true},
        {"", "Hemligt", true},
        {"Anna \xC5kesson", "l\xF6sen", true},
        {repeat('n', 60), repeat('p', 65), true},  // one filler byte left
        {"", repeat('p', 125), true},
        {"", repeat('p', 126), false},
        {repeat('n', 1), repeat('p', 125), false},
        {std::string("a\0b", 3), "x", false},
        {"a", std::string("x\0y", 3), false},
    };
    for (const Case& c : cases) {
        PasswordFile::Record record{};
        ASSERT_EQ(PasswordFile::encodeRecord(c.name, c.password, 12345, record), c.fits)
            << c.name.size() << "/" << c.password.size();
        if (!c.fits) continue;
        EXPECT_EQ(std::string(record.begin(), record.end()),
                  expectedRecord(c.name, c.password, 12345));
        std::string name;
        std::string password;
        ASSERT_TRUE(PasswordFile::decodeRecord(record, name, password));
        EXPECT_EQ(name + "|" + password, c.name + "|" + c.password);
    }
}

TEST(PasswordRecord, NeedsTheSecondZeroBelow128) {
    const std::string none = "<invalid>";
    const std::pair<std::string, std::string> cases[] = {
        {repeat('n', 100) + '\0' + repeat('p', 26) + '\0',
         repeat('n', 100) + "|" + repeat('p', 26)},
        {std::string("a\0b\0", 4) + repeat('\xFF', 124), "a|b"},  // filler ignored
        {repeat('n', 128), none},
        {repeat('n', 127) + '\0', none},
        {"ab" + std::string(1, '\0') + repeat('p', 125), none},
        {"ab" + std::string(1, '\0') + repeat('p', 125) + std::string(1, '\0'), none},
        {"", none},
    };
    for (const auto& [text, expected] : cases) {
        const std::vector<std::uint8_t> bytes(text.begin(), text.end());
        std::string name = "old";
        std::string password = "old";
        const bool valid = PasswordFile::decodeRecord(bytes, name, password);
        EXPECT_EQ(valid ? name + "|" + password : none, expected) << text.size();
    }
}

TEST(PasswordFileSize, IsUsableOnlyForWholeRecords) {
    const std::pair<std::size_t, bool> cases[] = {{SIZE_MAX, false}, {0, true},    {127, false},
                                                  {128, true},       {129, false}, {384, true}};
    for (const auto& [size, usable] : cases) {
        test::SecurityHome home;
        if (size != SIZE_MAX) home.writeLoginKey(std::string(size, '\0'));  // else no file
        EXPECT_EQ(PasswordFile(home.context).IsUsable(), usable) << size;
    }
}

TEST_F(PasswordFileTest, ReadingNeedsAValidRecord0) {
    const std::optional<std::string> faulty[] = {std::nullopt, "", repeat('x', 128),
                                                 repeat('x', 128) + expectedRecord("anna", "a")};
    for (const auto& bytes : faulty) {
        if (bytes) home.writeLoginKey(*bytes);  // else no file
        std::string password = "unchanged";
        std::vector<std::string> names{"stale"};
        std::vector<std::string> passwords{"stale"};
        EXPECT_FALSE(file.ReadSystemPassword(password));
        EXPECT_EQ(password, "unchanged");
        EXPECT_FALSE(file.ReadUsers(names, passwords));
        EXPECT_TRUE(names.empty() && passwords.empty());
        EXPECT_FALSE(file.CheckLogin("anna", "a"));
    }
    std::string password;
    home.writeLoginKey(expectedRecord("", "Hemligt") + "tail");
    ASSERT_TRUE(file.ReadSystemPassword(password));
    EXPECT_EQ(password, "Hemligt");
}

TEST_F(PasswordFileTest, WriteSystemPasswordReplacesRecord0Only) {
    ASSERT_TRUE(file.WriteSystemPassword("Hemligt"));
    EXPECT_EQ(home.loginKeyBytes(), expectedRecord("", "Hemligt"));
    const std::string users = expectedRecord("anna", "a1", 7) + expectedRecord("bo", "b2", 8);
    home.writeLoginKey(expectedRecord("", "old", 3) + users);
    home.clock.set(99);
    ASSERT_TRUE(file.WriteSystemPassword("new"));
    EXPECT_EQ(home.loginKeyBytes(), expectedRecord("", "new", 99) + users);

    // Bytes past 128 stay even when they are no whole record.
    home.writeLoginKey(repeat('x', 50));
    ASSERT_TRUE(file.WriteSystemPassword("new"));
    EXPECT_EQ(home.loginKeyBytes(), expectedRecord("", "new", 99));
    home.writeLoginKey(repeat('x', 130));
    ASSERT_TRUE(file.WriteSystemPassword("new"));
    EXPECT_EQ(home.loginKeyBytes(), expectedRecord("", "new", 99) + "xx");
}

TEST_F(PasswordFileTest, WriteSystemPasswordRefusesAPasswordThatDoesNotFit) {
    home.writeLoginKey(loginKeyOf("old", {}));
    EXPECT_FALSE(file.WriteSystemPassword(repeat('p', 126)));
    EXPECT_EQ(home.loginKeyBytes(), loginKeyOf("old", {}));
    ASSERT_TRUE(file.WriteSystemPassword(repeat('p', 125)));
    EXPECT_EQ(home.loginKeyBytes(), expectedRecord("", repeat('p', 125)));
}

TEST_F(PasswordFileTest, ReadUsersStopsAtTheFirstInvalidRecordOrPartialRecord) {
    home.writeLoginKey(loginKeyOf("sys", {{"anna", "a"}, {"", ""}, {"Bo", "b"}}) +
                       repeat('x', 128) + expectedRecord("hidden", "h"));
    EXPECT_EQ(readUsers(), (Users{{"anna", "a"}, {"", ""}, {"Bo", "b"}}));
    EXPECT_FALSE(file.CheckLogin("hidden", "h"));

    home.writeLoginKey(loginKeyOf("sys", {{"anna", "a"}}) + "partial");
    EXPECT_EQ(readUsers(), (Users{{"anna", "a"}}));
}

TEST(PasswordFileLogin, MatchesAUserRecordExactly) {
    test::SecurityHome home;
    home.writeLoginKey(
        loginKeyOf("Hemligt", {{"Anna", "L\xF6sen"}, {"", ""}, {"Bo", ""}, {"anna", "x"}}));
    const std::tuple<const char*, const char*, bool> cases[] = {{"Anna", "L\xF6sen", true},
                                                                {"anna", "x", true},
                                                                {"", "", true},
                                                                {"Bo", "", true},
                                                                {"ANNA", "L\xF6sen", false},
                                                                {"Anna", "L\xD6SEN", false},
                                                                {"anna", "L\xF6sen", false},
                                                                {"", "Hemligt", false},
                                                                {"Ann", "L\xF6sen", false},
                                                                {"Anna", "L\xF6s", false}};
    for (const auto& [name, password, accepted] : cases)
        EXPECT_EQ(PasswordFile(home.context).CheckLogin(name, password), accepted) << name;
}

TEST_F(PasswordFileTest, WriteUsersKeepsRecord0AndCutsTheFileAfterTheLastUser) {
    const std::string record0 = expectedRecord("", "sys", 5);
    home.writeLoginKey(record0 + expectedRecord("a", "1", 5) + expectedRecord("b", "2", 5) +
                       expectedRecord("c", "3", 5));
    ASSERT_TRUE(file.WriteUsers({"Bo", ""}, {"x", ""}));
    EXPECT_EQ(home.loginKeyBytes(), record0 + expectedRecord("Bo", "x") + expectedRecord("", ""));

    ASSERT_TRUE(file.WriteUsers({}, {}));
    EXPECT_EQ(home.loginKeyBytes(), record0);
}

TEST_F(PasswordFileTest, WriteUsersRefusesATooLongPairBeforeWritingAnything) {
    const std::string before = loginKeyOf("sys", {{"a", "1"}, {"b", "2"}});
    home.writeLoginKey(before);
    EXPECT_FALSE(file.WriteUsers({"ok", repeat('n', 100), "later"}, {"1", repeat('p', 26), "3"}));
    EXPECT_EQ(home.loginKeyBytes(), before);
    // Name and password of 125 bytes together still fit.
    ASSERT_TRUE(file.WriteUsers({repeat('n', 100)}, {repeat('p', 25)}));
    EXPECT_EQ(home.loginKeyBytes(),
              before.substr(0, 128) + expectedRecord(repeat('n', 100), repeat('p', 25)));
}

TEST_F(PasswordFileTest, WriteUsersNeedsAWholeRecord0) {
    EXPECT_FALSE(file.WriteUsers({"a"}, {"1"}));
    EXPECT_FALSE(home.hasLoginKey());
    home.writeLoginKey("");
    EXPECT_FALSE(file.WriteUsers({"a"}, {"1"}));
    EXPECT_EQ(home.loginKeyBytes(), "");
    home.writeLoginKey(repeat('x', 127));
    EXPECT_FALSE(file.WriteUsers({"a"}, {"1"}));
    EXPECT_EQ(home.loginKeyBytes(), repeat('x', 127));
    EXPECT_FALSE(file.WriteUsers({"a", "b"}, {"1"}));
}

TEST_F(PasswordFileTest, ChangePasswordRewritesTheFirstMatchingRecordOnly) {
    const std::string record0 = expectedRecord("", "anna", 1);
    const std::string other = expectedRecord("bo", "b", 1);
    const std::string twin = expectedRecord("anna", "old", 1);
    home.writeLoginKey(record0 + other + twin + twin);
    home.clock.set(77);
    ASSERT_TRUE(file.ChangePassword("anna", "old", "new"));
    EXPECT_EQ(home.loginKeyBytes(), record0 + other + expectedRecord("anna", "new", 77) + twin);
}

TEST_F(PasswordFileTest, ChangePasswordFailsWithoutAMatchAndLeavesTheFileAlone) {
    const std::string before =
        loginKeyOf("old", {{"anna", "old"}}) + repeat('x', 128) + expectedRecord("bo", "old");
    home.writeLoginKey(before);
    EXPECT_FALSE(file.ChangePassword("", "old", "new"));                 // record 0
    EXPECT_FALSE(file.ChangePassword("Anna", "old", "new"));             // case
    EXPECT_FALSE(file.ChangePassword("bo", "old", "new"));               // after an invalid record
    EXPECT_FALSE(file.ChangePassword("anna", "old", repeat('p', 122)));  // does not fit
    EXPECT_EQ(home.loginKeyBytes(), before);
    EXPECT_TRUE(file.ChangePassword("anna", "old", repeat('p', 121)));
}

TEST_F(PasswordFileTest, EveryOperationFailsAtOnceWhileAnotherHoldsTheFile) {
    home.writeLoginKey(loginKeyOf("sys", {{"anna", "a"}}));
    std::string error;
    auto held = home.context.files().openLocked(home.loginKey(), OpenMode::Existing, error);
    ASSERT_TRUE(held);
    std::string password;
    EXPECT_FALSE(file.IsUsable());
    EXPECT_FALSE(file.ReadSystemPassword(password));
    EXPECT_FALSE(file.CheckLogin("anna", "a"));
    EXPECT_FALSE(file.WriteSystemPassword("new"));
    EXPECT_FALSE(file.ChangePassword("anna", "a", "b"));
    held.reset();
    EXPECT_TRUE(file.CheckLogin("anna", "a"));
    EXPECT_EQ(home.loginKeyBytes(), loginKeyOf("sys", {{"anna", "a"}}));
}

}  // namespace
}  // namespace loom
