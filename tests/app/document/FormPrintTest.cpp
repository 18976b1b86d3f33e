// Printing a system's form pages: the PDF the print job writes and the one the window
// prints, read back with poppler's pdftotext.
#include <QComboBox>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <optional>

#include "FormPrinter.h"
#include "Program.h"
#include "QtText.h"
#include "context/AppContext.h"
#include "dialogs/PrintPagesDialog.h"
#include "document/FormPrinting.h"
#include "document/ProgramDocument.h"
#include "document/PromDocument.h"
#include "frame/MainFrame.h"
#include "support/DemoArchive.h"
#include "support/ModalScript.h"
#include "support/RecordingPrompt.h"
#include "support/StartedProgram.h"
#include "views/FormPageView.h"

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

  private:
    std::unique_ptr<Program> program_;
    std::unique_ptr<test::DemoArchive> home_;
    test::RecordingPrompt prompt_;

    FormPrinting printing() {
        ProgramDocument& d = program_->document();
        return FormPrinting(d.core(), program_->context(), d.form().font(), &program_->frame());
    }

  private slots:
    void init() {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed: the PDF cannot be read back");
        home_ = std::make_unique<test::DemoArchive>();
        QVERIFY2(home_->error().isEmpty(), qPrintable(home_->error()));
        program_ = test::startedProgram(*home_, prompt_);
        QVERIFY(program_);
        QVERIFY(test::openFirstSystemOf(*program_, *home_, "GL 200"));
    }
    void cleanup() {
        program_.reset();
        home_.reset();
    }

    // Every page to PDF: one PDF page per sheet, the file information once, on the first.
    void allPagesPrintOneSheetEach() {
        const FormPrintLayout::Input job =
            printing().job(0, program_->document().core().pageCount());
        int sheets = 0;
        const QByteArray bytes = FormPrinter::pdf(job, &sheets);
        QVERIFY(sheets > 2);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("all.pdf"));
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size());
        out.close();
        const std::optional<QStringList> pages = pdfPages(file);
        QVERIFY(pages);
        QCOMPARE(pages->size(), sheets);
        QCOMPARE(pages->join(QString()).count(QStringLiteral("Filinformation")), 1);
        QVERIFY(pages->front().contains(QStringLiteral("Filinformation")));
        QVERIFY(pages->front().contains(QStringLiteral("Kunduppgifter")));
        QVERIFY(!pages->back().contains(QStringLiteral("Kunduppgifter")));
    }

    // "Aktuell sida" through the menu and the print dialog into a PDF file: one sheet, the
    // file information and the page shown.
    void currentPagePrintsOneSheet() {
        program_->document().core().SelectPage(1);
        QCOMPARE(program_->document().core().currentPage(), 1);
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
        script.run([&] { program_->frame().action(CommandId::Print)->trigger(); });
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
