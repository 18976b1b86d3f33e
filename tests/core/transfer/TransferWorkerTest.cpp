// The worker's write, read and log sequences over a memory line, run on the test's thread.
#include "transfer/TransferWorker.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "archive/FileId.h"
#include "common/Cp1252.h"
#include "link/PromLink.h"
#include "support/LinkTestBed.h"
#include "transfer/TransferJob.h"
#include "transfer/TransferReceiver.h"

namespace loom {
namespace {

using test::Bytes;
using test::frameBytes;
using test::text;

// Records the notifications and answers the identity at once, as the document would.
struct RecordingReceiver final : TransferReceiver {
    explicit RecordingReceiver(TransferJob& j) : job(j) {}
    void transferBegun() override {}
    void transferDone(const TransferOutcome&) override {}
    void panelIdentity(bool log, std::unique_ptr<std::string> text) override {
        identity = *text;
        logRead = log;
        (goAhead ? job.proceed : job.cancel).set();
    }
    void blockReceived(std::unique_ptr<ReceivedBlock> block) override { blocks.push_back(*block); }
    void progress(int percent) override { percents.push_back(percent); }
    void statusText(std::unique_ptr<std::string> text) override {
        statuses.push_back(cp1252ToUtf8(*text));
    }
    void waiting(int) override {}

    TransferJob& job;
    bool goAhead = true;
    std::string identity;
    bool logRead = false;
    std::vector<ReceivedBlock> blocks;
    std::vector<int> percents;
    std::vector<std::string> statuses;
};

LinkMessage::Data text16(std::string_view text) {
    LinkMessage::Data d{};
    std::copy_n(text.begin(), std::min(text.size(), d.size()), d.begin());
    return d;
}

// A panel that gives its identity, finishes an erase at once, takes written blocks, and
// after a read request sends its frames one by one, each once the last was acknowledged.
struct FakePanel {
    test::ScriptedPanel script;
    std::string identity = "GL 200";
    bool answerIdentity = true;
    std::vector<Bytes> readFrames;  // sent after 0x01, 0x30 or 0x20
    std::size_t next = 0;
    bool streaming = false;

    void attach(test::MemoryLine& line) {
        script.ackFrames = false;
        script.onFrame = [this](const LinkMessage& m) -> Bytes {
            Bytes answer{msg::kAck};
            Bytes more;
            if (m.type() == msg::kQueryIdentity && answerIdentity)
                more = frameBytes(msg::kIdentity0, 0, text16(identity));
            if (m.type() == msg::kErase) more = frameBytes(msg::kEraseDone);
            if (m.type() == msg::kReadProm || m.type() == msg::kReadPromNoErase ||
                m.type() == msg::kReadLog) {
                streaming = true;
                more = sendNext();
            }
            answer.insert(answer.end(), more.begin(), more.end());
            return answer;
        };
        script.onByte = [this](std::uint8_t b) -> Bytes {
            if (!streaming) return {};
            if (b == msg::kNak && next > 0) return readFrames[next - 1];
            return sendNext();
        };
        script.attach(line);
    }
    Bytes sendNext() { return next < readFrames.size() ? readFrames[next++] : Bytes{}; }
    std::vector<std::uint8_t> sentTypes() const {
        std::vector<std::uint8_t> types;
        for (const LinkMessage& m : script.frames)
            types.push_back(m.type());
        return types;
    }
};

class TransferWorkerTest : public ::testing::Test {
  protected:
    TransferWorkerTest() {
        line_ = bed_.openSerial();
        panel_.attach(*line_);
        job_.receiver = &receiver_;
        // As the document installs it: a cancel ends the link's waits.
        bed_.link().SetAbortEvent(&job_.cancel);
    }

    // A write of three blocks: product text and file id in block 0, an all-0xFF block at
    // 0x100 and one value at 0x200.
    int write() {
        job_.snapshot = std::make_unique<FieldStore>();
        using Value = std::pair<std::uint32_t, const char*>;
        for (const auto& [byte, value] : {Value{0x100, "255"}, Value{0x200, "7"}}) {
            FieldRecord r;  // a one-byte number
            r.address = byte << 3;
            r.size = 1u << 3;
            r.value = value;
            job_.snapshot->copyIn(r);
        }
        job_.templateModel = "GL 200";
        const std::vector<std::uint8_t> id = FileIdToBytes(kFileId);
        job_.fileIdForm.assign(id.begin(), id.end());
        job_.productAddress = 0x00;
        job_.idAddress = 0x08;
        return worker_.runWrite();
    }
    int read(bool log = false) {
        job_.readFlag = true;
        job_.logFlag = log;
        return worker_.runRead();
    }
    static Bytes block(std::uint32_t address, std::uint8_t fill) {
        LinkMessage::Data d;
        d.fill(fill);
        return frameBytes(msg::kPromBlock, LinkMessage::encodeAddress(address), d);
    }

