// PROM work in the window against a simulated panel on loopback TCP: the progress dialog,
// the questions and outcomes as the user meets them, cancelling, closing the window while
// a transfer runs, "Skriv och kontrollera" and the differences a read finds.
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QThread>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "PanelSimulator.h"
#include "Program.h"
#include "QtPrompt.h"
#include "QtText.h"
#include "context/AppContext.h"
#include "dialogs/TransferProgressDialog.h"
#include "document/ProgramDocument.h"
#include "document/PromDocument.h"
#include "fields/FieldCodec.h"
#include "frame/ActivityIndicator.h"
#include "frame/MainFrame.h"
#include "link/LinkTiming.h"
#include "link/PromLink.h"
#include "support/DemoArchive.h"
#include "support/FastPanelConfig.h"
#include "support/PromptIds.h"
#include "support/RecordingPrompt.h"
#include "support/StartedProgram.h"
#include "views/DifferencesPanel.h"
#include "views/FormPageView.h"
#include "views/PageTreeView.h"

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
    // The ids of the messages shown (not the questions asked).
    std::vector<MessageId> shown() const {
        std::vector<MessageId> out;
        for (const auto& e : prompt.entries)
            if (!e.question) out.push_back(e.id.value_or(MessageId{}));
        return out;
    }

    test::DemoArchive home;
    test::RecordingPrompt prompt;
    std::unique_ptr<panelsim::PanelSimulator> panel;
    std::unique_ptr<Program> program;
    bool connected = false;
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

}  // namespace

class PromWorkTest : public QObject {
    Q_OBJECT

