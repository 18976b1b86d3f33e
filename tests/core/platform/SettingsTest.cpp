#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "common/Messages.h"
#include "platform/Settings.h"

namespace loom {
namespace {

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
        {"PreviewPages", {{"2", "2"}}, {"3"}},
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
              formatMessage(MessageId::SettingOutOfRange,
                            {"Column", std::int64_t{20}, std::int64_t{200}}));
    // Defaults come from the table; the print preview's value lives in "Settings".
    MemorySettingsStore store;
    Settings settings(store);
    EXPECT_EQ(settings.text("LocalPort"), "COM2");
    EXPECT_TRUE(settings.setInteger("PreviewPages", 2));
    EXPECT_EQ(store.readInt("Settings", "PreviewPages", -1), 2);
    EXPECT_EQ(store.readInt("", "PreviewPages", -1), -1);
    for (const char* code : {"123456", "000000"})
        EXPECT_TRUE(isTcpIdCode(code)) << code;
    for (const char* code : {"12345", "1234567", "12345a", ""})
        EXPECT_FALSE(isTcpIdCode(code)) << code;
}

}  // namespace
}  // namespace loom
