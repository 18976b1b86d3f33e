// Printing a system's form page through the menu and the print dialog into a PDF, read
// back with poppler's pdftotext (the layout of the sheets is the core's).
#include <QComboBox>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <optional>

#include "Program.h"
#include "QtText.h"
#include "dialogs/PrintPagesDialog.h"
#include "document/ProgramDocument.h"
#include "document/PromDocument.h"
#include "frame/MainFrame.h"
#include "support/DemoArchive.h"
#include "support/ModalScript.h"
#include "support/RecordingPrompt.h"
#include "support/StartedProgram.h"

namespace loom {
namespace {

// The text of each page of a PDF, as pdftotext reads it (pages end in a form feed).
std::optional<QStringList> pdfPages(const QString& file) {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty()) return std::nullopt;
    QProcess run;
    run.start(tool, {QStringLiteral("-layout"), file, QStringLiteral("-")});
    if (!run.waitForFinished(60000) || run.exitCode() != 0) return QStringList{};
    QStringList pages = QString::fromUtf8(run.readAllStandardOutput()).split(u'\f');
    pages.removeLast();  // after the last form feed
    return pages;
}

}  // namespace

class FormPrintTest : public QObject {
    Q_OBJECT

  private slots:
    // "Aktuell sida" through the menu and the print dialog into a PDF file: one sheet, the
    // file information and the page shown.
    void currentPagePrintsOneSheet() {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed: the PDF cannot be read back");
        test::DemoArchive home;
        QVERIFY2(home.error().isEmpty(), qPrintable(home.error()));
        test::RecordingPrompt prompt;
        const auto program = test::startedProgram(home, prompt);
        QVERIFY(program && test::openFirstSystemOf(*program, home, "GL 200"));
        program->document().core().SelectPage(1);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("page.pdf"));
        test::ModalScript script;
        script.then<PrintPagesDialog>([](PrintPagesDialog* d) {
            d->setCurrentPageOnly(true);
            d->accept();
        });
        script.then<QPrintDialog>([&](QPrintDialog* d) {
            // The print dialog's own file output, as a user picks it.
            if (auto* printers = d->findChild<QComboBox*>(QStringLiteral("printers")))
                for (int i = 0; i < printers->count(); ++i)
                    if (printers->itemText(i).contains(QStringLiteral("PDF")))
                        printers->setCurrentIndex(i);
            if (auto* name = d->findChild<QLineEdit*>(QStringLiteral("filename")))
                name->setText(file);
            d->printer()->setOutputFileName(file);
            d->accept();
        });
        script.run([&] { program->frame().action(CommandId::Print)->trigger(); });
        QCOMPARE(script.done, std::size_t(2));
        const std::optional<QStringList> pages = pdfPages(file);
        QVERIFY(pages);
        QCOMPARE(pages->size(), 1);
        QVERIFY(pages->front().contains(QStringLiteral("Filinformation")));
        QVERIFY(pages->front().contains(QStringLiteral("Larmtider")));       // page 2, "Tider"
        QVERIFY(!pages->front().contains(QStringLiteral("Kunduppgifter")));  // page 1
    }
};

}  // namespace loom

QTEST_MAIN(loom::FormPrintTest)
#include "FormPrintTest.moc"
