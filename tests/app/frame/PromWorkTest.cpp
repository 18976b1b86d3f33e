// PROM work in the window against a simulated panel on loopback TCP: the progress dialog,
// the questions and outcomes as the user meets them, cancelling, closing the window while
// a transfer runs, and "Skriv och kontrollera".
#include <QApplication>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "PanelSimulator.h"
#include "Program.h"
#include "QtPrompt.h"
#include "QtText.h"
#include "context/AppContext.h"
#include "dialogs/EventLogWindow.h"
#include "dialogs/TransferProgressDialog.h"
#include "document/ProgramDocument.h"
#include "document/PromDocument.h"
#include "frame/ActivityIndicator.h"
#include "frame/MainFrame.h"
#include "link/LinkTiming.h"
#include "link/PromLink.h"
#include "platform/Settings.h"
#include "support/DemoArchive.h"
#include "support/FastPanelConfig.h"
#include "support/RecordingPrompt.h"
#include "support/StartedProgram.h"

namespace loom {
namespace {

constexpr int kLimitMs = 60000;

QString text(MessageId id) {
    return toQt(messageText(id));
}

// A logged-in program on a demo home, a GL 200 system open, connected over TCP to a
// simulated panel. Declared in this order so that the program goes first.
struct Bench {
    explicit Bench(panelsim::PanelConfig config = panelsim::fastConfig()) {
        if (!home.error().isEmpty()) return;
        program = test::startedProgram(home, prompt);
        if (!program) return;
        program->context().link().setTiming(LinkTiming::fast());
        test::openFirstSystemOf(*program, home, "GL 200");
        system = core().path();
        panel = std::make_unique<panelsim::PanelSimulator>(std::move(config));
        const auto port = panel->startTcp();
        connected = port && core().ConnectTcpCommand("127.0.0.1", std::to_string(*port), "123456");
        prompt.entries.clear();
    }
    bool ready() const {
        return program && connected && core().form() && core().form()->name() == "GL 200";
    }
    ProgramDocument& document() const { return program->document(); }
    PromDocument& core() const { return program->document().core(); }
    MainFrame& frame() const { return program->frame(); }
    // The progress bar's values from now until its dialog goes.
    void recordBar() {
        percents.clear();
        TransferProgressDialog* dialog = document().progressDialog();
        if (dialog == nullptr) return;
        QObject::connect(dialog->bar(), &QProgressBar::valueChanged, dialog,
                         [this](int v) { percents.push_back(v); });
    }
    std::vector<std::string> shown() const {
        std::vector<std::string> out;
        for (const auto& e : prompt.entries)
            if (!e.question) out.push_back(e.text);
        return out;
    }
    bool wasShown(MessageId id) const {
        const std::string wanted = cp1252ToUtf8(messageText(id));
        const std::vector<std::string> all = shown();
        return std::find(all.begin(), all.end(), wanted) != all.end();
    }

    test::DemoArchive home;
    test::RecordingPrompt prompt;
    std::unique_ptr<panelsim::PanelSimulator> panel;
    std::unique_ptr<Program> program;
    std::filesystem::path system;
    bool connected = false;
    std::vector<int> percents;
};

// About 90 ms a block on the wire: a write lasts long enough to act during its blocks.
panelsim::PanelConfig slowPanel() {
    panelsim::PanelConfig config = panelsim::fastConfig();
    config.settings.baud = 2400;
    return config;
}

// The write has reached its blocks.
bool writingBlocks(Bench& b) {
    TransferProgressDialog* d = b.document().progressDialog();
    return d && d->statusLabel()->text() == text(MessageId::StatusWriting) &&
           d->bar()->value() > 50;
}

// Holds question 71 open, as a user who takes his time, until `ready` holds.
class SlowCancelAnswer : public test::RecordingPrompt {
  public:
    std::function<bool()> ready;
    Answer askWith(std::string_view text, Buttons buttons, MessageKind kind,
                   const PromptOptions& options) override {
        if (options.id == MessageId::ConfirmCancelTransfer && ready) {
            QDeadlineTimer limit(kLimitMs);
            while (!ready() && !limit.hasExpired())
                QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return RecordingPrompt::askWith(text, buttons, kind, options);
    }
};

}  // namespace

class PromWorkTest : public QObject {
    Q_OBJECT

