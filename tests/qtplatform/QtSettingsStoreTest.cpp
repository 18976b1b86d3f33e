#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "QtSettingsStore.h"
#include "platform/Settings.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace loom {
namespace {

TEST(QtSettingsStore, ValuesSurviveANewInstanceUnderTheirSection) {
    test::TempDir dir;
    const std::string ini = dir.path("settings.ini");
    const std::string texts[] = {"", "\xC5ke \xE4r h\xE4r \x80", " padded ",
                                 "a=b;c#d [e] \"q\" \\ /", "\x81\x8D\x8F\x90\x9D"};
    const int numbers[] = {-5, INT_MAX, INT_MIN};
    {
        QtSettingsStore store(ini);
        for (std::size_t i = 0; i < std::size(texts); ++i)
            ASSERT_TRUE(store.writeString("", "Text" + std::to_string(i), texts[i]));
        for (std::size_t i = 0; i < std::size(numbers); ++i)
            ASSERT_TRUE(store.writeInt("Settings", "Number" + std::to_string(i), numbers[i]));
    }
    QtSettingsStore again(ini);
    for (std::size_t i = 0; i < std::size(texts); ++i)
        EXPECT_EQ(again.readString("", "Text" + std::to_string(i), "absent"), texts[i]) << i;
    for (std::size_t i = 0; i < std::size(numbers); ++i)
        EXPECT_EQ(again.readInt("Settings", "Number" + std::to_string(i), 7), numbers[i]) << i;
    EXPECT_EQ(again.readInt("", "Number0", 7), 7);  // the empty section is a section of its own
    const std::string file = test::readFile(ini);
    EXPECT_NE(file.find("[General]\nText0=\n"), std::string::npos) << file;
    EXPECT_NE(file.find("[Settings]\nNumber0=-5\n"), std::string::npos) << file;
}

TEST(QtSettingsStore, ReadIntOfNoNumberYieldsTheFallback) {
    test::TempDir dir;
    QtSettingsStore store(dir.path("settings.ini"));
    const std::pair<const char*, int> cases[] = {
        {"55", 55}, {"-3", -3}, {"abc", 9}, {"12x", 9}, {"", 9}, {"1.5", 9}, {"99999999999", 9}};
    for (const auto& [text, expected] : cases) {
        ASSERT_TRUE(store.writeString("", "Column", text));
        EXPECT_EQ(store.readInt("", "Column", 9), expected) << text;
    }
}

TEST(QtSettingsStore, ReadsDamagedFilesAndReportsOnesThatCannotBeWritten) {
    test::TempDir dir;
    QtSettingsStore damaged(
        dir.write("settings.ini", {'[', 'G', 'e', 'n', 'e',  'r', 'a',  'l', ']', '\n', 'C',
                                   '=', ' ', '6', '0', '\n', 0,   0xFF, '[', '=', '\n'}));
    EXPECT_EQ(damaged.readInt("", "C", 0), 60);
    dir.write("file", {});
    QtSettingsStore store(dir.path("file/settings.ini"));
    EXPECT_FALSE(store.writeString("", "LocalPort", "COM1"));
    EXPECT_FALSE(store.writeInt("", "Column", 50));
}

TEST(QtSettingsStore, ProgramSettingsGoToTheNamedFile) {
    test::TempDir dir;
    test::ScopedEnv env("LOOMCRAFT_SETTINGS", dir.path("program.ini"));
    ASSERT_TRUE(Settings(*openProgramSettings()).setInteger("Column", 120));
    EXPECT_NE(test::readFile(dir.path("program.ini")).find("Column=120"), std::string::npos);
}

}  // namespace
}  // namespace loom
