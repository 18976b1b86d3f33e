#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "PanelSimulator.h"
#include "archive/ReindexArchive.h"
#include "document/DocumentView.h"
#include "document/ProgramState.h"
#include "document/PromDocument.h"
#include "link/LinkTiming.h"
#include "link/PromLink.h"
#include "platform/Clock.h"
#include "platform/Settings.h"
#include "support/DemoTemplates.h"
#include "support/MessageText.h"
#include "support/RecordingPrompt.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "transfer/MarshalledPrompt.h"
#include "transfer/UiThread.h"

namespace loom::test {

// Keeps page states as the tree does; records progress, log windows and notifications.
class RecordingDocumentView : public DocumentView {
  public:
    void templateGoing() override {
        events.push_back("going");
        if (onTemplateGoing) onTemplateGoing();
    }
    void templateChanged() override { events.push_back("changed"); }
    void pageChanged(int page) override { events.push_back("page " + std::to_string(page)); }
    void valuesChanged() override { events.push_back("values"); }
    void modifiedChanged(bool on) override { events.push_back(on ? "modified" : "unmodified"); }
    void statusDateChanged() override { events.push_back("date"); }
    void treeWidth(int width) override { events.push_back("width " + std::to_string(width)); }

    void resetPageStates() override {
        available = differing = {};
        allUnavailable = false;
    }
    void markAllUnavailable() override { allUnavailable = true, available.clear(); }
    void markAvailable(int page) override { available.insert(page); }
    void markDiffering(int page) override {
        if (isAvailable(page)) differing.insert(page);
    }
    void clearDifferences() override { differing.clear(); }
    void selectPage(int page) override {
        if (isAvailable(page)) selected = page;
    }

    void openProgress(bool, std::string_view text) override {
        ++progressOpened;
        firstText = cp1252ToUtf8(text);
        percents = waits = {};
        statuses.clear();
    }
    void setProgress(int percent) override { percents.push_back(percent); }
    void setStatusText(std::string_view text) override { statuses.push_back(cp1252ToUtf8(text)); }
    void setWaiting(int seconds, std::string_view) override { waits.push_back(seconds); }
    void closeProgress() override { ++progressClosed; }
    void openLogWindow(const std::filesystem::path& file) override { logWindows.push_back(file); }

    bool isAvailable(int page) const { return !allUnavailable || available.count(page) != 0; }

    bool allUnavailable = false;
    std::set<int> available, differing;
    int selected = -1;
    int progressOpened = 0, progressClosed = 0;
    std::string firstText;  // UTF-8
    std::vector<int> percents;
    std::vector<std::string> statuses;  // UTF-8
    std::vector<int> waits;             // the seconds of each wait notice
    std::vector<std::filesystem::path> logWindows;
    std::vector<std::string> events;
    std::function<void()> onTemplateGoing;
};

// The demo templates installed, a document driven on the test's thread as the user's, and
// a simulated panel on loopback TCP; the worker's questions reach the recording prompt.
class DocumentTestBed : public ::testing::Test {
  protected:
    static constexpr std::int64_t kNow = 1'700'000'000;
    static constexpr FieldAddress kCustomer = 0x20u << 3;   // GL 200: customer name, text
    static constexpr FieldAddress kSirenTime = 0xA0u << 3;  // GL 200: siren time (s)

    DocumentTestBed() : home_(dir_.path("home")) {
        for (const char* folder : {"FILES", "INDEX", "LOG"})
            std::filesystem::create_directories(home_ / folder);
        for (const char* name : {"GL200", "VT340"})
            installTemplate(home_, std::string(name) + ".FRM", demoTemplateSource(name));
        context_.setProgramDirectory(ProgramDirectory(home_));
        context_.setDialogs(dialogs_);
        context_.setClock(clock_);
        Settings(context_.settings()).setComputerId("T");
        context_.link().setTiming(LinkTiming::fast());
        reindex();
        doc_ = std::make_unique<PromDocument>(context_, queue_, view_);
    }

    void reindex() { EXPECT_TRUE(ReindexArchive(context_)); }

    // A new GL 200 system with `values` (address: UTF-8 value), saved to FILES.
    void newSystem(const std::map<FieldAddress, std::string>& values,
                   const std::string& file = "GL200.FRM") {
        ASSERT_TRUE(doc_->LoadTemplate("", true, home_ / "FORMS" / file, false));
        doc_->AssignNewFileName();
        for (const auto& [address, value] : values) {
            FieldRecord* r = doc_->form()->store().find(address);
            ASSERT_NE(r, nullptr) << address;
            r->value = utf8ToCp1252(value);
        }
        ASSERT_TRUE(doc_->Save());
        clock_.set(clock_.nowSeconds() + 1);  // the next system gets another FileId
    }
    std::string value(FieldAddress address) const {
        const FieldRecord* r = doc_->form()->store().find(address);
        return r ? cp1252ToUtf8(r->value) : "<none>";
    }
    std::string fileId() const { return doc_->path().stem().string(); }

    // The simulated panel, reached over TCP with the document's connect command.
    panelsim::PanelSimulator& connectPanel(panelsim::PanelConfig config = {}) {
        config.settings.timings.ackTimeoutMs = 500;
        panel_ = std::make_unique<panelsim::PanelSimulator>(std::move(config));
        const auto port = panel_->startTcp();
        EXPECT_TRUE(port.has_value());
        EXPECT_TRUE(
            doc_->ConnectTcpCommand("127.0.0.1", std::to_string(port.value_or(0)), "123456"));
        prompt_.entries.clear();
        return *panel_;
    }

    // Runs the user's thread until the transfer ends (a hang fails instead).
    bool finish(std::chrono::seconds limit = std::chrono::seconds(60)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (doc_->CommActive() != PromDocument::kIdle &&
               std::chrono::steady_clock::now() < deadline)
            queue_.runFor(std::chrono::milliseconds(20));
        EXPECT_EQ(doc_->CommActive(), PromDocument::kIdle) << "the transfer did not end";
        return doc_->CommActive() == PromDocument::kIdle;
    }

    // The message of the last transfer, as its number.
    int lastMessage() const {
        return doc_->lastMessage() ? static_cast<int>(*doc_->lastMessage()) : -1;
    }
    std::string shown(MessageId id) const { return text(id); }
    bool wasShown(MessageId id) const {
        return std::any_of(prompt_.entries.begin(), prompt_.entries.end(),
                           [&](const auto& e) { return e.text == text(id); });
    }

    TempDir dir_;
    std::filesystem::path home_;
    RecordingPrompt prompt_;
    TaskQueue queue_;
    MarshalledPrompt marshalled_{prompt_, queue_};
    ProgramState context_{marshalled_};
    ScriptedDialogs dialogs_{prompt_};
    FixedClock clock_{kNow, 3600};
    RecordingDocumentView view_;
    std::unique_ptr<panelsim::PanelSimulator> panel_;  // outlives the document's goodbye
    std::unique_ptr<PromDocument> doc_;
};

}  // namespace loom::test
