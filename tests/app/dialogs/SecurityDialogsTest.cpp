// The login and computer id dialogs as the user meets them (the password rules and the
// users list are the core's).
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "context/AppContext.h"
#include "dialogs/ComputerIdDialog.h"
#include "dialogs/LoginDialog.h"
#include "dialogs/QtDialogs.h"
#include "dialogs/SecurityCommands.h"
#include "document/ProgramState.h"
#include "platform/Settings.h"
#include "support/DemoArchive.h"
#include "support/ModalScript.h"
#include "support/RecordingPrompt.h"

namespace loom {

class SecurityDialogsTest : public QObject {
    Q_OBJECT
  private:
    test::DemoArchive archive;

  private slots:
    void init() { QVERIFY2(archive.error().isEmpty(), qPrintable(archive.error())); }

    // A wrong password says so and leaves the dialog open.
    void loginTakesTheRightPasswordOnly() {
        test::RecordingPrompt prompt;
        ProgramState context(prompt);
        archive.attach(context);
        LoginDialog dialog(context);
        QVERIFY(dialog.prepare());
        dialog.show();
        QTest::keyClicks(dialog.nameEdit(), QStringLiteral("demo"));
        QTest::keyClicks(dialog.passwordEdit(), QStringLiteral("Demo"));
        QTest::keyClick(dialog.passwordEdit(), Qt::Key_Return);
        QCOMPARE(prompt.texts(),
                 std::vector<std::string>{cp1252ToUtf8(messageText(MessageId::WrongPassword))});
        QVERIFY(dialog.isVisible());
        dialog.passwordEdit()->setText(QStringLiteral("demo"));
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(context.currentUser().name, std::string("demo"));
    }

    // A digit is refused with a beep; the letter typed is stored in upper case.
    void computerIdCommandStoresTheLetter() {
        test::RecordingPrompt prompt;
        ProgramState context(prompt);
        QtDialogs dialogs(context);
        context.setDialogs(dialogs);
        QWidget frame;
        test::ModalScript script;
        script.then<ComputerIdDialog>([&](ComputerIdDialog* dialog) {
            dialog->edit()->clear();
            QTest::keyClicks(dialog->edit(), QStringLiteral("3"));
            QCOMPARE(dialog->edit()->text(), QString());
            QTest::keyClicks(dialog->edit(), QStringLiteral("k"));
            QTest::keyClick(dialog->edit(), Qt::Key_Return);
        });
        bool stored = false;
        script.run([&] { stored = runEditComputerId(context, &frame); });
        QCOMPARE(script.done, std::size_t(1));
        QVERIFY(stored);
        QCOMPARE(prompt.beeps, 1);
        QCOMPARE(Settings(context.settings()).computerId(), std::string("K"));
    }
};

}  // namespace loom

QTEST_MAIN(loom::SecurityDialogsTest)
#include "SecurityDialogsTest.moc"
