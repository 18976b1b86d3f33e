// The event log window on a GL 200 system of the demo archive: the list, the search, the
// fields, saving as PDF and CSV, and the "Logg" command that opens it.
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPdfWriter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <memory>

#include "Program.h"
#include "QtPrompt.h"
#include "QtText.h"
#include "context/AppContext.h"
#include "dialogs/EventLogPrinter.h"
#include "dialogs/EventLogWindow.h"
#include "document/ProgramDocument.h"
#include "document/PromDocument.h"
#include "eventlog/LogPageLayout.h"
#include "frame/MainFrame.h"
#include "support/DemoArchive.h"
#include "support/RecordingPrompt.h"
#include "support/StartedProgram.h"

namespace loom {
namespace {

// Oldest first, as the file keeps them: an intrusion in area 2 (white on red), user 1
// arming area 2, a test report of 2018 and an event the template does not know.
const char* const kRecords[] = {
    "101E2D0E0F0609000002000000000000", "201E2D0E10060901FDFFFFFFFFFFFFFF",
    "41000000010112000000000000000000", "05000000000000000000000000000000"};

int pdfPages(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return -1;
    const QString text = QString::fromLatin1(file.readAll());
    return static_cast<int>(text.count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?!s)"))));
}

}  // namespace

class EventLogWindowTest : public QObject {
    Q_OBJECT

  private:
    // The program logged in on the archive with a GL 200 system open and `records` in
    // its log file.
    bool openSystemWithLog(const std::vector<std::string>& records) {
        program_ = test::startedProgram(archive_, prompt_);
        if (!program_ || !test::openFirstSystemOf(*program_, archive_, "GL 200")) return false;
        PromDocument& doc = program_->document().core();
        log_ = doc.LogFilePath();
        std::filesystem::create_directories(log_.parent_path());
        std::ofstream out(log_, std::ios::binary);
        for (const std::string& record : records)
            out << record << "\r\n";
        return true;
    }

    std::unique_ptr<EventLogWindow> window() {
        image_ = program_->document().core().logImage();
        AppContext& context = program_->context();
        return std::make_unique<EventLogWindow>(prompt_, context.files(), log_,
                                                context.eventTexts(), context.labels(), &image_);
    }

    static std::vector<std::string> someRecords() {
        return {std::begin(kRecords), std::end(kRecords)};
    }

    test::DemoArchive archive_;
    test::RecordingPrompt prompt_;
    std::unique_ptr<Program> program_;
    std::filesystem::path log_;
    PromImage image_;
    QTemporaryDir out_;

  private slots:
    void init() {
        QVERIFY2(archive_.error().isEmpty(), qPrintable(archive_.error()));
        prompt_.entries.clear();
    }

    void listsNewestFirstInTheirColoursAndSearches() {
        QVERIFY(openSystemWithLog(someRecords()));
        auto w = window();
        w->show();
        QListWidget* list = w->list();
        QCOMPARE(list->count(), 4);
        QVERIFY(list->item(0)->text().startsWith(QStringLiteral("Händelsefunktion: 0x05")));
        QVERIFY(list->item(1)->text().startsWith(QStringLiteral("Testrapport\n")));
        QCOMPARE(list->item(3)->text(), QStringLiteral("Inbrottslarm\nMåndag, 15 juni 2009, "
                                                       "14:45.30\nOmråde 2: Garage"));
        // Items are as high as their lines; the intrusion fills its item in red.
        QVERIFY(list->visualItemRect(list->item(3)).height() >
                list->visualItemRect(list->item(0)).height());
        const QImage shot = list->viewport()->grab().toImage();
        const QRect red = list->visualItemRect(list->item(3));
        QCOMPARE(shot.pixelColor(red.right() - 3, red.center().y()), QColor(0xC0, 0x00, 0x00));
        const QRect plain = list->visualItemRect(list->item(2));
        QCOMPARE(shot.pixelColor(plain.right() - 3, plain.center().y()), QColor(Qt::white));
        QCOMPARE(w->eventCombo()->itemText(0), QString());
        QCOMPARE(w->eventCombo()->itemText(1), QStringLiteral("Inbrottslarm"));
        QVERIFY(w->printButton()->isEnabled());

        // Free text in any letter case narrows the list.
        w->freeTextEdit()->setText(QStringLiteral("xyz;garage"));
        QTest::mouseClick(w->searchButton(), Qt::LeftButton);
        QCOMPARE(list->count(), 2);
        QVERIFY(list->item(0)->text().startsWith(QStringLiteral("Tillkoppling")));

        // A bad date is refused with its box and leaves the list.
        w->fromEdit()->setText(QStringLiteral("0913"));
        QTest::keyClick(w->fromEdit(), Qt::Key_Return);
        QCOMPARE(prompt_.entries.size(), std::size_t(1));
        QCOMPARE(prompt_.entries[0].title, std::string("Fel"));
        QVERIFY(prompt_.entries[0].text.starts_with("Felaktigt Från-datum."));
        QCOMPARE(list->count(), 2);
        QCOMPARE(w->fromEdit()->maxLength(), 6);

        // "Töm" empties the fields and leaves the list to the next search.
        w->eventCombo()->setCurrentIndex(2);
        w->userCombo()->setEditText(QStringLiteral("Bo"));
        w->toEdit()->setText(QStringLiteral("091231"));
        QTest::mouseClick(w->clearButton(), Qt::LeftButton);
        for (QLineEdit* edit : {w->freeTextEdit(), w->fromEdit(), w->toEdit()})
            QVERIFY(edit->text().isEmpty());
        QCOMPARE(w->eventCombo()->currentIndex(), 0);
        QVERIFY(w->userCombo()->currentText().isEmpty());
        QCOMPARE(list->count(), 2);

        // Nothing found: nothing to print or save.
        w->eventCombo()->setCurrentIndex(w->eventCombo()->findText(QStringLiteral("Brandlarm")));
        w->search();
        QCOMPARE(list->count(), 0);
        QVERIFY(!w->printButton()->isEnabled());
        QVERIFY(!w->saveButton()->isEnabled());
    }

