#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include "archive/PasswordFile.h"
#include "archive/UsersList.h"
#include "context/AppContext.h"
#include "dialogs/ComputerIdDialog.h"
#include "dialogs/QtDialogs.h"
#include "dialogs/SecurityCommands.h"
#include "dialogs/UsersDialog.h"
#include "document/ProgramState.h"
#include "platform/Settings.h"
#include "support/DemoArchive.h"
#include "support/RecordingPrompt.h"

namespace loom {

class SecurityDialogsTest : public QObject {
    Q_OBJECT
  private slots:
    void usersDialogAddsAndRemovesUsers() {
        QVERIFY2(archive.error().isEmpty(), qPrintable(archive.error()));
        test::RecordingPrompt prompt;
        ProgramState context(prompt);
        archive.attach(context);
        UsersList users(context);
        QVERIFY(users.open());
        UsersDialog dialog(users);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(dialog.list()->topLevelItemCount(), 1);
        QVERIFY(!dialog.removeButton()->isEnabled());

        // Enter in the password edit adds the typed user (in the list's order).
        QTest::keyClicks(dialog.nameEdit(), QStringLiteral("Anna"));
        QTest::keyClicks(dialog.passwordEdit(), QStringLiteral("hemlig"));
        QTest::keyClick(dialog.passwordEdit(), Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.list()->topLevelItemCount(), 2);
        QCOMPARE(dialog.list()->topLevelItem(0)->text(0), QStringLiteral("Anna"));

        // Selecting "demo" fills the edits; "Ta bort" removes it.
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

    void computerIdRefusesADigitWithABeep() {
        test::RecordingPrompt prompt;
        ComputerIdDialog dialog("q", prompt);
        dialog.show();
        QCOMPARE(dialog.edit()->text(), QStringLiteral("Q"));
        dialog.edit()->clear();
        QTest::keyClicks(dialog.edit(), QStringLiteral("3"));
        QCOMPARE(dialog.edit()->text(), QString());
        QCOMPARE(prompt.beeps, 1);
        QTest::keyClicks(dialog.edit(), QStringLiteral("b"));
        QCOMPARE(dialog.edit()->text(), QStringLiteral("B"));
        QCOMPARE(prompt.beeps, 1);
    }

    void computerIdCommandStoresTheLetter() {
        test::RecordingPrompt prompt;
        ProgramState context(prompt);
        QtDialogs dialogs(context);
        context.setDialogs(dialogs);
        QWidget frame;
        // The dialog is modal: answer it from the event loop it runs.
        QTimer::singleShot(0, [] {
            QWidget* modal = QApplication::activeModalWidget();
            auto* dialog = qobject_cast<ComputerIdDialog*>(modal);
            if (dialog == nullptr) {  // never leave a modal loop running
                if (modal != nullptr) modal->close();
                return;
            }
            QTest::keyClicks(dialog->edit(), QStringLiteral("k"));
            QTest::keyClick(dialog->edit(), Qt::Key_Return);
        });
        QVERIFY(runEditComputerId(context, &frame));
        QCOMPARE(Settings(context.settings()).computerId(), std::string("K"));
    }

  private:
    test::DemoArchive archive;
};

}  // namespace loom

QTEST_MAIN(loom::SecurityDialogsTest)
#include "SecurityDialogsTest.moc"
