// "Utskriftsformat...": what OK and Cancel keep of the numbers and the fonts, the range
// message, and the font buttons without a printer.
#include <QLineEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QtTest>
#include <memory>
#include <optional>
#include <vector>

#include "Program.h"
#include "context/AppContext.h"
#include "dialogs/PrintSettingsDialog.h"
#include "frame/MainFrame.h"
#include "platform/Settings.h"
#include "support/DemoArchive.h"
#include "support/ModalScript.h"
#include "support/PromptIds.h"
#include "support/RecordingPrompt.h"
#include "support/StartedProgram.h"

namespace loom {

class PrintSettingsDialogTest : public QObject {
    Q_OBJECT

  private slots:
    // A font chosen is stored at once; typed numbers only by an OK that accepts them all
    // (the range checks are the core's).
    void fontsAreKeptAtOnceAndNumbersOnlyByOk() {
        MemorySettingsStore store;
        test::RecordingPrompt prompt;
        PrintSettingsDialog dialog(store, prompt);
        dialog.setPrinterCheck([] { return true; });
        std::optional<QFont> answer = QFont(QStringLiteral("Arial"), 14, QFont::Bold, true);
        dialog.setFontChooser([&](const QFont&, QWidget*) { return answer; });
        dialog.show();
        dialog.fontButton(PrintFont::Heading)->click();
        answer.reset();  // the font dialog cancelled
        dialog.fontButton(PrintFont::Text)->click();
        dialog.marginEdit()->setText(QStringLiteral("51"));
        QTest::keyClick(dialog.columnEdit(), Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        QCOMPARE(prompt.entries.size(), std::size_t{1});
        QTest::keyClick(&dialog, Qt::Key_Escape);
        const Settings settings(store);
        QCOMPARE(settings.printFont(PrintFont::Heading), std::string("Y,N,N,700,140,Arial"));
        QCOMPARE(store.readString("", setting::kFont2, "absent"), std::string("absent"));
        QCOMPARE(settings.margin(), 20);

        PrintSettingsDialog again(store, prompt);
        again.show();
        again.marginEdit()->setText(QStringLiteral("0"));
        again.columnEdit()->setText(QStringLiteral("200"));
        QTest::keyClick(again.columnEdit(), Qt::Key_Return);
        QCOMPARE(again.result(), int(QDialog::Accepted));
        QCOMPARE(settings.margin(), 0);
        QCOMPARE(settings.column(), 200);
    }

    // Through the menu, with the machine's own printer check: without a default printer a
    // font button says message 78 and offers no font dialog.
    void fontButtonsNeedADefaultPrinter() {
        test::DemoArchive home;
        QVERIFY2(home.error().isEmpty(), qPrintable(home.error()));
        test::RecordingPrompt prompt;
        std::unique_ptr<Program> program = test::startedProgram(home, prompt);
        QVERIFY(program);
        int offered = 0;
        test::ModalScript script;
        script.then<PrintSettingsDialog>([&](PrintSettingsDialog* dialog) {
            dialog->setFontChooser([&](const QFont&, QWidget*) {
                ++offered;
                return std::optional<QFont>();
            });
            dialog->fontButton(PrintFont::Subheading)->click();
            dialog->reject();
        });
        script.run([&] { program->frame().action(CommandId::PrintFormat)->trigger(); });
        QCOMPARE(script.done, std::size_t(1));
        const bool printer = !QPrinterInfo::defaultPrinter().isNull();
        QCOMPARE(offered, printer ? 1 : 0);
        QCOMPARE(test::idsOf(prompt), printer
                                          ? std::vector<MessageId>{}
                                          : std::vector<MessageId>{MessageId::CannotCreateFonts});
    }
};

}  // namespace loom

QTEST_MAIN(loom::PrintSettingsDialogTest)
#include "PrintSettingsDialogTest.moc"
