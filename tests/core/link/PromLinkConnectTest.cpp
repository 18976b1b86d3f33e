#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <optional>

#include "link/PromLink.h"
#include "support/LinkTestBed.h"

namespace loom {
namespace {

using test::Bytes;
using test::frameBytes;
using test::MemoryLine;
using test::ScriptedPanel;

const char* const kRetryModem = "Modemet kunde inte kopplas.\nVill du försöka igen?";

// ---- opening ports ----

struct PortCase {
    const char* product;
    bool modem;
    int baud;
    bool oddParity;
};

class SerialSettingsByProduct : public ::testing::TestWithParam<PortCase> {};

TEST_P(SerialSettingsByProduct, BaudAndParity) {
    test::LinkTestBed bed;
    bed.setProduct(GetParam().product);
    ASSERT_TRUE(bed.link().OpenSerial("COM3", GetParam().modem));
    ASSERT_EQ(bed.factory.settingsAsked.size(), 1u);
    EXPECT_EQ(bed.factory.settingsAsked[0].baud, GetParam().baud);
    EXPECT_EQ(bed.factory.settingsAsked[0].oddParity, GetParam().oddParity);
}

INSTANTIATE_TEST_SUITE_P(PromLink, SerialSettingsByProduct,
                         ::testing::Values(PortCase{"VT 340", true, 1200, true},
                                           PortCase{"VT 340", false, 1200, true},
                                           PortCase{"Gridlan", true, 9600, false},
                                           PortCase{"Gridlan", false, 9600, true},
                                           PortCase{"", true, 9600, false}));

TEST(PromLinkPorts, FailedOpenLeavesTheCurrentLinkNewOneReplacesIt) {
    test::LinkTestBed bed;
    auto first = bed.openSerial();
    bed.factory.missingPorts.insert("COM5");
    EXPECT_FALSE(bed.link().OpenSerial("COM5", false));
    EXPECT_FALSE(bed.link().PortExists("COM5"));
    EXPECT_TRUE(first->open);

    auto refusing = bed.factory.prepareSerial();
    refusing->failPurge = true;
    EXPECT_FALSE(bed.link().OpenSerial("COM6", false));
    EXPECT_TRUE(first->open);

    EXPECT_TRUE(bed.link().PortExists("COM4"));
    EXPECT_FALSE(bed.factory.handedOut.back()->open);  // closed again at once
    EXPECT_TRUE(first->open);

    EXPECT_TRUE(bed.link().OpenSerial("COM7", false));
    EXPECT_FALSE(first->open);
}

// ---- modem ----

// A Hayes modem on a line: it answers the dial line with `dialAnswer`, and the panel behind
// it answers the login with `loginReply` (nothing when it is kNone).
struct Modem {
    std::string dialAnswer = "1\r";
    std::uint8_t loginReply = msg::kLoginAccepted;
    std::string typed;  // every byte the link wrote outside frames
    ScriptedPanel panel;

    void attach(MemoryLine& line) {
        panel.onByte = [this](std::uint8_t b) {
            typed.push_back(static_cast<char>(b));
            const std::size_t start = typed.find_last_of('\r', typed.size() - 2);
            const std::string lastLine = typed.substr(start == std::string::npos ? 0 : start + 1);
            if (b == '\r' && lastLine.rfind("ATD", 0) == 0)
                return Bytes(dialAnswer.begin(), dialAnswer.end());
            return Bytes{};
        };
        panel.onFrame = [this](const LinkMessage& m) {
            if (m.type() != msg::kLogin || loginReply == msg::kNone) return Bytes{};
            return frameBytes(loginReply);
        };
        panel.attach(line);
    }
    // The command lines sent before the first frame.
    std::string commands() const { return typed.substr(0, typed.find('\x06')); }
};

class ModemDialling : public ::testing::Test {
  protected:
    void writeModemFile(const std::string& content) {
        std::ofstream(bed.home.path("modem.txt"), std::ios::binary) << content;
    }
    std::shared_ptr<MemoryLine> prepare(Modem& modem) {
        auto line = bed.factory.prepareSerial();
        modem.attach(*line);
        return line;
    }
    std::vector<std::string> questions() const {
        std::vector<std::string> out;
        for (const auto& e : bed.prompt.entries)
            if (e.question) out.push_back(e.text);
        return out;
    }

