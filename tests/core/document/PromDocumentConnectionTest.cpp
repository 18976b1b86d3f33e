// The document's connection bookkeeping against the simulated panel.
#include <gtest/gtest.h>

#include "support/DocumentTestBed.h"

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
    EXPECT_FALSE(doc_->TcpLink());
    EXPECT_TRUE(doc_->RemoteIdText().empty());
    EXPECT_EQ(context_.link().AbortEvent(), nullptr);
    // Disconnecting again only clears what is already clear.
    doc_->Disconnect();
    EXPECT_EQ(panel.counters().endOfConnection, 1u);
}

TEST_F(PromDocumentConnectionTest, ATcpConnectionThatCannotBeMadeSaysSo) {
    // Nothing listens on port 1 of the loopback address.
    EXPECT_FALSE(doc_->ConnectTcpCommand("127.0.0.1", "1", "123456"));
    EXPECT_TRUE(wasShown(MessageId::TcpCannotOpen));
    EXPECT_FALSE(doc_->LinkInUse());
}

}  // namespace
}  // namespace loom
