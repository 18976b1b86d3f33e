#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "PanelConfig.h"
#include "PanelFiles.h"
#include "PanelSimulator.h"
#include "support/RawPanelWire.h"
#include "support/TempDir.h"

namespace loom::panelsim {
namespace {

using test::RawPanelWire;

TEST(PanelFiles, ImageTextRoundTripsNonErasedBlocksInAddressOrder) {
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
}

TEST(PanelFiles, ImageTextRefusesWhatIsNotABlockOfThePromAndKeepsTheImage) {
    const char* cases[] = {
        "00020 AB00",                              // short data
        "00021 AB000000000000000000000000000000",  // not a multiple of 16
        "20000 AB000000000000000000000000000000",  // beyond the PROM
        "00020 AB000000000000000000000000000000\n"
        "00020 CD000000000000000000000000000000",  // twice
    };
    for (const char* text : cases) {
        PromImage image;
        image.write(0, std::vector<std::uint8_t>{1});
        std::string error;
        EXPECT_FALSE(parseImageText(text, image, error)) << text;
        EXPECT_EQ(image.at(0), 1) << text;
    }
}

TEST(PanelFiles, FaultsParseByNameAndRefuseNonsense) {
    PanelFaults f;
    std::string error;
    for (const char* good :
         {"nak-every=3", "duplicate-every=2", "corrupt-every=5", "drop-after-blocks=0",
          "silent-after-blocks=4", "no-identity", "unasked-identity"})
        EXPECT_TRUE(parseFault(good, f, error)) << good;
    EXPECT_EQ(f.nakEvery, 3u);
    EXPECT_EQ(f.duplicateEvery, 2u);
    EXPECT_EQ(f.corruptEvery, 5u);
    EXPECT_EQ(f.dropAfterBlocks, 0u);
    EXPECT_EQ(f.silentAfterBlocks, 4u);
    EXPECT_TRUE(f.noIdentity && f.unaskedIdentity);
    for (const char* bad : {"nak-every", "nak-every=0", "nak-every=x", "corrupt-every=-1",
                            "drop-after-blocks=", "louder"})
        EXPECT_FALSE(parseFault(bad, f, error)) << bad;
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

// Kills the program when a test leaves early.
struct ChildGuard {
    pid_t pid;
    ~ChildGuard() {
        if (pid <= 0) return;
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
};

// The program as others start it: its stdout lines, a working endpoint, a clean exit.
TEST(PanelsimProgram, PrintsItsEndpointsThenReadyAndStopsOnSigterm) {
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        ::execl(LOOM_PANELSIM, LOOM_PANELSIM, "--tcp", "0", "--serial", "--modem", nullptr);
        ::_exit(127);
    }
    ChildGuard guard{pid};
    ::close(out[1]);
    FILE* stream = ::fdopen(out[0], "r");
    std::vector<std::string> lines;
    char line[256];
    while (lines.size() < 4 && std::fgets(line, sizeof line, stream))
        lines.emplace_back(line);
    ASSERT_EQ(lines.size(), 4u);
    ASSERT_EQ(lines[0].rfind("tcp 127.0.0.1:", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1].rfind("serial /dev/pts/", 0), 0u) << lines[1];
    EXPECT_EQ(lines[2].rfind("modem /dev/pts/", 0), 0u) << lines[2];
    EXPECT_EQ(lines[3], "ready\n");
    {
        RawPanelWire wire = RawPanelWire::tcp(
            static_cast<std::uint16_t>(std::stoi(lines[0].substr(lines[0].find(':') + 1))));
        EXPECT_EQ(wire.command(msg::kProbe), msg::kAck);
    }
    ::kill(pid, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    guard.pid = 0;
    std::fclose(stream);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
}  // namespace loom::panelsim
