#include "transfer/MarshalledPrompt.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "support/RecordingPrompt.h"
#include "transfer/QueuedReceiver.h"
#include "transfer/UiThread.h"

namespace loom {
namespace {

using namespace std::chrono_literals;

// A catalogue message keeps its number, title and default button on the way to the
// user's thread, after the worker's own texts are gone; the worker waits for the answer.
TEST(MarshalledPrompt, AnotherThreadsMessagesAreShownOnTheUsersThreadWithTheirOptions) {
    test::RecordingPrompt inner;
    inner.answers = {Answer::Yes};
    TaskQueue queue;
    MarshalledPrompt prompt(inner, queue);
    std::atomic<bool> done = false;
    Answer answer = Answer::Cancel;
    std::thread worker([&] {
        prompt.show(MessageId::BadProductId, {}, MessageKind::Stop);
        answer = prompt.ask(MessageId::CloseDuringTransfer, Buttons::YesNo);
        done = true;
    });
    while (!done)
        queue.runFor(10ms);
    worker.join();
    EXPECT_EQ(answer, Answer::Yes);
    ASSERT_EQ(inner.entries.size(), 2u);
    EXPECT_EQ(inner.entries[0].id, MessageId::BadProductId);
    EXPECT_EQ(inner.entries[0].title, "Fel!");
    EXPECT_EQ(inner.entries[0].defaultAnswer, std::nullopt);
    EXPECT_EQ(inner.entries[1].id, MessageId::CloseDuringTransfer);
    EXPECT_EQ(inner.entries[1].title, "");
    EXPECT_EQ(inner.entries[1].defaultAnswer, Answer::No);

    // On the user's thread itself the call goes straight through.
    inner.answers = {Answer::No};
    EXPECT_EQ(prompt.ask("Direkt?", Buttons::YesNo, MessageKind::Question), Answer::No);
}

// A user's thread that is gone: what is posted to it is dropped unrun.
struct GoneThread final : UiThread {
    void post(std::function<void()>) override {}
    bool isCurrent() const override { return false; }
    void runPending() override {}
};

TEST(MarshalledPrompt, AQuestionThatIsNeverShownAnswersNoInsteadOfWaitingForever) {
    test::RecordingPrompt inner;
    GoneThread gone;
    MarshalledPrompt prompt(inner, gone);
    EXPECT_EQ(prompt.ask("?", Buttons::YesNoCancel, MessageKind::Question), Answer::No);
    EXPECT_EQ(prompt.ask("?", Buttons::RetryCancel, MessageKind::Question), Answer::Cancel);
    prompt.show("!", MessageKind::Warning);
    EXPECT_TRUE(inner.entries.empty());
}

struct CountingReceiver final : TransferReceiver {
    void transferBegun() override { ++calls; }
    void transferDone(const TransferOutcome&) override { ++calls; }
    void panelIdentity(bool, std::unique_ptr<std::string> text) override {
        ++calls;
        identity = *text;
    }
    void blockReceived(std::unique_ptr<ReceivedBlock>) override { ++calls; }
    void progress(int) override { ++calls; }
    void statusText(std::unique_ptr<std::string>) override { ++calls; }
    void waiting(int) override { ++calls; }
    int calls = 0;
    std::string identity;
};

TEST(QueuedReceiver, DeliversOnTheUsersThreadAndNothingOnceDetached) {
    TaskQueue queue;
    CountingReceiver target;
    QueuedReceiver queued(queue, target);
    queued.panelIdentity(false, std::make_unique<std::string>("GL 200"));
    queued.blockReceived(std::make_unique<ReceivedBlock>());
    EXPECT_EQ(target.calls, 0);
    queue.runPending();
    EXPECT_EQ(target.calls, 2);
    EXPECT_EQ(target.identity, "GL 200");

    queued.progress(5);
    queued.detach();
    queued.statusText(std::make_unique<std::string>("x"));
    queue.runPending();
    EXPECT_EQ(target.calls, 2);
}

}  // namespace
}  // namespace loom
