// Printing a system's form pages: the PDF the command-line tool writes and the one the
// window prints, read back with poppler's pdftotext, and the print preview.
#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <functional>
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
#include "platform/Settings.h"
#include "support/DemoArchive.h"
#include "support/ModalScript.h"
#include "support/RecordingPrompt.h"
#include "support/StartedProgram.h"
#include "template/Form.h"
#include "views/FormPageView.h"

namespace loom {
namespace {

// A word of pdftotext -bbox: its page (from 0) and its box in points.
struct Word {
    int page = 0;
    double x = 0, y = 0;
    QString text;
};

struct PdfText {
    int pages = 0;
    std::vector<Word> words;
    std::optional<Word> find(const QString& text) const {
        for (const Word& w : words)
            if (w.text == text) return w;
        return std::nullopt;
    }
};

std::optional<PdfText> readPdf(const QString& file) {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty()) return std::nullopt;
    QProcess run;
    run.start(tool, {QStringLiteral("-bbox"), file, QStringLiteral("-")});
    if (!run.waitForFinished(60000) || run.exitCode() != 0) return PdfText{-1, {}};
    PdfText pdf;
    static const QRegularExpression word(
        QStringLiteral(R"re(<word xMin="([-\d.]+)" yMin="([-\d.]+)"[^>]*>([^<]*)</word>)re"));
    for (const QString& line : QString::fromUtf8(run.readAllStandardOutput()).split('\n')) {
        if (line.contains(QStringLiteral("<page "))) ++pdf.pages;
        const QRegularExpressionMatch m = word.match(line);
        if (m.hasMatch())
            pdf.words.push_back(
                {pdf.pages - 1, m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3)});
    }
    return pdf;
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

    // Every page to PDF: one PDF page per sheet, the texts where the layout put them, the
    // file information once; the command-line tool writes the same sheets.
    void allPagesToPdfStandWhereTheLayoutPutsThem() {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed: the PDF cannot be read back");
        const PromDocument& core = program_->document().core();
        const FormPrintLayout::Input job = printing().job(0, core.pageCount());
        int sheets = 0;
        const QByteArray bytes = FormPrinter::pdf(job, &sheets);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("all.pdf"));
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size());
        out.close();

        // The same layout as the writer's, drawn inside its margins.
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        FormPrinter::setPdfPage(writer);
        const QPoint origin = writer.pageLayout().paintRectPixels(writer.resolution()).topLeft();
        const double points = 72.0 / writer.resolution();
        const FormPrintLayout layout(
            FormPrinter::measured(writer, FormPrinter::fontsFor(writer), job));
        QCOMPARE(static_cast<int>(layout.sheets().size()), sheets);
        QVERIFY(sheets > 1);

        const std::optional<PdfText> pdf = readPdf(file);
        QVERIFY(pdf);
        QCOMPARE(pdf->pages, sheets);
        int infoBlocks = 0;
        for (const Word& w : pdf->words)
            infoBlocks += w.text == QStringLiteral("Filinformation");
        QCOMPARE(infoBlocks, 1);
        QCOMPARE(pdf->find(QStringLiteral("Filinformation"))->page, 0);
        // A frame's caption and a label of the first page, where the layout put them.
        for (const QString& text : {QStringLiteral("Kunduppgifter"), QStringLiteral("Kundnamn")}) {
            std::optional<FormPrintLayout::Op> op;
            int sheet = 0;
            for (std::size_t s = 0; s < layout.sheets().size() && !op; ++s)
                for (const FormPrintLayout::Op& o : layout.sheets()[s].ops)
                    if (o.kind == FormPrintLayout::Op::Kind::Text && toQt(o.text) == text) {
                        op = o;
                        sheet = static_cast<int>(s);
                        break;
                    }
            QVERIFY2(op, qPrintable(text));
            const std::optional<Word> word = pdf->find(text);
            QVERIFY2(word, qPrintable(text));
            QCOMPARE(word->page, sheet);
            // The glyphs begin at most a few points in.
            QVERIFY2(std::abs(word->x - (origin.x() + op->rect.left) * points) < 3,
                     qPrintable(text));
            QVERIFY2(std::abs(word->y - (origin.y() + op->rect.top) * points) < 4,
                     qPrintable(text));
        }
        QVERIFY(pdf->find(QStringLiteral("Kundnamn"))->y >
                pdf->find(QStringLiteral("Kunduppgifter"))->y);

        // The command-line tool on the same system: the same sheets; a page the template
        // lacks is refused.
        const QString cli = QStringLiteral(LOOM_CLI);
        const QString system = pathToQt(core.path());
        const QString cliFile = dir.filePath(QStringLiteral("cli.pdf"));
        QProcess run;
        run.start(cli, {QStringLiteral("--home"), pathToQt(home_->home()), QStringLiteral("print"),
                        system, QStringLiteral("--pdf"), cliFile});
        QVERIFY(run.waitForFinished(60000));
        QVERIFY2(run.exitCode() == 0, run.readAllStandardError().constData());
        QCOMPARE(readPdf(cliFile)->pages, sheets);
        run.start(cli, {QStringLiteral("--home"), pathToQt(home_->home()), QStringLiteral("print"),
                        system, QStringLiteral("--pdf"), cliFile, QStringLiteral("--page"),
                        QString::number(core.pageCount() + 1)});
        QVERIFY(run.waitForFinished(60000));
        QCOMPARE(run.exitCode(), 1);
    }

    // "Aktuell sida" through the menu and the print dialog into a PDF file: one sheet, the
    // file information and the page shown.
    void currentPagePrintsOneSheet() {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed: the PDF cannot be read back");
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
        const std::optional<PdfText> pdf = readPdf(file);
        QVERIFY(pdf);
        QCOMPARE(pdf->pages, 1);
        QVERIFY(pdf->find(QStringLiteral("Filinformation")));
        QVERIFY(pdf->find(QStringLiteral("Larmtider")));       // page 2, "Tider"
        QVERIFY(!pdf->find(QStringLiteral("Kunduppgifter")));  // page 1
    }

    // The preview shows the same job: as many pages as the layout has sheets, side by
    // side as "PreviewPages" says.
    void previewShowsTheJobsSheets() {
        Settings(program_->context().settings()).setInteger(setting::kPreviewPages, 2);
        std::optional<int> previewPages, expected;
        bool facing = false;
        test::ModalScript script;
        script.then<PrintPagesDialog>([](PrintPagesDialog* d) {
            d->setCurrentPageOnly(false);
            d->accept();
        });
        script.then<QPrintPreviewDialog>([&](QPrintPreviewDialog* d) {
            auto* widget = d->findChild<QPrintPreviewWidget*>();
            if (widget != nullptr) {
                widget->updatePreview();
                previewPages = widget->pageCount();
                facing = widget->viewMode() == QPrintPreviewWidget::FacingPagesView;
            }
            QPrinter& printer = *d->printer();
            const FormPrintLayout layout(
                FormPrinter::measured(printer, FormPrinter::fontsFor(printer),
                                      printing().job(0, program_->document().core().pageCount())));
            expected = static_cast<int>(layout.sheets().size());
            d->reject();
        });
        script.run([&] { program_->frame().action(CommandId::PrintPreview)->trigger(); });
        QVERIFY(previewPages && expected);
        QVERIFY(*expected > 1);
        QCOMPARE(*previewPages, *expected);
        QVERIFY(facing);
    }
};

}  // namespace loom

QTEST_MAIN(loom::FormPrintTest)
#include "FormPrintTest.moc"
