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
using Three = std::array<std::string, 3>;

const std::string m46 = text(MessageId::PasswordFileNotCreated),
                  m56 = text(MessageId::ConfirmSystemPasswordChange),
                  m77 = text(MessageId::Reencipher);

// Files under the old or new password are rewritten (lower-case names too); others are
// admitted through the temporary passwords, each text typed once serving every later file
// (the empty one too); files that do not read are left as they are, silently.
TEST(SystemPasswordTest, ReencipherRewritesEveryAdmittedFileKeepingItsValues) {
    test::TestHome home;
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
    home.context.temporaryPasswords().add("known");
    home.dialogs.temporaryAnswers = {Three{"zz", "", "third"}};

    EXPECT_TRUE(ReencipherDataFiles(home.context, "new", "old"));
    for (const char* name :
         {"OLD.KQD", "NEW.KQD", "lower.kqd", "T1.KQD", "E1.KQD", "T2.KQD", "K.KQD"})
        EXPECT_EQ(home.dataFilePassword(name), "new") << name;
    EXPECT_EQ(home.dialogs.temporaryShown, 1);
    for (const char* name : {"OLD.KQD", "lower.kqd", "T2.KQD"})
        EXPECT_TRUE(home.dataFileIntact(name)) << name;
    EXPECT_EQ(test::readFile(home.dataFile("CUT.KQD")), cut);
    EXPECT_EQ(test::readFile(home.dataFile("JUNK.KQD")), "no data file at all");
    EXPECT_EQ(home.prompt.texts(), (Lines{m77}));
    EXPECT_EQ(home.dialogs.unexpected, 0);
}

// From the k-th data file on, nothing written reaches a data file, as if the program died
// there (or the disk filled up and the run went on).
TEST(ReencipherInterrupted, LeavesEveryFileWholeUnderTheOldOrTheNewPassword) {
    const struct {
        int file;
        std::uint64_t bytesInto;
        bool crash;
    } cases[] = {{0, 5, true}, {3, 150, true}, {1, 20, false}};
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

// The command asks first (No changes nothing), refuses a password record 0 cannot hold,
// and goes on when LOGIN.KEY cannot be written.
TEST(ChangeSystemPassword, AsksRefusesWhatRecord0CannotHoldAndGoesOnWithoutLoginKey) {
    using Typed = test::ScriptedDialogs::Typed;
    const std::string longest(PasswordFile::kMaxPairLength + 1, 'p');
    const struct {
        const char* name;
        Answer answer;
        std::deque<test::ScriptedDialogs::ChangeAttempt> attempts;
        bool unwritable;  // and so the only case that changes the password
        Lines messages;
    } cases[] = {
        {"no", Answer::No, {}, false, {m56}},
        {"too long",
         Answer::Yes,
         {Typed{"sys", longest, longest}, std::nullopt},
         false,
         {m56, text(MessageId::PasswordTooLong, {std::int64_t{125}})}},
        {"unwritable", Answer::Yes, {Typed{"sys", "ny", "ny"}}, true, {m56, m46, m77}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::TestHome home;
        if (c.unwritable)
            std::filesystem::create_directory(home.loginKey());
        else
            home.writeLogin("sys");
        home.writeDataFile("A.KQD", "sys");
        home.writeDataFile("B.KQD", "third");
        home.context.setSystemPassword("sys");
        home.prompt.answers = {c.answer};
        home.dialogs.changeAttempts = c.attempts;
        home.dialogs.temporaryAnswers = {std::nullopt};
        EXPECT_EQ(ChangeSystemPassword(home.context), c.unwritable);
        EXPECT_EQ(home.prompt.texts(), c.messages);
        const std::string now = c.unwritable ? "ny" : "sys";
        EXPECT_EQ(home.context.systemPassword(), now);
        EXPECT_EQ(home.dataFilePassword("A.KQD"), now);
        EXPECT_EQ(home.dataFilePassword("B.KQD"), "third");
        if (!c.unwritable) {
            EXPECT_EQ(home.loginSystemPassword(), "sys");
        }
    }
}

}  // namespace
}  // namespace loom
