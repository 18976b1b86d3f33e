// Opening ports, dialling a modem and connecting over TCP, over memory lines.
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
using test::text;
using M = MessageId;

std::vector<std::string> texts(const std::vector<M>& ids) {
    std::vector<std::string> out;
    for (const M id : ids)
        out.push_back(text(id));
    return out;
}

TEST(PromLinkPorts, BaudAndParityFollowTheProductAndTheModem) {
    struct Case {
        const char* product;
        bool modem;
        int baud;
        bool oddParity;
    };
    for (const Case c : {Case{"VT 340", true, 1200, true}, Case{"VT 340", false, 1200, true},
                         Case{"Gridlan", true, 9600, false}, Case{"Gridlan", false, 9600, true},
                         Case{"", true, 9600, false}}) {
        test::LinkTestBed bed;
        bed.setProduct(c.product);
        ASSERT_TRUE(bed.link().OpenSerial("COM3", c.modem));
        ASSERT_EQ(bed.factory.settingsAsked.size(), 1u);
        EXPECT_EQ(bed.factory.settingsAsked[0].baud, c.baud) << c.product << c.modem;
        EXPECT_EQ(bed.factory.settingsAsked[0].oddParity, c.oddParity) << c.product << c.modem;
    }
}

TEST(PromLinkPorts, AFailedOpenLeavesTheCurrentLinkAndANewOneReplacesIt) {
    test::LinkTestBed bed;
    auto first = bed.openSerial();
    bed.factory.missingPorts.insert("COM5");
    EXPECT_FALSE(bed.link().OpenSerial("COM5", false));
    EXPECT_FALSE(bed.link().PortExists("COM5"));
    bed.factory.prepareSerial()->failPurge = true;
    EXPECT_FALSE(bed.link().OpenSerial("COM6", false));
    EXPECT_TRUE(bed.link().PortExists("COM4"));
    EXPECT_FALSE(bed.factory.handedOut.back()->open);  // closed again at once
    EXPECT_TRUE(first->open);

    EXPECT_TRUE(bed.link().OpenSerial("COM7", false));
    EXPECT_FALSE(first->open);
}

// ---- modem ----

// A modem that answers the dial line with `dialAnswer`, and the panel behind it that
// answers the login with `loginReply` (nothing when it is kNone).
struct Modem {
    std::string dialAnswer = "1\r";
    std::uint8_t loginReply = msg::kLoginAccepted;
    std::string typed;  // every byte the link wrote outside frames
    ScriptedPanel panel;

    std::shared_ptr<MemoryLine> attach(test::LinkTestBed& bed) {
        auto line = bed.factory.prepareSerial();
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
        panel.attach(*line);
        return line;
    }
    // The command lines sent before the first frame.
    std::string commands() const { return typed.substr(0, typed.find('\x06')); }
};

TEST(PromLinkModem, CommandLinesAreSentTrimmedWithTheNumberThenTheIdCode) {
    const char* const defaults = "ATE0\rATV0\rATX0\rAT+MS=2,1,300,2400\rATDT 0701-23 45\r";
    struct Case {
        std::optional<std::string> file;
        const char* sent;
    };
    for (const Case& c :
         {Case{std::nullopt, defaults}, Case{"", defaults},
          Case{"ATZ\r\n  AT&F \n\nATDP#NR# #NR#\n", "ATZ\rAT&F\r\rATDP0701-23 45 #NR#\r"}}) {
        SCOPED_TRACE(c.sent);
        test::LinkTestBed bed;
        if (c.file) std::ofstream(bed.home.path("modem.txt"), std::ios::binary) << *c.file;
        Modem modem;
        modem.attach(bed);
        ASSERT_TRUE(bed.link().ConnectModem("COM2", "0701-23 45", "123456"));
        EXPECT_EQ(modem.commands(), c.sent);
        EXPECT_EQ(bed.prompt.texts(), std::vector<std::string>{text(MessageId::ModemConnected)});
        EXPECT_TRUE(bed.link().IsOpen());
        ASSERT_EQ(modem.panel.frames.size(), 1u);
        EXPECT_EQ(modem.panel.frames[0].type(), msg::kLogin);
        EXPECT_EQ(modem.panel.frames[0].data()[0], 0x12);
        // A second after each line, three before the dial, 30 ms before each command byte
        // and after the login frame and its ACK.
        const auto& s = bed.clock.sleeps;
        const std::string sent = modem.commands();
        EXPECT_EQ(std::count(s.begin(), s.end(), 1000), std::count(sent.begin(), sent.end(), '\r'));
        EXPECT_EQ(std::count(s.begin(), s.end(), 3000), 1);
        EXPECT_EQ(std::count(s.begin(), s.end(), 30), static_cast<long>(sent.size()) + 2);
    }
}

