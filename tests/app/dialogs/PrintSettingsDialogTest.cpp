// "Utskriftsformat...": what OK and Cancel keep of the numbers and the fonts, the range
// message, and the font buttons without a printer.
#include <QApplication>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QtTest>
#include <functional>
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
#include "support/RecordingPrompt.h"
#include "support/StartedProgram.h"

namespace loom {

class PrintSettingsDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void cancelKeepsAChosenFontButNotTheTypedNumbers() {
        MemorySettingsStore store;
        test::RecordingPrompt prompt;
        PrintSettingsDialog dialog(store, prompt);
        dialog.setPrinterCheck([] { return true; });
        std::vector<QFont> offered;
        std::optional<QFont> answer;
        dialog.setFontChooser([&](const QFont& current, QWidget*) {
            offered.push_back(current);
            return answer;
        });
        dialog.show();

        QFont chosen(QStringLiteral("Arial"));
        chosen.setPointSize(14);
        chosen.setBold(true);
        chosen.setItalic(true);
        answer = chosen;
        dialog.fontButton(PrintFont::Heading)->click();
        answer.reset();  // the font dialog cancelled
        dialog.fontButton(PrintFont::Text)->click();
        dialog.marginEdit()->setText(QStringLiteral("30"));
        dialog.columnEdit()->setText(QStringLiteral("100"));
        QTest::keyClick(&dialog, Qt::Key_Escape);

        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        // The font dialog started from the stored (here the default) description.
        QCOMPARE(offered.size(), std::size_t{2});
        QVERIFY(offered[0].underline() && offered[0].strikeOut() &&
                offered[0].pointSizeF() == 12.0);
        const Settings settings(store);
        QCOMPARE(settings.printFont(PrintFont::Heading), std::string("Y,N,N,700,140,Arial"));
        QCOMPARE(store.readString("", setting::kFont2, "absent"), std::string("absent"));
        QCOMPARE(settings.margin(), 20);
        QCOMPARE(settings.column(), 40);
        QVERIFY(prompt.entries.empty());
    }

    void okRefusesNumbersOutOfRangeAndStoresTheRest() {
        struct Row {
            const char* margin;
            const char* column;
            const char* message;  // empty: accepted
        };
        const Row rows[] = {
            {"51", "40", "Ange ett heltal mellan 0 och 50."},
            {"tio", "40", "Ange ett heltal mellan 0 och 50."},
            {"0", "201", "Ange ett heltal mellan 20 och 200."},
            {"0", "200", ""},
        };
        MemorySettingsStore store;
        Settings(store).setMargin(5);
        test::RecordingPrompt prompt;
        PrintSettingsDialog dialog(store, prompt);
        dialog.show();
        QCOMPARE(dialog.marginEdit()->text(), QStringLiteral("5"));
        for (const Row& row : rows) {
            prompt.entries.clear();
            dialog.marginEdit()->setText(QString::fromLatin1(row.margin));
            dialog.columnEdit()->setText(QString::fromLatin1(row.column));
            QTest::keyClick(dialog.columnEdit(), Qt::Key_Return);
            const bool refused = *row.message != '\0';
            QVERIFY2(dialog.isVisible() == refused, row.margin);
            QCOMPARE(prompt.texts(),
                     refused ? std::vector<std::string>{row.message} : std::vector<std::string>{});
            // Nothing is stored while the dialog stays open.
            if (refused) QCOMPARE(Settings(store).margin(), 5);
        }
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(Settings(store).margin(), 0);
        QCOMPARE(Settings(store).column(), 200);
    }

    // Through the menu, with the machine's own printer check: without a default printer a
    // font button says message 78 and offers no font dialog.
    void fontButtonsNeedADefaultPrinter() {
        test::DemoArchive home;
        QVERIFY2(home.error().isEmpty(), qPrintable(home.error()));
        test::RecordingPrompt prompt;
        std::unique_ptr<Program> program = test::startedProgram(home, prompt);
        QVERIFY(program);
        Settings settings(program->context().settings());
        settings.setPrintFont(PrintFont::Subheading, "Y,N,N,400,100,Arial");
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
        QCOMPARE(prompt.entries.size(), printer ? std::size_t{0} : std::size_t{1});
        if (!printer) QCOMPARE(prompt.entries[0].id, std::optional(MessageId::CannotCreateFonts));
        QCOMPARE(settings.printFont(PrintFont::Subheading), std::string("Y,N,N,400,100,Arial"));
    }
};

}  // namespace loom

QTEST_MAIN(loom::PrintSettingsDialogTest)
#include "PrintSettingsDialogTest.moc"
