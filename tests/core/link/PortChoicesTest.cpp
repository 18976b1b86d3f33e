// What the port dialog offers and selects, over memory ports and a scripted device list.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "link/PortChoices.h"
#include "platform/SerialDevices.h"
#include "platform/Settings.h"
#include "support/LinkTestBed.h"

namespace loom {
namespace {

using Ports = std::vector<std::string>;

class ListedDevices final : public SerialDevices {
  public:
    std::vector<std::string> list() override { return paths; }
    Ports paths;
};

class PortChoicesTest : public ::testing::Test {
  protected:
    // Only the COM ports in `present` open.
    void havePorts(const std::set<std::string>& present) {
        for (int n = 1; n <= 9; ++n) {
            const std::string name = "COM" + std::to_string(n);
            if (present.count(name) == 0) bed.factory.missingPorts.insert(name);
        }
    }
    std::string setting(std::string_view name) {
        return Settings(bed.context.settings()).text(name);
    }
    void set(std::string_view name, std::string_view value) {
        Settings(bed.context.settings()).setText(name, value);
    }
    PortChoices read() { return PortChoices::read(bed.link(), devices, bed.context.settings()); }

    test::LinkTestBed bed;
    ListedDevices devices;
};

TEST_F(PortChoicesTest, ComPortsThatOpenThenTheOtherDevicesInOrder) {
    havePorts({"COM2", "COM3"});
    // ttyS1 is COM2 and ttyS5 is COM6, which does not open: neither is offered by path.
    devices.paths = {"/dev/ttyUSB10", "/dev/ttyS1", "/dev/ttyACM0",
                     "/dev/ttyUSB2",  "/dev/ttyS5", "/dev/ttyS12"};
    EXPECT_EQ(read().ports, (Ports{"COM2", "COM3", "/dev/ttyACM0", "/dev/ttyS12", "/dev/ttyUSB2",
                                   "/dev/ttyUSB10"}));
}

TEST_F(PortChoicesTest, EachListSelectsItsSettingElseCom2ElseTheFirst) {
    struct Case {
        std::set<std::string> present;
        std::string local;  // setting; empty: not set
        std::string remote;
        std::string product;
        int wantLocal;
        int wantRemote;
        int wantProduct;  // "VT 340" only when the setting says so
    };
    const Case cases[] = {
        {{"COM1", "COM2", "COM3"}, "COM3", "COM1", "VT 340", 2, 0, 1},
        {{"COM1", "COM2", "COM3"}, "", "COM7", "Gridlan", 1, 1, 0},  // unset, absent: COM2
        {{"COM1", "COM3"}, "COM4", "", "vt 340", 0, 0, 0},           // no COM2: the first
        {{"COM1"}, "/dev/ttyUSB0", "COM1", "", 1, 0, 0},             // a device by its path
        {{}, "COM2", "COM2", "VT 340", -1, -1, 1},
    };
    for (const Case& c : cases) {
        bed.factory.missingPorts.clear();
        havePorts(c.present);
        devices.paths = c.local.starts_with('/') ? Ports{c.local} : Ports{};
        MemorySettingsStore store;
        Settings settings(store);
        if (!c.local.empty()) settings.setText(setting::kLocalPort, c.local);
        if (!c.remote.empty()) settings.setText(setting::kRemotePort, c.remote);
        settings.setText(setting::kProduct, c.product);
        const PortChoices choices = PortChoices::read(bed.link(), devices, store);
        EXPECT_EQ(choices.local, c.wantLocal) << c.local;
        EXPECT_EQ(choices.remote, c.wantRemote) << c.remote;
        EXPECT_EQ(choices.product, c.wantProduct) << c.product;
    }
}

TEST_F(PortChoicesTest, OkStoresTheSelectionsOfTheListsThatHaveOne) {
    havePorts({"COM1", "COM2"});
    PortChoices choices = read();
    choices.local = 0;
    choices.remote = 1;
    choices.product = 1;
    choices.store(bed.context.settings());
    EXPECT_EQ(setting(setting::kLocalPort), "COM1");
    EXPECT_EQ(setting(setting::kRemotePort), "COM2");
    EXPECT_EQ(setting(setting::kProduct), "VT 340");

    // With no port at all only the product is stored.
    set(setting::kLocalPort, "COM5");
    havePorts({});
    choices = read();
    ASSERT_TRUE(choices.ports.empty());
    choices.product = 0;
    choices.store(bed.context.settings());
    EXPECT_EQ(setting(setting::kLocalPort), "COM5");
    EXPECT_EQ(setting(setting::kProduct), "Gridlan");
}

TEST_F(PortChoicesTest, ThePortTheConnectionHoldsIsOffered) {
    // An open port refuses a second open.
    havePorts({"COM1"});
    devices.paths = {"/dev/ttyUSB1"};
    for (const auto& [inUse, want] : std::vector<std::pair<std::string, Ports>>{
             {"COM4", {"COM1", "COM4", "/dev/ttyUSB1"}},
             {"/dev/ttyS2", {"COM1", "COM3", "/dev/ttyUSB1"}},  // offered as COM3
             {"/dev/ttyUSB0", {"COM1", "/dev/ttyUSB0", "/dev/ttyUSB1"}}}) {
        EXPECT_EQ(PortChoices::read(bed.link(), devices, bed.context.settings(), inUse).ports, want)
            << inUse;
    }
}

}  // namespace
}  // namespace loom
