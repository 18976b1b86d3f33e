#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include <sys/wait.h>

#include "PanelConfig.h"
#include "PanelFiles.h"
#include "PanelSimulator.h"
#include "support/RawPanelWire.h"
#include "support/TempDir.h"

namespace loom::panelsim {
namespace {

using test::RawPanelWire;

TEST(PanelFiles, ImageTextRoundTripsNonErasedBlocksInAddressOrderAndRefusesOthers) {
    PromImage image;
    LinkMessage::Data a{};
    a[0] = 0xAB;
    LinkMessage::Data erased;
    erased.fill(0xFF);
    image.write(0x1FFF0, a);
    image.write(0x00020, a);
    image.write(0x00400, erased);
    const std::string text = formatImageText(image);
    EXPECT_EQ(text,
              "00020 AB000000000000000000000000000000\n"
              "1FFF0 AB000000000000000000000000000000\n");
    PromImage back;
    std::string error;
    ASSERT_TRUE(parseImageText("# comment\r\n\r\n" + text, back, error)) << error;
    EXPECT_EQ(formatImageText(back), text);

    // What is not a block of the PROM is refused and the image kept.
    const char* cases[] = {
        "00021 AB000000000000000000000000000000",  // not a multiple of 16
        "20000 AB000000000000000000000000000000",  // beyond the PROM
    };
    for (const char* bad : cases) {
        EXPECT_FALSE(parseImageText(bad, back, error)) << bad;
        EXPECT_EQ(formatImageText(back), text) << bad;
    }
}

TEST(PanelFiles, APromChangedInASessionIsWrittenBackToTheImageFile) {
    test::TempDir dir;
    PanelConfig config;
    config.imageFile = dir.path("panel.img");  // missing: an erased PROM
    std::string error;
    ASSERT_TRUE(loadImageFile(config.imageFile, config.image, error)) << error;
    PanelSimulator panel(std::move(config));
    RawPanelWire wire = RawPanelWire::tcp(panel.startTcp().value_or(1));
    ASSERT_EQ(wire.command(msg::kLogin, 0, LinkMessage::packText("123456")), msg::kAck);
    ASSERT_EQ(wire.readFrame().type(), msg::kLoginAccepted);
    wire.ack();
    LinkMessage::Data data{};
    data[15] = 0x42;
    ASSERT_EQ(wire.command(msg::kWriteBlock, LinkMessage::encodeAddress(0x10010), data), msg::kAck);
    ASSERT_EQ(wire.command(msg::kEndConnection), msg::kAck);
    wire.close();
    panel.waitFor([](const PanelCounters& c) { return c.imageSaves == 1; });
    EXPECT_EQ(test::readFile(dir.path("panel.img")), "10010 00000000000000000000000000000042\n");
}

// The program as others start it: its stdout lines, a working endpoint, a clean exit.
TEST(PanelsimProgram, PrintsItsEndpointsThenReadyAndStopsOnSigterm) {
    // The shell prints its process number, then becomes the program.
    const std::string command = "echo $$; exec " + std::string(LOOM_PANELSIM) + " --tcp 0 --serial";
    FILE* out = ::popen(command.c_str(), "r");
    ASSERT_NE(out, nullptr);
    std::vector<std::string> lines;
    char line[256];
    while (lines.size() < 4 && std::fgets(line, sizeof line, out))
        lines.emplace_back(line);
    if (lines.size() == 4) {  // the program runs until it is told to stop
        EXPECT_EQ(lines[1].rfind("tcp 127.0.0.1:", 0), 0u) << lines[1];
        EXPECT_EQ(lines[2].rfind("serial /dev/pts/", 0), 0u) << lines[2];
        EXPECT_EQ(lines[3], "ready\n");
        {
            RawPanelWire wire = RawPanelWire::tcp(static_cast<std::uint16_t>(
                std::atoi(lines[1].substr(lines[1].rfind(':') + 1).c_str())));
            EXPECT_EQ(wire.command(msg::kProbe), msg::kAck);
        }
        ::kill(std::stoi(lines[0]), SIGTERM);
    }
    const int status = ::pclose(out);
    EXPECT_EQ(lines.size(), 4u);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
}  // namespace loom::panelsim
