// PROM write, PROM read and log read of the document against the simulated panel.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

#include "archive/FileId.h"
#include "conversion/ConversionList.h"
#include "eventlog/LogFile.h"
#include "link/PromLink.h"
#include "support/DocumentTestBed.h"

namespace loom {
namespace {

namespace fs = std::filesystem;
using Blocks = std::map<std::uint32_t, std::vector<std::uint8_t>>;

// The blocks that are not all 0xFF: what a PROM holds beyond its erased state.
Blocks written(const PromImage& image) {
    Blocks out;
    for (const PromBlock& b : image.blocks())
        if (std::any_of(b.data.begin(), b.data.end(), [](std::uint8_t x) { return x != 0xFF; }))
            out[b.address].assign(b.data.begin(), b.data.end());
    return out;
}

bool hostSent(const panelsim::PanelSimulator& panel, std::uint8_t type) {
    for (const auto& e : panel.transcript())
        if (e.from == panelsim::TranscriptEntry::From::Host &&
            e.what == panelsim::TranscriptEntry::What::Frame && e.type() == type)
            return true;
    return false;
}

panelsim::Identity identity(const std::string& model) {
    panelsim::Identity id{};
    std::copy(model.begin(), model.end(), id.begin());
    return id;
}

class PromTransferTest : public test::DocumentTestBed {
  protected:
    // Writes the open system into the panel and expects "Skrivning klar!".
    void writeOk() {
        prompt_.answers = {Answer::Yes};
        ASSERT_TRUE(doc_->WriteProm());
        ASSERT_TRUE(finish());
        ASSERT_EQ(lastMessage(), static_cast<int>(MessageId::WriteDone));
    }
    void read() {
        ASSERT_TRUE(doc_->ReadProm());
        ASSERT_TRUE(finish());
    }
};

TEST_F(PromTransferTest, WriteThenReadBackGivesTheSameBytesAndFindsTheIdenticalFile) {
    newSystem({{kCustomer, "Åkerlund AB"}, {kSirenTime, "600"}});
    const fs::path file = doc_->path();
    panelsim::PanelSimulator& panel = connectPanel();
    writeOk();
    EXPECT_EQ(written(panel.image()), written(doc_->sentImage()));
    EXPECT_EQ(panel.image().read(0x08, 8), FileIdToBytes(fileId()));
    EXPECT_EQ(panel.lastTimestamp(), "202311142313");
    EXPECT_TRUE(hostSent(panel, msg::kErase));
    EXPECT_EQ(view_.progressOpened, view_.progressClosed);
    EXPECT_FALSE(context_.link().TransferDialogOpen());

    // Read back over the values shown: the read starts from the template's defaults.
    doc_->form()->store().find(kCustomer)->value = "ändrat";
    doc_->setModified(true);
    prompt_.answers = {Answer::No};  // not saved first
    read();
    EXPECT_EQ(lastMessage(), static_cast<int>(MessageId::ReadDoneIdentical));
    EXPECT_TRUE(hostSent(panel, msg::kReadProm));
    EXPECT_EQ(value(kCustomer), "Åkerlund AB");
    EXPECT_EQ(value(kSirenTime), "600");
    EXPECT_TRUE(doc_->SameIdFound());
    EXPECT_FALSE(doc_->PromDiffers());
    EXPECT_TRUE(doc_->ShowingProm());
    EXPECT_FALSE(doc_->modified());
    EXPECT_EQ(doc_->comparedFile(), file);
    EXPECT_TRUE(view_.differing.empty());

    // Its file gone, the PROM's values stay modified under the id's name.
    fs::remove(file);
    read();
    EXPECT_EQ(lastMessage(), static_cast<int>(MessageId::ReadDoneNoFile));
    EXPECT_FALSE(doc_->SameIdFound());
    EXPECT_TRUE(doc_->modified());
    EXPECT_EQ(doc_->path(), file);
    ASSERT_TRUE(doc_->Save());
    EXPECT_TRUE(fs::exists(file));
}

// A template without an identity position that is neither erased nor read with 0x01.
TEST_F(PromTransferTest, APlainTemplateWritesWithoutEraseAndReadsWithoutComparing) {
    std::string source = test::demoTemplateSource("GL200");
    const auto replace = [&](const std::string& from, const std::string& to) {
        const std::size_t at = source.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        source.replace(at, from.size(), to);
    };
    replace("template \"GL 200\" \"GL 200 centralapparat\"",
            "template \"GL 300\" \"GL 300 utan id\"");
    replace("idaddress 0x0008\n", "noerase\n");
    test::installTemplate(home_, "GL300.FRM", source);
    reindex();
    newSystem({{kCustomer, "Utan id"}}, "GL300.FRM");
    panelsim::PanelConfig config;
    config.settings.identity = identity("GL 300");
    panelsim::PanelSimulator& panel = connectPanel(config);
    writeOk();
    EXPECT_EQ(panel.counters().erases, 0u);
    EXPECT_EQ(written(panel.image()), written(doc_->sentImage()));

    const fs::path file = doc_->path();
    read();
    EXPECT_TRUE(hostSent(panel, msg::kReadPromNoErase));
    EXPECT_FALSE(hostSent(panel, msg::kReadProm));
    EXPECT_EQ(lastMessage(), static_cast<int>(MessageId::ReadDoneNoFile));
    EXPECT_TRUE(doc_->comparedFile().empty());
    EXPECT_NE(doc_->path(), file);  // a name of its own, never the file it came from
    EXPECT_EQ(value(kCustomer), "Utan id");
}

// A panel of another model is written only through a conversion the user accepts.
TEST_F(PromTransferTest, APanelOfAnotherModelIsWrittenOnlyWithTheConversionAccepted) {
    test::installDemoConversion(home_, "GL200_VT340");
    context_.conversions().LoadConversions(context_.files(), home_ / "Convert");
    newSystem({{kCustomer, "Kund AB"}});
    const fs::path file = doc_->path();
    struct Case {
        const char* model;
        Answer answer;  // to the conversion's question, when there is one
        MessageId last;
        MessageId shown;  // the question or the refusal
    };
    for (const Case& c :
         {Case{"VT 340", Answer::Yes, MessageId::WriteDone, MessageId::ConvertQuestion},
          Case{"VT 340", Answer::No, MessageId::TransferAborted, MessageId::ConvertQuestion},
          Case{"XY 999", Answer::No, MessageId::TransferAborted, MessageId::ModelMismatch}}) {
        SCOPED_TRACE(c.model + std::string(c.answer == Answer::Yes ? " yes" : " no"));
        ASSERT_TRUE(doc_->OnOpenDocument(file));
        panelsim::PanelConfig config;
        config.settings.identity = identity(c.model);
        panelsim::PanelSimulator& panel = connectPanel(config);
        prompt_.answers = {Answer::Yes, c.answer};
        ASSERT_TRUE(doc_->WriteProm());
        ASSERT_TRUE(finish());
        ASSERT_GE(prompt_.entries.size(), 2u);
        EXPECT_EQ(prompt_.entries[1].id, c.shown);
        EXPECT_EQ(lastMessage(), static_cast<int>(c.last));
        if (c.last == MessageId::WriteDone) {
            // VT 340 keeps the customer name at 0x10.
            const std::vector<std::uint8_t> name = panel.image().read(0x10, 7);
            EXPECT_EQ(std::string(name.begin(), name.end()), "Kund AB");
        } else {
            EXPECT_EQ(panel.counters().erases, 0u);
        }
        doc_->Disconnect();
    }
}

TEST_F(PromTransferTest, AVt340SendsItsIdentityUnaskedWhenItsResetButtonIsPressed) {
    Settings(context_.settings()).setText(setting::kProduct, "VT 340");
    context_.link().setTiming(LinkTiming::fast(2000));
    panelsim::PanelConfig config;
    config.settings.identity = identity("VT 340");
    config.settings.faults.unaskedIdentity = true;
    panelsim::PanelSimulator& panel = connectPanel(config);

    ASSERT_TRUE(doc_->ReadProm());
    EXPECT_EQ(view_.firstText, "Tryck på resetknappen på VT340");
    panel.pressResetButton();
    ASSERT_TRUE(finish());
    EXPECT_FALSE(hostSent(panel, msg::kQueryIdentity));
    EXPECT_EQ(doc_->form()->name(), "VT 340");
    // An erased PROM is no system: nothing offered for saving.
    EXPECT_EQ(lastMessage(), static_cast<int>(MessageId::PromEmpty));
    EXPECT_FALSE(doc_->modified());
    EXPECT_TRUE(doc_->path().empty());
}

TEST_F(PromTransferTest, TheSecondLogReadAppendsExactlyTheNewRecords) {
    panelsim::PanelConfig config;
    const std::string id = MakeFileId(0x12345, 'T');
    config.settings.fileId = id;
    for (std::uint8_t i = 0; i < 5; ++i)
        config.log.push_back(panelsim::LogRecord{i, 0x11, 0x22});
    panelsim::PanelSimulator& panel = connectPanel(config);

    ASSERT_TRUE(doc_->ReadLog());
    ASSERT_TRUE(finish());
    EXPECT_EQ(doc_->lastResult(), 1);
    EXPECT_EQ(doc_->lastPromFileId(), id);
    const fs::path log = home_ / "LOG" / "00012345.LOG";
    ASSERT_EQ(view_.logWindows, std::vector<fs::path>{log});
    EXPECT_EQ(doc_->lastLogRecordsAdded(), 5u);
    EXPECT_EQ(doc_->form()->name(), "GL 200");  // the panel's template, for the decoding

    std::vector<panelsim::LogRecord> more = panel.log();
    more.push_back(panelsim::LogRecord{5, 0x33});
    more.push_back(panelsim::LogRecord{6, 0x44});
    panel.setLog(more);
    ASSERT_TRUE(doc_->ReadLog());
    ASSERT_TRUE(finish());
    EXPECT_EQ(doc_->lastLogRecordsAdded(), 2u);
    std::string content;
    std::vector<std::string_view> lines;
    ASSERT_TRUE(LogFile::readLines(context_.files(), log, content, lines));
    ASSERT_EQ(lines.size(), 7u);
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(lines[i], LogFile::line(LogRecord{more[i]}));
    EXPECT_TRUE(doc_->lastLogStored());

    // A log file that cannot be read is kept, and the read says its records were not stored.
    fs::remove(log);
    fs::create_directory(log);
    ASSERT_TRUE(doc_->ReadLog());
    ASSERT_TRUE(finish());
    EXPECT_EQ(doc_->lastResult(), 1);
    EXPECT_FALSE(doc_->lastLogStored());
    EXPECT_TRUE(fs::is_directory(log));
}

// The worker has the link until the transfer's end has been taken in here.
TEST_F(PromTransferTest, ASecondOperationOrADisconnectWhileOneRunsIsRefused) {
    newSystem({});
    panelsim::PanelConfig config;
    config.settings.eraseDelayMs = 500;
    panelsim::PanelSimulator& panel = connectPanel(config);
    prompt_.answers = {Answer::Yes, Answer::Yes};
    ASSERT_TRUE(doc_->WriteProm());
    EXPECT_FALSE(doc_->ReadProm());
    EXPECT_FALSE(doc_->WriteProm());
    EXPECT_TRUE(wasShown(MessageId::TransferRunning));
    EXPECT_FALSE(doc_->Disconnect());
    EXPECT_TRUE(doc_->LinkInUse());
    ASSERT_TRUE(finish());
    EXPECT_EQ(lastMessage(), static_cast<int>(MessageId::WriteDone));
    EXPECT_EQ(panel.counters().endOfConnection, 0u);
    EXPECT_TRUE(doc_->Disconnect());
    EXPECT_FALSE(doc_->LinkInUse());
}

TEST_F(PromTransferTest, DestroyingTheDocumentDuringATransferStopsItsWorker) {
    newSystem({});
    panelsim::PanelConfig config;
    config.settings.eraseDelayMs = 60000;
    connectPanel(config);
    prompt_.answers = {Answer::Yes};
    ASSERT_TRUE(doc_->WriteProm());
    doc_.reset();
    EXPECT_EQ(context_.link().AbortEvent(), nullptr);
    EXPECT_FALSE(context_.link().TransferDialogOpen());
}

// Every faulty run ends in success with the right bytes or in "Sändningen avbröts.", never
// in a success over wrong or missing data; a failure says why first, and a write that
// failed after it began to change the PROM says that it must be written again. The panel's
// counters show that the fault struck.
enum class Op { Read, Write, Verify };
constexpr std::uint64_t kMany = ~std::uint64_t{0};

struct FaultCase {
    const char* name;
    Op op;
    panelsim::PanelFaults faults;
    std::uint64_t panelsim::PanelCounters::*counter;
    std::uint64_t low, high;                          // the counter's rise during the faulty run
    TransferFailure failure = TransferFailure::None;  // None: it succeeds
    bool promIncomplete = false;
};

panelsim::PanelFaults fault(void (*set)(panelsim::PanelFaults&)) {
    panelsim::PanelFaults f;
    set(f);
    return f;
}

class FaultMatrixTest : public PromTransferTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(FaultMatrixTest, EndsInSuccessWithTheRightBytesOrInMessage83) {
    const FaultCase& c = GetParam();
    newSystem({{kCustomer, "Felsäker"}, {kSirenTime, "600"}});
    const fs::path file = doc_->path();
    panelsim::PanelSimulator& panel = connectPanel();
    writeOk();
    const Blocks good = written(panel.image());
    panel.setFaults(c.faults);
    const panelsim::PanelCounters before = panel.counters();
    const int opened = view_.progressOpened;

