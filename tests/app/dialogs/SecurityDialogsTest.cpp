#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include "archive/PasswordFile.h"
#include "archive/UsersList.h"
#include "context/AppContext.h"
#include "dialogs/ComputerIdDialog.h"
#include "dialogs/LoginDialog.h"
#include "dialogs/QtDialogs.h"
#include "dialogs/SecurityCommands.h"
#include "dialogs/UsersDialog.h"
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

    // A wrong password says so and leaves the dialog open; Escape is no login.
    void loginTakesTheRightPasswordOnly() {
        test::RecordingPrompt prompt;
        ProgramState context(prompt);
        archive.attach(context);
        LoginDialog dialog(context);
        QVERIFY(dialog.prepare());
        dialog.show();
        QTest::keyClicks(dialog.nameEdit(), QStringLiteral("demo"));
        QTest::keyClicks(dialog.passwordEdit(), QStringLiteral("Demo"));
        QCOMPARE(dialog.passwordEdit()->echoMode(), QLineEdit::Password);
        QTest::keyClick(dialog.passwordEdit(), Qt::Key_Return);
        QCOMPARE(prompt.texts(),
                 std::vector<std::string>{cp1252ToUtf8(messageText(MessageId::WrongPassword))});
        QVERIFY(dialog.isVisible());
        dialog.passwordEdit()->setText(QStringLiteral("demo"));
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(context.currentUser().name, std::string("demo"));

        LoginDialog again(context);
        QVERIFY(again.prepare());
        again.show();
        QTest::keyClick(&again, Qt::Key_Escape);
        QCOMPARE(again.result(), int(QDialog::Rejected));
        QCOMPARE(prompt.entries.size(), std::size_t{1});
    }

    void usersDialogAddsAndRemovesUsers() {
        test::RecordingPrompt prompt;
        ProgramState context(prompt);
        archive.attach(context);
        UsersList users(context);
        QVERIFY(users.open());
        UsersDialog dialog(users);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QVERIFY(!dialog.removeButton()->isEnabled());

        // Enter in the password edit adds the typed user.
        QTest::keyClicks(dialog.nameEdit(), QStringLiteral("Anna"));
        QTest::keyClicks(dialog.passwordEdit(), QStringLiteral("hemlig"));
        QTest::keyClick(dialog.passwordEdit(), Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.list()->topLevelItemCount(), 2);

        // Selecting "demo" (after "Anna") fills the edits; "Ta bort" removes it.
        dialog.list()->setCurrentItem(dialog.list()->topLevelItem(1));
        QCOMPARE(dialog.nameEdit()->text(), QStringLiteral("demo"));
        QVERIFY(dialog.removeButton()->isEnabled());
        QTest::mouseClick(dialog.removeButton(), Qt::LeftButton);
        QCOMPARE(dialog.list()->topLevelItemCount(), 1);
        QVERIFY(!dialog.removeButton()->isEnabled());

        QTest::keyClick(dialog.list(), Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        PasswordFile file(context);
        QVERIFY(file.CheckLogin("Anna", "hemlig"));
        QVERIFY(!file.CheckLogin("demo", "demo"));
        QVERIFY(prompt.entries.empty());
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