TEST(PromLinkModem, AFailedCallHangsUpOnlyAfterACarrierAndAsksToRetry) {
    struct Case {
        const char* name;
        std::string dialAnswer;
        std::uint8_t loginReply;
        bool portMissing;
        std::vector<M> shown;
    };
    const Case cases[] = {
        {"no connect", "3\r", msg::kLoginAccepted, false, {M::ModemRetry}},
        {"wrong id code", "1\r", msg::kLoginRefused, false, {M::WrongIdCode, M::ModemRetry}},
        {"port missing", "1\r", msg::kLoginAccepted, true, {M::ModemRetry}},
    };
    for (const Case& c : cases) {
        test::LinkTestBed bed;
        Modem modem;
        modem.dialAnswer = c.dialAnswer;
        modem.loginReply = c.loginReply;
        auto line = modem.attach(bed);
        if (c.portMissing) bed.factory.missingPorts.insert("COM2");
        bed.prompt.answers = {Answer::No};
        EXPECT_FALSE(bed.link().ConnectModem("COM2", "1", "999999")) << c.name;
        EXPECT_EQ(bed.prompt.texts(), texts(c.shown)) << c.name;
        EXPECT_EQ(line->open, c.portMissing) << c.name;  // a missing port was never handed out
        EXPECT_FALSE(bed.link().IsOpen()) << c.name;
        // Only a carrier is hung up: "+++", three seconds, then ATH.
        const bool carrier = c.loginReply == msg::kLoginRefused;
        const std::size_t escape = modem.typed.find("+++");
        EXPECT_EQ(escape != std::string::npos, carrier) << c.name;
        if (!carrier) continue;
        EXPECT_EQ(modem.typed.substr(escape), "+++ATH\r");
        EXPECT_EQ(std::count(bed.clock.sleeps.begin(), bed.clock.sleeps.end(), 3000), 2);
    }
}

TEST(PromLinkModem, RetryDialsAgainOnANewPort) {
    test::LinkTestBed bed;
    Modem silent;
    silent.dialAnswer = "";
    auto first = silent.attach(bed);
    Modem answering;
    answering.attach(bed);
    bed.prompt.answers = {Answer::Yes};
    const std::uint64_t start = bed.clock.now;
    EXPECT_TRUE(bed.link().ConnectModem("COM2", "1", "1"));
    // The silent modem was given 5 units (36 whole seconds) to answer.
    EXPECT_GT(bed.clock.now - start, 36'000u);
    EXPECT_FALSE(first->open);
    EXPECT_EQ(bed.prompt.texts(), texts({M::ModemRetry, M::ModemConnected}));
    EXPECT_EQ(bed.factory.portsAsked, (std::vector<std::string>{"COM2", "COM2"}));
}

// ---- TCP ----

TEST(PromLinkTcp, OnlyAnAcceptedLoginConnects) {
    struct Case {
        const char* name;
        std::uint8_t reply;  // kNone: none
        bool ack;
        ReadStatus whenEmpty;
        std::string connectError;
        bool connected;
        std::vector<M> shown;  // each retry question is answered Yes but the last
        std::size_t frames = 1;
    };
    const ReadStatus idle = ReadStatus::WouldBlock;
    const Case cases[] = {
        {"accepted", msg::kLoginAccepted, true, idle, "", true, {M::TcpConnected}},
        {"refused", msg::kLoginRefused, true, idle, "", false, {M::WrongIdCode}},
        {"acknowledged, never answered", msg::kNone, true, idle, "", false, {M::TcpRetry}},
        {"never acknowledged", msg::kNone, false, idle, "", false, {M::TcpRetry, M::TcpRetry}, 14},
        {"link lost", msg::kNone, true, ReadStatus::Closed, "", false, {M::CommunicationError}},
        {"cannot connect", msg::kNone, true, idle, "Anslutningen misslyckades", false, {}, 0},
    };
    for (const Case& c : cases) {
        test::LinkTestBed bed;
        auto serial = bed.openSerial();
        auto line = bed.factory.prepareTcp();
        ScriptedPanel panel;
        panel.ackFrames = c.ack;
        panel.onFrame = [&](const LinkMessage&) {
            return c.reply != msg::kNone ? frameBytes(c.reply) : Bytes{};
        };
        panel.attach(*line);
        line->whenEmpty = c.whenEmpty;
        bed.factory.tcpError = c.connectError;
        for (const M id : c.shown)
            if (id == M::TcpRetry) bed.prompt.answers.push_back(Answer::Yes);
        if (!bed.prompt.answers.empty()) bed.prompt.answers.back() = Answer::No;
        EXPECT_EQ(bed.link().ConnectTcp("10.0.0.1", "4001", "123456"), c.connected) << c.name;
        std::vector<std::string> shown = texts(c.shown);
        if (!c.connectError.empty()) shown.push_back(c.connectError);
        EXPECT_EQ(bed.prompt.texts(), shown) << c.name;
        EXPECT_EQ(panel.frames.size(), c.frames) << c.name;
        EXPECT_EQ(bed.link().IsTcp(), c.connected) << c.name;
        // The old link makes way once the socket is there.
        EXPECT_EQ(serial->open, !c.connectError.empty()) << c.name;
        EXPECT_EQ(bed.factory.tcpAsked[0],
                  std::make_pair(std::string("10.0.0.1"), std::string("4001")));
    }
}

}  // namespace
}  // namespace loom