    test::LinkTestBed bed;
};

struct CommandFileCase {
    const char* name;
    std::optional<std::string> file;
    const char* sent;
};

class ModemCommandLines : public ModemDialling,
                          public ::testing::WithParamInterface<CommandFileCase> {};

TEST_P(ModemCommandLines, AreSentTrimmedWithTheNumber) {
    if (GetParam().file) writeModemFile(*GetParam().file);
    Modem modem;
    prepare(modem);
    ASSERT_TRUE(bed.link().ConnectModem("COM2", "0701-23 45", "123456"));
    EXPECT_EQ(modem.commands(), GetParam().sent);
    EXPECT_EQ(bed.prompt.texts(), std::vector<std::string>{"Modemet är kopplat."});
    EXPECT_TRUE(bed.link().IsOpen());
    // The login went out with the packed ID code.
    ASSERT_EQ(modem.panel.frames.size(), 1u);
    EXPECT_EQ(modem.panel.frames[0].type(), msg::kLogin);
    EXPECT_EQ(modem.panel.frames[0].data()[0], 0x12);
}

const char* const kDefaultCommands = "ATE0\rATV0\rATX0\rAT+MS=2,1,300,2400\rATDT 0701-23 45\r";

INSTANTIATE_TEST_SUITE_P(
    PromLink, ModemCommandLines,
    ::testing::Values(CommandFileCase{"Missing", std::nullopt, kDefaultCommands},
                      CommandFileCase{"Empty", "", kDefaultCommands},
                      CommandFileCase{"OwnList", "ATZ\r\n  AT&F \n\nATDP#NR# #NR#\n",
                                      "ATZ\rAT&F\r\rATDP0701-23 45 #NR#\r"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(ModemDialling, PausesTheModemRelies) {
    Modem modem;
    prepare(modem);
    ASSERT_TRUE(bed.link().ConnectModem("COM2", "1", "1"));
    const auto& s = bed.clock.sleeps;
    EXPECT_EQ(std::count(s.begin(), s.end(), 1000), 5);
    EXPECT_EQ(std::count(s.begin(), s.end(), 3000), 1);
    // 30 ms before each command byte, after the login frame and after the ACK.
    EXPECT_EQ(std::count(s.begin(), s.end(), 30), static_cast<long>(modem.commands().size()) + 2);
}

TEST_F(ModemDialling, NoConnectAnswerClosesWithoutHangUpAndAsks) {
    Modem modem;
    modem.dialAnswer = "3\r";
    auto line = prepare(modem);
    bed.prompt.answers = {Answer::No};
    EXPECT_FALSE(bed.link().ConnectModem("COM2", "1", "1"));
    EXPECT_EQ(modem.typed.find("+++"), std::string::npos);
    EXPECT_EQ(modem.typed.find("ATH"), std::string::npos);
    EXPECT_TRUE(modem.panel.frames.empty());
    EXPECT_FALSE(line->open);
    EXPECT_EQ(questions(), std::vector<std::string>{kRetryModem});
}

TEST_F(ModemDialling, WrongIdCodeHangsUpAndAsks) {
    Modem modem;
    modem.loginReply = msg::kLoginRefused;
    auto line = prepare(modem);
    bed.prompt.answers = {Answer::No};
    EXPECT_FALSE(bed.link().ConnectModem("COM2", "1", "999999"));
    EXPECT_EQ(bed.prompt.texts(), (std::vector<std::string>{"Felaktig ID-kod.", kRetryModem}));
    // The hang-up: "+++", three seconds, then ATH.
    const std::size_t escape = modem.typed.find("+++");
    ASSERT_NE(escape, std::string::npos);
    EXPECT_EQ(modem.typed.substr(escape), "+++ATH\r");
    const auto& s = bed.clock.sleeps;
    EXPECT_EQ(std::count(s.begin(), s.end(), 3000), 2);  // before the dial, after "+++"
    EXPECT_FALSE(line->open);
    EXPECT_FALSE(bed.link().IsOpen());
}

TEST_F(ModemDialling, RetryDialsAgainOnANewPort) {
    Modem silent;
    silent.dialAnswer = "";
    auto first = prepare(silent);
    Modem answering;
    prepare(answering);
    bed.prompt.answers = {Answer::Yes};
    const std::uint64_t start = bed.clock.now;
    EXPECT_TRUE(bed.link().ConnectModem("COM2", "1", "1"));
    // The silent modem was given 5 units (36 whole seconds) to answer.
    EXPECT_GT(bed.clock.now - start, 36'000u);
    EXPECT_FALSE(first->open);
    EXPECT_EQ(questions(), std::vector<std::string>{kRetryModem});
    EXPECT_EQ(bed.factory.portsAsked, (std::vector<std::string>{"COM2", "COM2"}));
}

TEST_F(ModemDialling, PortThatCannotBeOpenedAsksToRetry) {
    bed.factory.missingPorts.insert("COM2");
    bed.prompt.answers = {Answer::No};
    EXPECT_FALSE(bed.link().ConnectModem("COM2", "1", "1"));
    EXPECT_EQ(questions(), std::vector<std::string>{kRetryModem});
}

// ---- TCP ----

class TcpConnect : public ::testing::Test {
  protected:
    std::shared_ptr<MemoryLine> prepare(std::optional<std::uint8_t> reply, bool ack = true) {
        auto line = bed.factory.prepareTcp();
        panel.ackFrames = ack;
        panel.onFrame = [reply](const LinkMessage&) {
            return reply ? frameBytes(*reply) : Bytes{};
        };
        panel.attach(*line);
        return line;
    }

    test::LinkTestBed bed;
    ScriptedPanel panel;
};

TEST_F(TcpConnect, AcceptedLogin) {
    auto serial = bed.openSerial();
    prepare(msg::kLoginAccepted);
    EXPECT_TRUE(bed.link().ConnectTcp("192.168.1.2", "4001", "123456"));
    EXPECT_TRUE(bed.link().IsTcp());
    EXPECT_FALSE(serial->open);  // the old link made way
    EXPECT_EQ(bed.prompt.texts(), std::vector<std::string>{"Uppkoppling klar."});
    EXPECT_EQ(bed.factory.tcpAsked[0],
              std::make_pair(std::string("192.168.1.2"), std::string("4001")));
}

TEST_F(TcpConnect, WrongIdCodeClosesWithoutAsking) {
    auto line = prepare(msg::kLoginRefused);
    EXPECT_FALSE(bed.link().ConnectTcp("10.0.0.1", "1", "000000"));
    EXPECT_FALSE(line->open);
    EXPECT_EQ(bed.prompt.texts(), std::vector<std::string>{"Felaktig ID-kod."});
    EXPECT_EQ(bed.prompt.unexpected, 0);
}

TEST_F(TcpConnect, NoAnswerAsksAndNoCloses) {
    auto line = prepare(std::nullopt, false);
    bed.prompt.answers = {Answer::Yes, Answer::No};
    EXPECT_FALSE(bed.link().ConnectTcp("10.0.0.1", "1", "1"));
    EXPECT_EQ(bed.prompt.texts(),
              std::vector<std::string>(2, "Uppkoppling misslyckades.\nVill du försöka igen?"));
    EXPECT_EQ(panel.frames.size(), 14u);  // seven attempts, twice
    EXPECT_FALSE(line->open);
}

TEST_F(TcpConnect, LinkLostDuringLoginEndsWithoutAsking) {
    auto line = prepare(std::nullopt);
    line->whenEmpty = ReadStatus::Closed;
    EXPECT_FALSE(bed.link().ConnectTcp("10.0.0.1", "1", "1"));
    EXPECT_EQ(bed.prompt.texts(),
              std::vector<std::string>{"Kommunikationsfel\nTCP/IP-uppkopplingen avbryten"});
}

TEST_F(TcpConnect, ConnectFailureShowsTheStepThatFailed) {
    auto serial = bed.openSerial();
    bed.factory.tcpError = "Anslutningen misslyckades";
    EXPECT_FALSE(bed.link().ConnectTcp("10.0.0.1", "1", "1"));
    EXPECT_EQ(bed.prompt.texts(), std::vector<std::string>{"Anslutningen misslyckades"});
    EXPECT_TRUE(serial->open);
}

}  // namespace
}  // namespace loom