    void savesTheShownEntriesAsPdfAndCsv() {
        // Enough entries for several pages.
        std::vector<std::string> records = someRecords();
        for (int i = 0; i < 60; ++i)
            records.push_back(records[1]);
        QVERIFY(openSystemWithLog(records));
        auto w = window();
        w->show();

        const QString pdf = out_.filePath(QStringLiteral("logg.PDF"));
        QVERIFY(w->saveTo(pdf, LogExportFormat::Csv));
        // The pages the layout gives on the same A4 page at the same resolution.
        QPdfWriter probe(out_.filePath(QStringLiteral("probe.pdf")));
        probe.setResolution(300);
        probe.setPageMargins(QMarginsF(0, 0, 0, 0));
        const QFontMetrics bold(EventLogPrinter::boldFont(), &probe);
        const QFontMetrics regular(EventLogPrinter::regularFont(), &probe);
        std::vector<std::size_t> lines;
        for (const std::size_t i : w->model().shown())
            lines.push_back(w->model().entries()[i].lines.size());
        const LogPageLayout layout(
            {probe.width(), probe.height(), bold.lineSpacing(), regular.lineSpacing()}, lines);
        QVERIFY(layout.pageCount() > 2);
        QCOMPARE(pdfPages(pdf), layout.pageCount());

        w->freeTextEdit()->setText(QStringLiteral("inbrott;0x05"));
        w->search();
        QVERIFY(w->saveTo(out_.filePath(QStringLiteral("logg")), LogExportFormat::Csv));
        QFile csv(out_.filePath(QStringLiteral("logg.csv")));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QByteArray bytes = csv.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));  // so that spreadsheets read UTF-8
        QCOMPARE(QString::fromUtf8(bytes.mid(3)),
                 QStringLiteral("Datum;Händelse;Text;Textfärg;Bakgrundsfärg\r\n"
                                ";Händelsefunktion: 0x05;;#000000;#FFFFFF\r\n"
                                "2009-06-15;Inbrottslarm;\"Måndag, 15 juni 2009, 14:45.30 / "
                                "Område 2: Garage\";#FFFFFF;#C00000\r\n"));
        QVERIFY(w->saveTo(out_.filePath(QStringLiteral("one")), LogExportFormat::Pdf));
        QCOMPARE(pdfPages(out_.filePath(QStringLiteral("one.pdf"))), 1);

        // A folder that does not exist: the box says so, nothing is written.
        QVERIFY(prompt_.entries.empty());
        QVERIFY(!w->saveTo(out_.filePath(QStringLiteral("saknas/logg.pdf"))));
        QCOMPARE(prompt_.entries.size(), std::size_t(1));
        QVERIFY(prompt_.entries[0].text.starts_with("Loggen kunde inte sparas.\nfil: "));
        QCOMPARE(prompt_.entries[0].kind, MessageKind::Stop);
    }
};

}  // namespace loom

QTEST_MAIN(loom::EventLogWindowTest)
#include "EventLogWindowTest.moc"