    static constexpr const char* kFileId = "T0000A30";
    test::LinkTestBed bed_;
    std::shared_ptr<test::MemoryLine> line_;
    FakePanel panel_;
    TransferJob job_;
    RecordingReceiver receiver_{job_};
    TransferWorker worker_{bed_.context, job_};
};

// The erased block at 0x100 counts for the progress but is not sent. The product text is
// the identity's second half, a C string of its own: blank when the model name fills it.
TEST_F(TransferWorkerTest, AWriteErasesUnlessToldNotToSendsTheBlocksAndStampsTheTime) {
    using T = std::vector<std::uint8_t>;
    for (const bool noErase : {false, true}) {
        SCOPED_TRACE(noErase);
        panel_.script.frames.clear();
        receiver_.percents.clear();
        receiver_.statuses.clear();
        job_.noErase = noErase;
        if (noErase) panel_.identity = std::string("GL 200\0\0CENTRAL1", 16);
        ASSERT_EQ(write(), 1);
        T types{msg::kQueryIdentity, msg::kErase, msg::kWriteBlock, msg::kWriteBlock,
                msg::kTimestamp};
        if (noErase) types.erase(types.begin() + 1);
        EXPECT_EQ(panel_.sentTypes(), types);
        EXPECT_EQ(panel_.script.frames[types.size() - 2].address(), 0x200u);
        std::vector<std::string> statuses{text(MessageId::StatusWriting)};
        if (!noErase) statuses.insert(statuses.begin(), text(MessageId::StatusErasing));
        EXPECT_EQ(receiver_.statuses, statuses);
        // 50 after an erase, then a third of the rest each.
        const std::vector<int> last =
            noErase ? std::vector<int>{33, 66, 100, 100} : std::vector<int>{50, 66, 83, 100, 100};
        ASSERT_GE(receiver_.percents.size(), last.size());
        EXPECT_EQ(
            std::vector<int>(receiver_.percents.end() - last.size(), receiver_.percents.end()),
            last);
        const std::vector<std::uint8_t> product = job_.sentImage.read(0x00, 8);
        EXPECT_EQ(std::string(product.begin(), product.end()), noErase ? "CENTRAL1" : "        ");
        EXPECT_EQ(job_.sentImage.read(0x08, 8), FileIdToBytes(kFileId));
        EXPECT_EQ(job_.sentImage.at(0x200), 7);
        EXPECT_EQ(job_.snapshot, nullptr);
    }
}

TEST_F(TransferWorkerTest, AReadPostsEveryBlockThenTheEndMarker) {
    panel_.readFrames = {block(0x00, 0x11), block(0x10000, 0x22), frameBytes(msg::kPromEnd)};
    job_.lastFileId = "T0000001";
    ASSERT_EQ(read(), 1);
    EXPECT_EQ(job_.lastFileId, "");
    EXPECT_EQ(receiver_.identity, "GL 200");
    EXPECT_FALSE(receiver_.logRead);
    EXPECT_EQ(panel_.sentTypes(), (std::vector<std::uint8_t>{msg::kQueryIdentity, msg::kReadProm}));
    ASSERT_EQ(receiver_.blocks.size(), 3u);
    EXPECT_EQ(receiver_.blocks[1].address, 0x10000);
    EXPECT_EQ(receiver_.blocks[1].data[15], 0x22);
    EXPECT_EQ(receiver_.blocks[2].address, -1);
    EXPECT_EQ(receiver_.percents, (std::vector<int>{0, 45, 100}));
    EXPECT_EQ(receiver_.statuses, std::vector<std::string>{text(MessageId::StatusReading)});

    // The panel stops after one block: no end marker reaches the document.
    receiver_.blocks.clear();
    panel_.readFrames = {block(0x00, 0x11)};
    panel_.next = 0;
    panel_.streaming = false;
    EXPECT_EQ(read(), 0);
    EXPECT_EQ(receiver_.blocks.size(), 1u);
}

TEST_F(TransferWorkerTest, AReadTheUserDeclinesAfterTheIdentitySendsNothingMore) {
    receiver_.goAhead = false;
    EXPECT_EQ(read(), 0);
    EXPECT_EQ(panel_.sentTypes(), std::vector<std::uint8_t>{msg::kQueryIdentity});
}

TEST_F(TransferWorkerTest, ALogReadTakesTheFileIdAndEachNumberedBlockOnce) {
    LinkMessage::Data first{};
    const std::vector<std::uint8_t> id = FileIdToBytes(kFileId);
    std::copy(id.begin(), id.end(), first.begin() + 8);
    auto logBlock = [](std::uint16_t number, std::uint8_t fill) {
        LinkMessage::Data d;
        d.fill(fill);
        return frameBytes(msg::kLogBlock, number, d);
    };
    panel_.readFrames = {frameBytes(msg::kPromBlock, 0, first),
                         logBlock(0, 0xA0),
                         logBlock(128, 0xA1),
                         logBlock(128, 0xB1),
                         logBlock(255, 0xA2),
                         frameBytes(msg::kLogEnd)};
    ASSERT_EQ(read(true), 1);
    EXPECT_TRUE(receiver_.logRead);
    EXPECT_EQ(job_.lastFileId, kFileId);
    EXPECT_EQ(job_.logText,
              std::string(16, '\xA0') + std::string(16, '\xA1') + std::string(16, '\xA2'));
    EXPECT_EQ(receiver_.percents, (std::vector<int>{0, 50, 100, 100}));
    EXPECT_EQ(receiver_.statuses, std::vector<std::string>{text(MessageId::StatusReadingLog)});
}

}  // namespace
}  // namespace loom
