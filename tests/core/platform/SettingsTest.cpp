#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/Settings.h"

namespace loom {
namespace {

TEST(Settings, DefaultsOfEveryValue) {
    struct Case {
        std::string_view name;
        std::string text;
    };
    const Case cases[] = {
        {"ComputerID", ""},
        {"LocalPort", "COM2"},
        {"RemotePort", "COM2"},
        {"Produkt", ""},
        {"IP-ADDR", ""},
        {"IP-PORT", ""},
        {"LatestExport", ""},
        {"Column", "40"},
        {"Margin", "20"},
        {"Font0", "N,Y,Y,700,120,Arial"},
        {"Font1", "Y,N,N,400,100,Arial"},
        {"Font2", "N,N,N,400,90,Arial"},
        {"PreviewPages", "0"},
    };
    MemorySettingsStore store;
    const Settings settings(store);
    ASSERT_EQ(settingDefinitions().size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(settingDefinitions()[i].name, cases[i].name);
        EXPECT_EQ(settings.text(cases[i].name), cases[i].text) << cases[i].name;
    }
    EXPECT_EQ(settings.integer("Column"), 40);
    EXPECT_EQ(settings.integer("Margin"), 20);
    EXPECT_EQ(findSetting("column"), nullptr);
}

TEST(Settings, EachValueIsStoredWithItsTypeInTheEmptySection) {
    MemorySettingsStore store;
    Settings settings(store);
    EXPECT_TRUE(settings.setInteger("Column", 55));
    EXPECT_TRUE(settings.setText("Margin", "30"));
    EXPECT_FALSE(settings.setText("Margin", "3O"));
    EXPECT_TRUE(settings.setComputerId("K"));
    EXPECT_TRUE(settings.setInteger("LocalPort", 3));

    EXPECT_EQ(store.readInt("", "Column", -1), 55);
    EXPECT_EQ(store.readString("", "Column", "absent"), "absent");
    EXPECT_EQ(store.readInt("", "Margin", -1), 30);
    EXPECT_EQ(store.readString("", "ComputerID", ""), "K");
    EXPECT_EQ(store.readString("", "LocalPort", ""), "3");
    EXPECT_EQ(store.readString("Settings", "ComputerID", "other"), "other");
    // The print preview's value alone lives in "Settings".
    EXPECT_TRUE(settings.setInteger("PreviewPages", 2));
    EXPECT_EQ(store.readInt("Settings", "PreviewPages", -1), 2);
    EXPECT_EQ(store.readInt("", "PreviewPages", -1), -1);
    EXPECT_EQ(settings.text("Column"), "55");
    EXPECT_EQ(settings.computerId(), "K");
    EXPECT_EQ(settings.integer("LocalPort"), 3);
    EXPECT_EQ(settings.integer("Font0"), 0);  // not a number
}

// Each setting with what it stores for accepted values and the values it refuses.
TEST(Settings, ValueChecksStoreWhatTheDialogsWouldAndRefuseTheRest) {
    struct Case {
        std::string_view name;
        std::vector<std::pair<std::string, std::string>> stored;
        std::vector<std::string> refused;
    };
    const Case cases[] = {
        {"Column", {{"20", "20"}, {"200", "200"}}, {"19", "201", "", "5x"}},
        {"Margin", {{"0", "0"}, {"50", "50"}}, {"-1", "51"}},
        {"ComputerID", {{"b", "B"}, {"", ""}}, {"3", "AB", "\xE9"}},
        {"IP-ADDR",
         {{"192.168.0.1", "192.168.0.1"}, {"", ""}},
         {"0.0.0.0", "1.2.3", "1.2.3.256", "1..2.3", "1.2.3.4.5", "0001.2.3.4"}},
        {"IP-PORT", {{"65535", "65535"}}, {"0", "65536", "8o"}},
        {"Produkt", {{"VT 340", "VT 340"}, {"Gridlan", "Gridlan"}}, {"VT340"}},
        {"LocalPort",
         {{"COM1", "COM1"}, {"/dev/ttyUSB0", "/dev/ttyUSB0"}},
         {"COM0", "COM10", "com3", "", "ttyS0", "/dev/tty\n"}},
        {"RemotePort", {{"COM9", "COM9"}}, {"COM"}},
        {"Font0", {{"Y,Y,Y,1,1,X", "Y,Y,Y,1,1,X"}}, {}},
    };
    for (const Case& c : cases) {
        for (const auto& [value, stored] : c.stored)
            EXPECT_EQ(checkSettingValue(c.name, value).stored, stored) << c.name << " " << value;
        for (const std::string& value : c.refused) {
            const SettingCheck check = checkSettingValue(c.name, value);
            EXPECT_FALSE(check.stored) << c.name << " " << value;
            EXPECT_FALSE(check.refusal.empty()) << c.name << " " << value;
        }
    }
    EXPECT_EQ(checkSettingValue("Column", "19").refusal,
              "Column m\xE5ste vara ett heltal fr\xE5n 20 till 200.");
    for (const char* code : {"123456", "000000"})
        EXPECT_TRUE(isTcpIdCode(code)) << code;
    for (const char* code : {"12345", "1234567", "12345a", ""})
        EXPECT_FALSE(isTcpIdCode(code)) << code;
}

TEST(MemorySettingsStore, AValueHasOneTypeAndSectionsAreApart) {
    MemorySettingsStore store;
    store.writeInt("", "V", 7);
    store.writeString("", "V", "text");
    EXPECT_EQ(store.readInt("", "V", -1), -1);
    EXPECT_EQ(store.readString("", "V", ""), "text");
    store.writeInt("", "V", 8);
    EXPECT_EQ(store.readString("", "V", "none"), "none");
    EXPECT_EQ(store.readInt("", "V", -1), 8);
    store.writeString("A", "B", "in A");
    EXPECT_EQ(store.readString("", "AB", "none"), "none");
    EXPECT_EQ(store.readString("A", "B", ""), "in A");
}

}  // namespace
}  // namespace loom
