// "Skriv och kontrollera": the write, the read-back and its comparison, against the
// simulated panel, directly and through a relay that spoils one block on its way back.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fields/BlockComparison.h"
#include "support/DocumentTestBed.h"
#include "support/SpoilingRelay.h"

namespace loom {
namespace {

namespace fs = std::filesystem;

class PromVerifyTest : public test::DocumentTestBed {
  protected:
    // The message ids shown (not asked) since the last clear, in order.
    std::vector<MessageId> shownIds() const {
        std::vector<MessageId> ids;
        for (const auto& e : prompt_.entries)
            if (!e.question && e.id) ids.push_back(*e.id);
        return ids;
    }
};

TEST(BlockComparisonTest, ComparesTheBlocksSentAndSkipsErasedOnes) {
    PromImage sent;
    sent.write(0x00, std::vector<std::uint8_t>(16, 0x41));
    sent.write(0x10, std::vector<std::uint8_t>(16, 0xFF));  // never sent
    sent.write(0x20, std::vector<std::uint8_t>(16, 0x42));
    sent.write(0x1FFF0, std::vector<std::uint8_t>(16, 0x43));
    PromImage read = sent;
    read.write(0x25, std::vector<std::uint8_t>{0x00});
    read.write(0x30, std::vector<std::uint8_t>(16, 0x00));  // more than was sent: no matter
    PromImage partial;                                      // a read that lost its tail
    partial.write(0x00, std::vector<std::uint8_t>(16, 0x41));

    const BlockComparison changed = compareSentBlocks(sent, read);
    EXPECT_EQ(changed.compared, 3u);
    EXPECT_EQ(changed.differing, std::vector<std::uint32_t>{0x20});
    EXPECT_TRUE(compareSentBlocks(sent, sent).identical());
    EXPECT_EQ(compareSentBlocks(sent, partial).differing,
              (std::vector<std::uint32_t>{0x20, 0x1FFF0}));
    EXPECT_EQ(blockAddressText(0x1FFF0), "1FFF0");
    EXPECT_EQ(blockAddressText(0x20), "00020");
}

TEST_F(PromVerifyTest, AGoodWriteReadsBackIdenticalAndLeavesTheDocumentAsWritten) {
    newSystem({{kCustomer, "Kontroll AB"}, {kSirenTime, "600"}});
    const fs::path file = doc_->path();
    panelsim::PanelSimulator& panel = connectPanel();
    prompt_.answers = {Answer::Yes};
    ASSERT_TRUE(doc_->WriteAndVerify());
    ASSERT_TRUE(finish());

    EXPECT_EQ(shownIds(), (std::vector<MessageId>{MessageId::WriteDone, MessageId::VerifyDone}));
    EXPECT_EQ(doc_->lastMessage(), MessageId::VerifyDone);
    EXPECT_EQ(doc_->lastVerify().compared,
              compareSentBlocks(doc_->sentImage(), panel.image()).compared);
    EXPECT_EQ(prompt_.texts().back(), "Kontrollen klar: alla " +
                                          std::to_string(doc_->lastVerify().compared) +
                                          " block lästes tillbaka identiska.");
    // Nothing of a read: the system written, under its own file, unchanged.
    EXPECT_EQ(doc_->path(), file);
    EXPECT_FALSE(doc_->modified());
    EXPECT_FALSE(doc_->ShowingProm());
    EXPECT_EQ(value(kCustomer), "Kontroll AB");
}

TEST_F(PromVerifyTest, ABlockThatReadsBackOtherIsNamedAfterMessage83) {
    newSystem({{kCustomer, "Fel block"}});
    const fs::path file = doc_->path();
    panelsim::PanelConfig config;
    config.settings.timings.ackTimeoutMs = 500;
    panel_ = std::make_unique<panelsim::PanelSimulator>(std::move(config));
    const auto port = panel_->startTcp();
    ASSERT_TRUE(port.has_value());
    test::SpoilingRelay relay(*port, 0x20);
    ASSERT_TRUE(doc_->ConnectTcpCommand("127.0.0.1", std::to_string(relay.port()), "123456"));
    prompt_.entries.clear();
    prompt_.answers = {Answer::Yes};
    ASSERT_TRUE(doc_->WriteAndVerify());
    ASSERT_TRUE(finish());

    EXPECT_EQ(shownIds(), (std::vector<MessageId>{MessageId::WriteDone, MessageId::TransferAborted,
                                                  MessageId::VerifyDiffers}));
    EXPECT_EQ(doc_->lastVerify().differing, std::vector<std::uint32_t>{0x20});
    const std::string last = prompt_.texts().back();
    EXPECT_TRUE(last.starts_with("Kontrollen misslyckades: 1 av ")) << last;
    EXPECT_TRUE(last.ends_with("Blockens adresser:\n00020")) << last;
    EXPECT_EQ(prompt_.entries.back().kind, MessageKind::Stop);
    EXPECT_EQ(doc_->path(), file);
    doc_.reset();  // before the relay goes
}

}  // namespace
}  // namespace loom