  private slots:
    void writeShowsItsProgressThenReadAndVerifyFindTheSameSystem() {
        Bench b;
        QVERIFY2(b.ready(), qPrintable(b.home.error()));
        b.prompt.answers = {Answer::Yes};
        b.frame().action(CommandId::WriteProm)->trigger();
        TransferProgressDialog* dialog = b.document().progressDialog();
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Skriv till prom"));
        QVERIFY(!b.frame().action(CommandId::ReadProm)->isEnabled());
        QVERIFY(b.frame().action(CommandId::Save)->isEnabled());  // a write leaves the file
        b.recordBar();
        QTRY_VERIFY_WITH_TIMEOUT(b.core().CommActive() == 0, kLimitMs);
        QVERIFY(!b.document().progressDialog());
        QVERIFY(!b.frame().indicator()->running());
        QCOMPARE(b.shown(), std::vector<std::string>{"Skrivning klar!"});
        QCOMPARE(b.prompt.unexpected, 0);
        // The bar moved through the write and filled at its end.
        QVERIFY(std::is_sorted(b.percents.begin(), b.percents.end()));
        QVERIFY(std::any_of(b.percents.begin(), b.percents.end(),
                            [](int p) { return p > 0 && p < 100; }));
        QCOMPARE(b.percents.back(), 100);

        b.prompt.entries.clear();
        b.frame().action(CommandId::ReadProm)->trigger();
        QVERIFY(b.document().progressDialog());
        QCOMPARE(b.document().progressDialog()->windowTitle(), QStringLiteral("Läs från prom"));
        QVERIFY(!b.frame().action(CommandId::Save)->isEnabled());  // a read replaces the file
        QTRY_VERIFY_WITH_TIMEOUT(b.core().CommActive() == 0, kLimitMs);
        QVERIFY(b.core().lastMessage() == MessageId::ReadDoneIdentical);
        QCOMPARE(b.shown().size(), std::size_t(1));
        QVERIFY(b.shown().front().starts_with("Nedläsning klar!"));

        b.prompt.entries.clear();
        b.prompt.answers = {Answer::Yes};
        b.frame().action(CommandId::WriteVerify)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(b.core().lastMessage() == MessageId::VerifyDone, kLimitMs);
        QCOMPARE(b.shown().size(), std::size_t(2));
        QCOMPARE(b.shown()[0], std::string("Skrivning klar!"));
        QVERIFY(b.shown()[1].starts_with("Kontrollen klar: alla "));
        QVERIFY(!b.document().progressDialog());
        // The system written stays shown, as it is on disk.
        QCOMPARE(b.core().path(), b.system);
        QVERIFY(b.frame().modifiedPaneText().isEmpty());
        QCOMPARE(b.prompt.unexpected, 0);
    }

    // Without stand-in: every box is a real one, the worker's included, on the user's
    // thread, while the worker waits for it.
    void theWorkersMessagesAreRealBoxesOnTheUsersThread() {
        panelsim::PanelConfig config = panelsim::fastConfig();
        const std::string model = "XY 999";
        std::copy(model.begin(), model.end(), config.settings.identity.begin());
        Bench b(std::move(config));
        QVERIFY2(b.ready(), qPrintable(b.home.error()));
        b.program->prompt().setStandIn(nullptr);
        struct Box {
            QString text;
            bool userThread;
            int comm;
            bool progressShown;
        };
        std::vector<Box> boxes;
        QTimer answerer;
        answerer.setInterval(10);
        QObject::connect(&answerer, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr || !box->isVisible()) return;
            boxes.push_back({box->text(), QThread::currentThread() == qApp->thread(),
                             b.core().CommActive(), b.document().progressDialog() != nullptr});
            QAbstractButton* chosen = box->buttons().front();
            for (QAbstractButton* button : box->buttons())
                if (button->text() == QStringLiteral("Ja")) chosen = button;
            chosen->click();
        });
        answerer.start();
        b.frame().action(CommandId::WriteProm)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(b.core().CommActive() == 0 && !boxes.empty() &&
                                     boxes.back().text == text(MessageId::TransferAborted),
                                 kLimitMs);
        answerer.stop();
        QVERIFY(boxes.size() >= 3);
        QCOMPARE(boxes[0].text, text(MessageId::ConfirmWriteProm));
        // Message 79 comes from the worker, which waits: the write is still running.
        QVERIFY(boxes[1].text.startsWith(
            QStringLiteral("Promet och mallen är av olika produktmodeller.\nSändningen avbryts.")));
        QCOMPARE(boxes[1].comm, 2);
        QVERIFY(boxes[1].progressShown);
        // The progress dialog has gone before the outcome.
        QVERIFY(!boxes.back().progressShown);
        for (const Box& box : boxes)
            QVERIFY(box.userThread);
        QVERIFY(b.panel->counters().erases == 0);
    }

