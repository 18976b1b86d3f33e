#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "QtSettingsStore.h"
#include "platform/Settings.h"
#include "support/TempDir.h"

namespace loom {
namespace {

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(QtSettingsStore, ValuesSurviveANewInstance) {
    test::TempDir dir;
    const std::string ini = dir.path("settings.ini");
    const std::string texts[] = {
        "",         "\xC5ke \xE4r h\xE4r \x80", "N,Y,Y,700,120,Arial",  "VT 340",
        " padded ", "a=b;c#d [e] \"q\" \\ /",   "\x81\x8D\x8F\x90\x9D",
    };
    const int numbers[] = {0, -5, 40, INT_MAX, INT_MIN};
    {
        QtSettingsStore store(ini);
        for (std::size_t i = 0; i < std::size(texts); ++i)
            ASSERT_TRUE(store.writeString("", "Text" + std::to_string(i), texts[i]));
        for (std::size_t i = 0; i < std::size(numbers); ++i)
            ASSERT_TRUE(store.writeInt("", "Number" + std::to_string(i), numbers[i]));
    }
    QtSettingsStore again(ini);
    for (std::size_t i = 0; i < std::size(texts); ++i)
        EXPECT_EQ(again.readString("", "Text" + std::to_string(i), "absent"), texts[i]) << i;
    for (std::size_t i = 0; i < std::size(numbers); ++i)
        EXPECT_EQ(again.readInt("", "Number" + std::to_string(i), 7), numbers[i]) << i;
    EXPECT_EQ(again.readString("", "Missing", "fallback"), "fallback");
    EXPECT_EQ(again.readInt("", "Missing", 7), 7);
}

TEST(QtSettingsStore, EmptySectionIsTheKeyItself) {
    test::TempDir dir;
    const std::string ini = dir.path("settings.ini");
    QtSettingsStore store(ini);
    ASSERT_TRUE(store.writeString("", "LocalPort", "COM3"));
    ASSERT_TRUE(store.writeInt("Settings", "PreviewPages", 2));
    EXPECT_EQ(store.readInt("", "PreviewPages", -1), -1);
    EXPECT_EQ(store.readString("Settings", "LocalPort", "none"), "none");
    EXPECT_EQ(store.readInt("Settings", "PreviewPages", -1), 2);
    const std::string text = fileText(ini);
    EXPECT_NE(text.find("[General]\nLocalPort=COM3\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[Settings]\nPreviewPages=2\n"), std::string::npos) << text;
}

TEST(QtSettingsStore, ReadIntOfNoNumberYieldsTheFallback) {
    test::TempDir dir;
    QtSettingsStore store(dir.path("settings.ini"));
    const struct {
        const char* text;
        int expected;
    } cases[] = {
        {"55", 55}, {"-3", -3}, {"abc", 9}, {"12x", 9}, {"", 9}, {"99999999999", 9}, {"1.5", 9},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(store.writeString("", "Column", c.text));
        EXPECT_EQ(store.readInt("", "Column", 9), c.expected) << c.text;
    }
}

TEST(QtSettingsStore, ReadsHandWrittenAndDamagedFiles) {
    test::TempDir dir;
    const std::string ini = dir.write(
        "settings.ini",
        {'[', 'G', 'e', 'n', 'e',  'r', 'a',  'l', ']', '\n', 'F',  'o', 'n',  't', '0', '=',
         'N', ',', 'Y', ',', 'A',  'r', 'i',  'a', 'l', '\n', 'C',  'o', 'l',  'u', 'm', 'n',
         '=', ' ', '6', '0', '\n', 0,   0xFF, '[', '=', '\n', 0xC3, '=', 0x80, '\n'});
    QtSettingsStore store(ini);
    EXPECT_EQ(store.readString("", "Font0", ""), "N,Y,Arial");
    EXPECT_EQ(store.readInt("", "Column", 0), 60);
    EXPECT_EQ(store.readString("", "Margin", "none"), "none");
}

TEST(QtSettingsStore, ReportsAFileThatCannotBeWritten) {
    test::TempDir dir;
    dir.write("file", {});
    QtSettingsStore store(dir.path("file/settings.ini"));
    EXPECT_FALSE(store.writeString("", "LocalPort", "COM1"));
    EXPECT_FALSE(store.writeInt("", "Column", 50));
}

TEST(QtSettingsStore, ProgramSettingsGoToTheNamedFile) {
    test::TempDir dir;
    const std::string ini = dir.path("program.ini");
    std::optional<std::string> old;
    if (const char* value = std::getenv("LOOMCRAFT_SETTINGS")) old = value;
    ::setenv("LOOMCRAFT_SETTINGS", ini.c_str(), 1);
    {
        auto store = openProgramSettings();
        Settings settings(*store);
        EXPECT_EQ(settings.integer("Column"), 40);
        ASSERT_TRUE(settings.setInteger("Column", 120));
        ASSERT_TRUE(settings.setComputerId("Q"));
    }
    {
        auto store = openProgramSettings();
        const Settings settings(*store);
        EXPECT_EQ(settings.integer("Column"), 120);
        EXPECT_EQ(settings.computerId(), "Q");
    }
    if (old)
        ::setenv("LOOMCRAFT_SETTINGS", old->c_str(), 1);
    else
        ::unsetenv("LOOMCRAFT_SETTINGS");
    EXPECT_NE(fileText(ini).find("Column=120"), std::string::npos);
}

}  // namespace
}  // namespace loom