  private slots:
    // Without stand-in every box is a real one, the worker's included: on the user's
    // thread, while the worker waits for it (a panel of another model refuses the write).
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
        };
        std::vector<Box> boxes;
        QTimer answerer;
        QObject::connect(&answerer, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr || !box->isVisible()) return;
            boxes.push_back(
                {box->text(), QThread::currentThread() == qApp->thread(), b.core().CommActive()});
            QAbstractButton* chosen = box->buttons().front();
            for (QAbstractButton* button : box->buttons())
                if (button->text() == QStringLiteral("Ja")) chosen = button;
            chosen->click();
        });
        answerer.start(10);
        b.frame().action(CommandId::WriteProm)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(b.core().CommActive() == 0 && !boxes.empty() &&
                                     boxes.back().text == text(MessageId::TransferAborted),
                                 kLimitMs);
        answerer.stop();
        QVERIFY(boxes.size() >= 3);
        QCOMPARE(boxes[0].text, text(MessageId::ConfirmWriteProm));
        QVERIFY(boxes[1].text.startsWith(text(MessageId::ModelMismatch).section(u'%', 0, 0)));
        QCOMPARE(boxes[1].comm, 2);  // the write still runs
        for (const Box& box : boxes)
            QVERIFY(box.userThread);
    }

    void avbrytAsksBeforeItCancels() {
        Bench b(slowPanel());
        QVERIFY2(b.ready(), qPrintable(b.home.error()));
        b.prompt.answers = {Answer::Yes};
        b.frame().action(CommandId::WriteProm)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(writingBlocks(b), kLimitMs);
        TransferProgressDialog* dialog = b.document().progressDialog();
        // Escape asks; "Nej" (the default) goes on.
        b.prompt.entries.clear();
        b.prompt.answers = {Answer::No};
        QTest::keyClick(dialog, Qt::Key_Escape);
        QTRY_VERIFY_WITH_TIMEOUT(!b.prompt.entries.empty(), kLimitMs);
        QVERIFY(b.prompt.entries[0].id == MessageId::ConfirmCancelTransfer);
        QCOMPARE(b.core().CommActive(), 2);
        QVERIFY(dialog->isVisible());
        // "Avbryt" and "Ja": the write stops with message 83.
        b.prompt.answers = {Answer::Yes};
        dialog->cancelButton()->click();
        QTRY_VERIFY_WITH_TIMEOUT(b.core().CommActive() == 0, kLimitMs);
        QVERIFY(b.prompt.entries[1].id == MessageId::ConfirmCancelTransfer);
        const std::vector<MessageId> shown = b.shown();
        QVERIFY(std::count(shown.begin(), shown.end(), MessageId::TransferAborted) == 1);
        QVERIFY(shown.back() == MessageId::PromIncomplete);
        QVERIFY(!b.document().progressDialog());
        QCOMPARE(b.prompt.unexpected, 0);
    }

    void closingDuringAWriteAsksAndJaLeavesItRunning() {
        Bench b(slowPanel());
        QVERIFY2(b.ready(), qPrintable(b.home.error()));
        b.prompt.answers = {Answer::Yes};
        b.frame().action(CommandId::WriteProm)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(writingBlocks(b), kLimitMs);
        b.prompt.entries.clear();
        b.prompt.answers = {Answer::No};
        QVERIFY(!b.frame().close());
        QCOMPARE(test::idsOf(b.prompt), std::vector<MessageId>{MessageId::CloseDuringTransfer});
        QVERIFY(b.frame().isVisible());
        QCOMPARE(b.core().CommActive(), 2);

        // "Ja" closes the window at once; the program then goes with the write still running.
        b.prompt.answers = {Answer::Yes};
        QVERIFY(b.frame().close());
        QVERIFY(!b.frame().isVisible());
        QCOMPARE(b.core().CommActive(), 2);
        b.program.reset();
        QCOMPARE(b.prompt.unexpected, 0);
    }

    // "Skriv och kontrollera" with its progress, then a PROM that differs from its archived
    // file: the tree's page picture, the "Skillnader" panel, the form's marker, "Visa" prom and
    // fil, all gone once saved.
    void writeVerifyThenAReadThatFindsDifferencesShowsThemUntilSaved() {
        Bench b;
        QVERIFY2(b.ready(), qPrintable(b.home.error()));
        constexpr FieldAddress kCustomer = 0x20u << 3;  // GL 200, page 0, an edit field
        const FieldRecord& customer = *b.core().form()->store().find(kCustomer);
        const QString fileName = toQt(customer.value);
        MainFrame& frame = b.frame();
        DifferencesPanel& panel = b.document().differences();
        FormPageView& form = b.document().form();
        b.prompt.answers = {Answer::Yes};
        frame.action(CommandId::WriteVerify)->trigger();
        TransferProgressDialog* dialog = b.document().progressDialog();
        QVERIFY(dialog && dialog->isVisible());
        QVERIFY(!frame.action(CommandId::ReadProm)->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(b.core().CommActive() == 0 && b.core().lastMessage(), kLimitMs);
        QCOMPARE(b.shown(), (std::vector<MessageId>{MessageId::WriteDone, MessageId::VerifyDone}));
        QVERIFY(!b.document().progressDialog());
        QVERIFY(!frame.indicator()->running());
        // The installer at the panel changes the customer's name.
        PromImage image = b.panel->image();
        QCOMPARE(
            Encode(customer.type, utf8ToCp1252("Panelens namn"), kCustomer, customer.size, image),
            CodecResult::Ok);
        b.panel->setImage(image);
        frame.action(CommandId::ReadProm)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(b.core().CommActive() == 0, kLimitMs);
        QCOMPARE(b.shown().back(), MessageId::ReadDoneDiffers);

        PageTreeView& tree = b.document().tree();
        QVERIFY(tree.pagePicture(0) == PageStates::kPageDiffers ||
                tree.pagePicture(0) == PageStates::kPageDiffersSelected);
        QTRY_VERIFY(panel.isVisible());
        QTableWidget* table = panel.table();
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(table->item(0, 3)->text(), QStringLiteral("Panelens namn"));

        // A double-click on the row (after its click, as the mouse gives them) shows the
        // field's page with the field focused and marked just left of it.
        const QRect cell = table->visualItemRect(table->item(0, 1));
        frame.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
        const auto field = [&] {
            return qobject_cast<QLineEdit*>(form.widgetOf(*b.core().fieldControl(0, kCustomer)));
        };
        QLineEdit* edit = field();
        QVERIFY(edit);
        QCOMPARE(QApplication::focusWidget(), edit);
        QCOMPARE(form.markerRects(), std::vector<QRect>{QRect(edit->x() - 7, edit->y(), 7, 15)});

        // "Visa" "Fil" and "Prom" exchange the values shown.
        QAction* showFile = frame.action(CommandId::ShowFile);
        QAction* showProm = frame.action(CommandId::ShowProm);
        QCOMPARE(edit->text(), QStringLiteral("Panelens namn"));
        showFile->trigger();
        QVERIFY(showFile->isChecked() && !showProm->isChecked());
        QCOMPARE(field()->text(), fileName);
        showProm->trigger();

        // Saving keeps the PROM's values and drops the PROM data with its marks.
        frame.action(CommandId::Save)->trigger();
        QCOMPARE(tree.pagePicture(0), static_cast<int>(PageStates::kPageSelected));
        QVERIFY(form.markerRects().empty());
        QCOMPARE(table->rowCount(), 0);
        QVERIFY(!showProm->isEnabled() && !showFile->isEnabled());
        QVERIFY(!frame.action(CommandId::DifferencesPanel)->isEnabled());
        QCOMPARE(b.prompt.unexpected, 0);
    }
};

}  // namespace loom

QTEST_MAIN(loom::PromWorkTest)
#include "PromWorkTest.moc"
