// The message boxes of the core's prompt: a message's own title and default button.
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "QtPrompt.h"

namespace loom {

class QtPromptTest : public QObject {
    Q_OBJECT

  private:
    struct Seen {
        QString title;
        QString defaultButton;
    };
    // Presses Enter in the next box shown and records it.
    static void pressEnterInNextBox(Seen& seen) {
        QTimer::singleShot(0, [&seen] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box != nullptr);
            seen.title = box->windowTitle();
            seen.defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
            QTest::keyClick(box, Qt::Key_Return);
        });
    }

  private slots:
    // Enter pressed by habit in message 70 keeps the transfer running.
    void enterTakesTheMessagesDefault() {
        QtPrompt prompt;
        Seen seen;
        pressEnterInNextBox(seen);
        const Answer answer = prompt.ask(MessageId::CloseDuringTransfer, Buttons::YesNo);
        QCOMPARE(answer, Answer::No);
        QCOMPARE(seen.defaultButton, QStringLiteral("Nej"));
        QCOMPARE(seen.title, QStringLiteral("Loomcraft"));

        pressEnterInNextBox(seen);
        QCOMPARE(prompt.ask(MessageId::SaveChanges, Buttons::YesNoCancel), Answer::Yes);
        QCOMPARE(seen.defaultButton, QStringLiteral("Ja"));

        pressEnterInNextBox(seen);
        prompt.show(MessageId::BadProductId, {}, MessageKind::Stop);
        QCOMPARE(seen.title, QStringLiteral("Fel!"));
    }
};

}  // namespace loom

QTEST_MAIN(loom::QtPromptTest)
#include "QtPromptTest.moc"
