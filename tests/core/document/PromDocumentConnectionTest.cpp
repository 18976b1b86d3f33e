// The document's connection bookkeeping against the simulated panel.
#include <gtest/gtest.h>

#include <thread>

#include "link/PromLink.h"
#include "support/DocumentTestBed.h"
#include "support/FastPanelConfig.h"

namespace loom {
namespace {

using PromDocumentConnectionTest = test::DocumentTestBed;

TEST_F(PromDocumentConnectionTest, OneConnectionAtATimeAndAGoodbyeWhenItEnds) {
    panelsim::PanelSimulator& panel = connectPanel();
    EXPECT_TRUE(doc_->LinkInUse());
    EXPECT_TRUE(doc_->TcpLink());
    EXPECT_EQ(doc_->RemoteIdText(), "123456");
    // While one link is up, neither kind of connect does anything.
    EXPECT_FALSE(doc_->ConnectTcpCommand("127.0.0.1", "1", "123456"));
    EXPECT_FALSE(doc_->ConnectModemCommand("5551234", "123456"));
    EXPECT_TRUE(prompt_.entries.empty());

    doc_->Disconnect();
    EXPECT_EQ(panel.waitFor([](const auto& c) { return c.endOfConnection == 1; }).endOfConnection,
              1u);
    EXPECT_FALSE(context_.link().IsOpen());
    EXPECT_FALSE(doc_->LinkInUse());
    EXPECT_TRUE(doc_->RemoteIdText().empty());
    // Disconnecting again only clears what is already clear.
    doc_->Disconnect();
    EXPECT_EQ(panel.counters().endOfConnection, 1u);
}

TEST_F(PromDocumentConnectionTest, TheStatusTextNamesTheKindOfLinkButNeverTheIdCode) {
    struct Case {
        const char* kind;
        std::string want;  // "" : the TCP text of the simulator's port
    };
    for (const Case& c : {Case{"tcp", ""}, Case{"serial", "Lokal"}, Case{"modem", "Modem"}}) {
        panel_ = std::make_unique<panelsim::PanelSimulator>(panelsim::fastConfig());
        const std::string kind = c.kind;
        std::string want = c.want;
        if (kind == "tcp") {
            const auto port = panel_->startTcp();
            ASSERT_TRUE(port.has_value());
            ASSERT_TRUE(doc_->ConnectTcpCommand("127.0.0.1", std::to_string(*port), "123456"));
            want = "TCP/IP 127.0.0.1:" + std::to_string(*port);
        } else if (kind == "serial") {
            const auto device = panel_->startSerial();
            ASSERT_TRUE(device.has_value());
            ASSERT_TRUE(doc_->OpenLocalPort(*device));
        } else {
            const auto device = panel_->startModem();
            ASSERT_TRUE(device.has_value());
            Settings(context_.settings()).setText(setting::kRemotePort, *device);
            // The modem's answers to its set-up lines must be in before the dial.
            LinkTiming timing = LinkTiming::fast();
            timing.modemLineMs = 100;
            timing.modemDialMs = 150;
            context_.link().setTiming(timing);
            ASSERT_TRUE(doc_->ConnectModemCommand("5551234", "123456")) << kind;
        }
        EXPECT_EQ(cp1252ToUtf8(doc_->connectionText()), want);
        EXPECT_TRUE(doc_->Disconnect());
        EXPECT_EQ(doc_->connectionText(), "");
        panel_.reset();
    }
}

// The panel goes away while the link is idle and the panel asked for no probes.
TEST_F(PromDocumentConnectionTest, AConnectionThePanelClosedEndsWithoutAGoodbye) {
    for (const bool bySupervision : {true, false}) {
        connectPanel().stop();
        // The peer's close reaches the socket on its own time.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!context_.link().HungUp() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (bySupervision) {
            doc_->SuperviseLink();
        } else {
            EXPECT_TRUE(doc_->Disconnect());
        }
        EXPECT_FALSE(doc_->LinkInUse());
        EXPECT_EQ(doc_->connectionText(), "");
        // Supervision tells the user the link broke; the user's own disconnect does not.
        EXPECT_EQ(wasShown(MessageId::CommunicationError), bySupervision);
        EXPECT_EQ(prompt_.entries.size(), bySupervision ? 1u : 0u);
        prompt_.entries.clear();
    }
}

TEST_F(PromDocumentConnectionTest, AConnectionThatCannotBeMadeSaysWhy) {
    // Nothing listens on port 1 of the loopback address.
    EXPECT_FALSE(doc_->ConnectTcpCommand("127.0.0.1", "1", "123456"));
    EXPECT_TRUE(wasShown(MessageId::TcpCannotOpen));
    EXPECT_FALSE(doc_->LinkInUse());

    prompt_.entries.clear();
    const std::string port = dir_.path("ttyS9");
    EXPECT_FALSE(doc_->OpenLocalPort(port));
    ASSERT_EQ(prompt_.entries.size(), 1u);
    EXPECT_EQ(prompt_.entries[0].id, MessageId::PortCannotOpen);
    const std::string why = test::text(MessageId::SerialCannotOpen, {port});
    EXPECT_TRUE(
        prompt_.entries[0].text.starts_with(shown(MessageId::PortCannotOpen) + "\n\n" + why))
        << prompt_.entries[0].text;
}

}  // namespace
}  // namespace loom