    void avbrytAsksBeforeItCancelsAndTheBarNeverFills() {
        Bench b(slowPanel());
        QVERIFY2(b.ready(), qPrintable(b.home.error()));
        b.prompt.answers = {Answer::Yes};
        b.frame().action(CommandId::WriteProm)->trigger();
        b.recordBar();
        QTRY_VERIFY_WITH_TIMEOUT(writingBlocks(b), kLimitMs);
        TransferProgressDialog* dialog = b.document().progressDialog();
        // Escape asks; "Nej" (the default) goes on.
        b.prompt.entries.clear();
        b.prompt.answers = {Answer::No};
        QTest::keyClick(dialog, Qt::Key_Escape);
        QTRY_VERIFY_WITH_TIMEOUT(!b.prompt.entries.empty(), kLimitMs);
        QVERIFY(b.prompt.entries[0].id == MessageId::ConfirmCancelTransfer);
        QVERIFY(b.prompt.entries[0].defaultAnswer == Answer::No);
        QCOMPARE(b.core().CommActive(), 2);
        QVERIFY(b.document().progressDialog() == dialog && dialog->isVisible());
        // "Avbryt" and "Ja": the write stops with message 83.
        b.prompt.answers = {Answer::Yes};
        dialog->cancelButton()->click();
        QTRY_VERIFY_WITH_TIMEOUT(b.core().CommActive() == 0, kLimitMs);
        QVERIFY(b.prompt.entries[1].id == MessageId::ConfirmCancelTransfer);
        QVERIFY(b.core().lastMessage() == MessageId::TransferAborted);
        QVERIFY(b.wasShown(MessageId::TransferAborted));
        QCOMPARE(b.shown().back(), cp1252ToUtf8(messageText(MessageId::PromIncomplete)));
        QVERIFY(!b.percents.empty());
        QVERIFY(*std::max_element(b.percents.begin(), b.percents.end()) < 100);
        QVERIFY(!b.document().progressDialog());
        QVERIFY(!b.frame().indicator()->running());
        QCOMPARE(b.prompt.unexpected, 0);
    }

    // "Ja" to 71 given after the write ended belongs to no transfer: the read-back that has
    // begun meanwhile goes on.
    void aLateAnswerToAvbrytDoesNotCancelTheReadBack() {
        Bench b(slowPanel());
        QVERIFY2(b.ready(), qPrintable(b.home.error()));
        SlowCancelAnswer prompt;
        b.program->prompt().setStandIn(&prompt);
        prompt.answers = {Answer::Yes, Answer::Yes};
        prompt.ready = [&b] { return b.core().CommActive() == 1; };
        b.frame().action(CommandId::WriteVerify)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(writingBlocks(b), kLimitMs);
        b.document().progressDialog()->cancelButton()->click();
        QTRY_VERIFY_WITH_TIMEOUT(b.core().CommActive() == 0 && b.core().lastMessage(), kLimitMs);
        b.program->prompt().setStandIn(&b.prompt);
        QVERIFY(b.core().lastMessage() == MessageId::VerifyDone);
        QCOMPARE(prompt.unexpected, 0);
    }

