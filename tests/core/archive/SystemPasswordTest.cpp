#include "archive/SystemPassword.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "archive/PasswordFile.h"
#include "archive/TemporaryPasswordList.h"
#include "support/TestHome.h"

namespace loom {
namespace {

using test::Lines;
using test::text;
using test::Users;
using Three = std::array<std::string, 3>;

const std::string m43 = text(MessageId::WrongPassword),
                  m46 = text(MessageId::PasswordFileNotCreated),
                  m56 = text(MessageId::ConfirmSystemPasswordChange),
                  m77 = text(MessageId::Reencipher);

class SystemPasswordTest : public ::testing::Test {
  protected:
    test::TestHome home;

    Lines passwords(const Lines& names) {
        Lines out;
        for (const std::string& name : names)
            out.push_back(home.dataFilePassword(name));
        return out;
    }
};

TEST_F(SystemPasswordTest, AcceptFilePasswordAsksUntilATextMatchesKeepingEachTextOnce) {
    home.context.temporaryPasswords().add("k");
    EXPECT_TRUE(AcceptFilePassword(home.context, "k", false));
    EXPECT_FALSE(AcceptFilePassword(home.context, "y", false));
    EXPECT_EQ(home.dialogs.temporaryShown, 0);
    home.dialogs.temporaryAnswers = {Three{"a", "b", "a"}, Three{"", "x", "b"}, Three{"c", "", ""},
                                     std::nullopt};
    EXPECT_TRUE(AcceptFilePassword(home.context, "x", true));
    EXPECT_EQ(home.dialogs.temporaryShown, 2);
    EXPECT_FALSE(AcceptFilePassword(home.context, "z", true));  // cancelled
    EXPECT_EQ(home.dialogs.temporaryShown, 4);
    EXPECT_EQ(home.context.temporaryPasswords().items(), (Lines{"k", "a", "b", "", "x", "c"}));
}

// Files under the old or new password are rewritten (lower-case names too); others are
// admitted through the temporary passwords, each text typed once serving every later file
// (the empty one too); files that do not read are left as they are, silently.
TEST_F(SystemPasswordTest, ReencipherRewritesEveryAdmittedFileKeepingItsValues) {
    for (const auto& [name, password] :
         std::vector<std::pair<std::string, std::string>>{{"OLD.KQD", "old"},
                                                          {"NEW.KQD", "new"},
                                                          {"lower.kqd", "old"},
                                                          {"T1.KQD", "third"},
                                                          {"E1.KQD", ""},
                                                          {"T2.KQD", "third"},
                                                          {"K.KQD", "known"},
                                                          {"CUT.KQD", "old"}})
        home.writeDataFile(name, password);
    std::string cut = test::readFile(home.dataFile("CUT.KQD"));
    cut.resize(cut.size() - 6);
    test::writeFile(home.dataFile("CUT.KQD"), cut);  // header intact, end lost
    test::writeFile(home.dataFile("JUNK.KQD"), "no data file at all");
    std::filesystem::create_directory(home.dataFile("DIR.KQD"));
    const std::string beforeNew = test::readFile(home.dataFile("NEW.KQD"));
    home.context.temporaryPasswords().add("known");
    home.dialogs.temporaryAnswers = {Three{"zz", "", "third"}};
    home.clock.set(test::TestHome::kNow + 1);  // a rewrite shows in the filler

    std::size_t last = 0, count = 0;
    EXPECT_TRUE(ReencipherDataFiles(home.context, "new", "old", [&](std::size_t d, std::size_t c) {
        EXPECT_EQ(d, last + 1);
        last = d;
        count = c;
    }));
    EXPECT_EQ(last, count);  // skipped files count as handled
    EXPECT_EQ(passwords({"OLD.KQD", "NEW.KQD", "lower.kqd", "T1.KQD", "E1.KQD", "T2.KQD", "K.KQD"}),
              (Lines{"new", "new", "new", "new", "new", "new", "new"}));
    EXPECT_EQ(home.dialogs.temporaryShown, 1);
    EXPECT_NE(test::readFile(home.dataFile("NEW.KQD")), beforeNew);
    for (const char* name : {"OLD.KQD", "lower.kqd", "T2.KQD"})
        EXPECT_TRUE(home.dataFileIntact(name)) << name;
    EXPECT_EQ(test::readFile(home.dataFile("CUT.KQD")), cut);
    EXPECT_EQ(test::readFile(home.dataFile("JUNK.KQD")), "no data file at all");
    EXPECT_EQ(home.prompt.texts(), (Lines{m77}));
    EXPECT_EQ(home.prompt.entries[0].kind, MessageKind::Information);
    EXPECT_EQ(home.dialogs.unexpected, 0);
}

// From the k-th data file on, nothing written reaches a data file, as if the program died
// there (or the disk filled up and the run went on).
TEST(ReencipherInterrupted, LeavesEveryFileWholeUnderTheOldOrTheNewPassword) {
    const struct {
        int file;
        std::uint64_t bytesInto;
        bool crash;
    } cases[] = {{0, 0, true}, {0, 5, true}, {2, 60, true}, {4, 150, true}, {1, 20, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.file << " " << c.bytesInto << " " << c.crash);
        test::TestHome home;
        const Lines names{"F0.KQD", "F1.KQD", "F2.KQD", "F3.KQD", "F4.KQD"};
        for (const std::string& name : names)
            home.writeDataFile(name, "old");
        Lines written;
        home.files.beforeReplace = [&](const std::filesystem::path& path) {
            if (path.extension() != ".KQD") return;
            if (static_cast<int>(written.size()) == c.file) {
                const std::uint64_t at = home.files.bytesWritten() + c.bytesInto;
                c.crash ? home.files.crashAfter(at) : home.files.failWritesAfter(at);
            }
            written.push_back(path.filename().string());
        };
        EXPECT_TRUE(ReencipherDataFiles(home.context, "new", "old"));
        ASSERT_EQ(written.size(), names.size());
        for (std::size_t i = 0; i < names.size(); ++i) {
            EXPECT_EQ(home.dataFilePassword(written[i]),
                      static_cast<int>(i) < c.file ? "new" : "old");
            EXPECT_TRUE(home.dataFileIntact(written[i])) << written[i];
        }
        // The next run finishes the job; leftovers are no data files.
        home.files.beforeReplace = nullptr;
        home.files.heal();
        EXPECT_TRUE(ReencipherDataFiles(home.context, "new", "old"));
        EXPECT_EQ(home.files.list(home.root / "FILES", ".KQD").size(), names.size());
        for (const std::string& name : names)
            EXPECT_TRUE(home.dataFileIntact(name) && home.dataFilePassword(name) == "new") << name;
        EXPECT_EQ(home.dialogs.temporaryShown, 0);
    }
}

// The command asks first (No and a cancelled dialog change nothing), checks the old
// password, refuses one record 0 cannot hold, goes on when LOGIN.KEY cannot be written,
// and otherwise writes record 0, keeps the users and re-enciphers.
TEST(ChangeSystemPassword, AsksChecksWritesAndReenciphers) {
    using Typed = test::ScriptedDialogs::Typed;
    const std::string longest(PasswordFile::kMaxPairLength + 1, 'p');
    const struct {
        const char* name;
        std::vector<Answer> answers;
        std::deque<test::ScriptedDialogs::ChangeAttempt> attempts;
        bool fileUnwritable;
        bool changed;
        Lines messages;
    } cases[] = {
        {"no", {Answer::No}, {}, false, false, {m56}},
        {"cancel", {Answer::Yes}, {std::nullopt}, false, false, {m56}},
        {"too long",
         {Answer::Yes},
         {Typed{"sys", longest, longest}, std::nullopt},
         false,
         false,
         {m56, text(MessageId::PasswordTooLong, {std::int64_t{125}})}},
        {"changed",
         {Answer::Yes},
         {Typed{"SYS", "ny", "ny"}, Typed{"sys", "ny", "ny"}},
         false,
         true,
         {m56, m43, m77}},
        {"unwritable", {Answer::Yes}, {Typed{"sys", "ny", "ny"}}, true, true, {m56, m46, m77}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::TestHome home;
        if (c.fileUnwritable)
            std::filesystem::create_directory(home.loginKey());
        else
            home.writeLogin("sys", {{"anna", "a"}, {"bo", "b"}});
        home.writeDataFile("A.KQD", "sys");
        home.writeDataFile("B.KQD", "third");
        home.context.setSystemPassword("sys");
        home.prompt.answers.assign(c.answers.begin(), c.answers.end());
        home.dialogs.changeAttempts = c.attempts;
        home.dialogs.temporaryAnswers = {std::nullopt};
        EXPECT_EQ(ChangeSystemPassword(home.context), c.changed);
        EXPECT_EQ(home.prompt.texts(), c.messages);
        const std::string now = c.changed ? "ny" : "sys";
        EXPECT_EQ(home.context.systemPassword(), now);
        EXPECT_EQ(home.dataFilePassword("A.KQD"), now);
        EXPECT_EQ(home.dataFilePassword("B.KQD"), "third");
        if (c.fileUnwritable) continue;
        EXPECT_EQ(home.loginSystemPassword(), now);
        EXPECT_EQ(home.loginUsers(), (Users{{"anna", "a"}, {"bo", "b"}}));
    }
}

}  // namespace
}  // namespace loom