    if (c.op == Op::Read) {
        read();
    } else {
        prompt_.answers = {Answer::Yes};
        ASSERT_TRUE(c.op == Op::Write ? doc_->WriteProm() : doc_->WriteAndVerify());
        ASSERT_TRUE(finish());
    }
    // The panel may still be taking the host's last byte.
    const auto risen = [&](const panelsim::PanelCounters& now) {
        return now.*c.counter - before.*c.counter >= c.low;
    };
    const std::uint64_t rise = panel.waitFor(risen).*c.counter - before.*c.counter;
    EXPECT_GE(rise, c.low);
    EXPECT_LE(rise, c.high);
    const bool succeeds = c.failure == TransferFailure::None;
    EXPECT_EQ(doc_->lastResult(), succeeds ? 1 : 0);
    if (succeeds) {  // a read
        EXPECT_EQ(lastMessage(), static_cast<int>(MessageId::ReadDoneIdentical));
        EXPECT_EQ(written(doc_->promImage()), good);
        EXPECT_EQ(value(kCustomer), "Felsäker");
    } else {
        EXPECT_EQ(lastMessage(), static_cast<int>(MessageId::TransferAborted));
        EXPECT_EQ(doc_->lastFailure(), c.failure);
        EXPECT_EQ(doc_->promIncomplete(), c.promIncomplete);
        const std::vector<std::string> texts = prompt_.texts();
        const auto aborted =
            std::find(texts.begin(), texts.end(), shown(MessageId::TransferAborted));
        ASSERT_NE(aborted, texts.begin());
        EXPECT_EQ(*(aborted - 1), shown(*failureMessage(c.failure)));
        EXPECT_EQ(wasShown(MessageId::PromIncomplete), c.promIncomplete);
        // A silent panel is waited for in the open.
        if (c.failure == TransferFailure::NoAnswer) {
            EXPECT_FALSE(view_.waits.empty());
        }
        EXPECT_FALSE(doc_->LinkInUse());
        EXPECT_FALSE(doc_->ShowingProm());
        // No read-back after a write that failed.
        if (c.op == Op::Verify) {
            EXPECT_EQ(view_.progressOpened, opened + 1);
            EXPECT_EQ(doc_->lastVerify().compared, 0u);
        }
        // A read that had begun to fill the document leaves it without a file, so that a
        // save cannot put what came over the archived file; one that never began leaves the
        // system as it was.
        if (c.op == Op::Read && !doc_->path().empty()) {
            EXPECT_EQ(doc_->path(), file);
            EXPECT_EQ(value(kCustomer), "Felsäker");
        }
    }
    EXPECT_EQ(view_.progressOpened, view_.progressClosed);
}

using C = panelsim::PanelCounters;
using F = TransferFailure;
INSTANTIATE_TEST_SUITE_P(
    Faults, FaultMatrixTest,
    ::testing::Values(
        FaultCase{"ReadNakEvery3", Op::Read, fault([](auto& f) { f.nakEvery = 3; }), &C::naksSent,
                  1, kMany},
        FaultCase{"ReadCorruptEvery3", Op::Read, fault([](auto& f) { f.corruptEvery = 3; }),
                  &C::resends, 1, kMany},
        FaultCase{"VerifyDropMidway", Op::Verify, fault([](auto& f) { f.dropAfterBlocks = 3; }),
                  &C::drops, 1, 1, F::LinkLost, true},
        FaultCase{"WriteSilentMidway", Op::Write, fault([](auto& f) { f.silentAfterBlocks = 2; }),
                  &C::blocksWritten, 2, 2, F::NoAnswer, true},
        FaultCase{"ReadNoIdentity", Op::Read, fault([](auto& f) { f.noIdentity = true; }),
                  &C::identitiesSent, 0, 0, F::NoIdentity}),
    [](const auto& c) { return std::string(c.param.name); });

// Runs the user's thread until `seen` holds.
#define RUN_UNTIL(seen)                                                            \
    for (auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30); \
         !(seen) && std::chrono::steady_clock::now() < until;)                     \
    queue_.runFor(std::chrono::milliseconds(5))

TEST_F(PromTransferTest, CancelDuringTheBlocksOfAReadKeepsNothingOfIt) {
    newSystem({{kCustomer, "Avbruten"}});
    const fs::path file = doc_->path();
    panelsim::PanelConfig config;
    config.settings.baud = 2400;  // about 90 ms a block
    connectPanel(config);
    writeOk();

    ASSERT_TRUE(doc_->ReadProm());
    RUN_UNTIL(!view_.percents.empty());
    prompt_.answers = {Answer::Yes};
    doc_->CancelTransfer();
    EXPECT_TRUE(wasShown(MessageId::ConfirmCancelTransfer));
    // Enter pressed by habit must not break the transfer off.
    EXPECT_EQ(prompt_.entries.back().defaultAnswer, Answer::No);
    ASSERT_TRUE(finish());
    EXPECT_EQ(lastMessage(), static_cast<int>(MessageId::TransferAborted));
    EXPECT_TRUE(doc_->path().empty());
    // What came goes to a file of its own, never over the archived one.
    const std::string archived = test::readFile(file);
    ASSERT_TRUE(doc_->Save());
    EXPECT_NE(doc_->path(), file);
    EXPECT_EQ(test::readFile(file), archived);
}

}  // namespace
}  // namespace loom