    void closingDuringAWriteAsksAndNejLetsItFinish() {
        Bench b(slowPanel());
        QVERIFY2(b.ready(), qPrintable(b.home.error()));
        b.prompt.answers = {Answer::Yes};
        b.frame().action(CommandId::WriteProm)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(writingBlocks(b), kLimitMs);
        b.prompt.entries.clear();
        b.prompt.answers = {Answer::No};
        QVERIFY(!b.frame().close());
        QCOMPARE(b.prompt.entries.size(), std::size_t(1));
        QVERIFY(b.prompt.entries[0].id == MessageId::CloseDuringTransfer);
        QVERIFY(b.prompt.entries[0].defaultAnswer == Answer::No);
        QVERIFY(b.frame().isVisible());
        QVERIFY(b.document().progressDialog() && b.document().progressDialog()->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(b.core().CommActive() == 0, kLimitMs);
        QVERIFY(b.core().lastMessage() == MessageId::WriteDone);

        // "Ja" closes the window at once; the program then goes with the write still running.
        b.prompt.answers = {Answer::Yes};
        b.frame().action(CommandId::WriteProm)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(writingBlocks(b), kLimitMs);
        b.prompt.answers = {Answer::Yes};
        QVERIFY(b.frame().close());
        QVERIFY(!b.frame().isVisible());
        QVERIFY(!b.document().progressDialog()->isVisible());
        QCOMPARE(b.core().CommActive(), 2);
        b.program.reset();
        QCOMPARE(b.prompt.unexpected, 0);
    }

    // A PROM whose file identifier the archive does not know: 80, and the values read are
    // a new system waiting to be saved.
    void aPromTheArchiveDoesNotKnowIsANewSystem() {
        Bench b;
        QVERIFY2(b.ready(), qPrintable(b.home.error()));
        PromImage image;
        const std::vector<std::uint8_t> bytes(16, 0x31);
        image.write(0x20, bytes);
        b.panel->setImage(image);
        // The new system's name is made from the computer's id, which is not asked for here.
        Settings(b.program->context().settings()).setComputerId("T");
        b.frame().action(CommandId::ReadProm)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(b.core().CommActive() == 0, kLimitMs);
        QVERIFY(b.core().lastMessage() == MessageId::ReadDoneNoFile);
        QVERIFY(b.wasShown(MessageId::ReadDoneNoFile));
        QCOMPARE(b.frame().modifiedPaneText(), QStringLiteral("MOD"));
        QVERIFY(b.core().path() != b.system);
        QVERIFY(!b.frame().action(CommandId::DifferencesPanel)->isEnabled());
    }

    // "Läs Logg" ends in the log window on the system's log file, with the panel's entries.
    void aLogReadOpensTheLogWindowOnThePanelsEntries() {
        Bench b;
        QVERIFY2(b.ready(), qPrintable(b.home.error()));
        b.panel->setFileId(b.system.stem().string());
        const std::vector<std::array<std::uint8_t, 16>> records = {
            {0x30, 0x09, 0x11, 0x14, 0x02, 0x0C, 0x1A, 0x00, 0x04, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
             0xFF, 0xFF},
            {0x31, 0x3A, 0x3B, 0x14, 0x02, 0x0C, 0x1A, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
             0xFF, 0xFF},
            {0x21, 0x00, 0x05, 0x07, 0x04, 0x0C, 0x1A, 0x01, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
             0xFF, 0xFF}};
        b.panel->setLog(records);
        int shownInWindow = -1;
        QTimer closer;
        closer.setInterval(20);
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (auto* window = qobject_cast<EventLogWindow*>(QApplication::activeModalWidget())) {
                shownInWindow = window->list()->count();
                window->closeButton()->click();
            }
        });
        closer.start();
        b.frame().action(CommandId::ReadLog)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(b.core().CommActive() == 0 && shownInWindow >= 0, kLimitMs);
        QCOMPARE(b.core().lastResult(), 1);
        QCOMPARE(shownInWindow, 3);
        QCOMPARE(b.core().lastLogRecordsAdded(), std::size_t(3));
        QVERIFY(std::filesystem::exists(b.core().LogFilePath()));
        QCOMPARE(b.prompt.unexpected, 0);
    }
};

}  // namespace loom

QTEST_MAIN(loom::PromWorkTest)
#include "PromWorkTest.moc"
