#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/PosixSerialDevices.h"
#include "support/PseudoTerminal.h"
#include "support/TempDir.h"

namespace loom {
namespace {

using Paths = std::vector<std::string>;

TEST(SerialDevicesTest, PosixListsPluggedDevicesAndTtySThatAnswerAsPorts) {
    test::TempDir dev;
    for (const char* name : {"ttyUSB10", "ttyUSB2", "ttyACM0", "ttyUSBx", "ttyS3", "console"})
        dev.write(name, {});
    // A pseudo-terminal answers an open as a serial port does; a plain file named ttyS3
    // does not.
    test::PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    std::filesystem::create_symlink(pty.slavePath(), dev.path("ttyS4"));
    EXPECT_EQ(
        PosixSerialDevices(dev.path("")).list(),
        (Paths{dev.path("ttyACM0"), dev.path("ttyS4"), dev.path("ttyUSB2"), dev.path("ttyUSB10")}));
}

}  // namespace
}  // namespace loom
