#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "context/AppContext.h"
#include "dialogs/LoginDialog.h"
#include "document/ProgramState.h"
#include "support/DemoArchive.h"
#include "support/RecordingPrompt.h"

namespace loom {

class LoginDialogTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        QVERIFY2(archive.error().isEmpty(), qPrintable(archive.error()));
        prompt = test::RecordingPrompt{};
    }

    void cancelIsNoLogin() {
        ProgramState context(prompt);
        archive.attach(context);
        LoginDialog dialog(context);
        QVERIFY(dialog.prepare());
        QCOMPARE(context.systemPassword(), std::string("demo"));
        dialog.show();
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(prompt.entries.empty());
    }

    void wrongPasswordSaysSoAndStays() {
        ProgramState context(prompt);
        archive.attach(context);
        LoginDialog dialog(context);
        QVERIFY(dialog.prepare());
        dialog.show();
        QTest::keyClicks(dialog.nameEdit(), QStringLiteral("demo"));
        QTest::keyClicks(dialog.passwordEdit(), QStringLiteral("Demo"));
        QCOMPARE(dialog.passwordEdit()->echoMode(), QLineEdit::Password);
        QTest::keyClick(dialog.passwordEdit(), Qt::Key_Return);
        QCOMPARE(prompt.texts(), std::vector<std::string>{"Felaktigt lösenord."});
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.nameEdit()->text(), QStringLiteral("demo"));

        // Another try with the right password logs in.
        dialog.passwordEdit()->setText(QStringLiteral("demo"));
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(context.currentUser().name, std::string("demo"));
        QCOMPARE(context.currentUser().password, std::string("demo"));
        QCOMPARE(prompt.entries.size(), std::size_t{1});
    }

  private:
    test::DemoArchive archive;
    test::RecordingPrompt prompt;
};

}  // namespace loom

QTEST_MAIN(loom::LoginDialogTest)
#include "LoginDialogTest.moc"
