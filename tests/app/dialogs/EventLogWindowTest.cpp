// The event log window on a GL 200 system of the demo archive.
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "Program.h"
#include "QtText.h"
#include "context/AppContext.h"
#include "dialogs/EventLogWindow.h"
#include "document/ProgramDocument.h"
#include "document/PromDocument.h"
#include "support/DemoArchive.h"
#include "support/PromptIds.h"
#include "support/RecordingPrompt.h"
#include "support/StartedProgram.h"
#include "support/TempDir.h"

namespace loom {
namespace {

// Oldest first, as the file keeps them: an intrusion in area 2, user 1
// arming area 2, a test report of 2018 and an event the template does not know.
const char* const kRecords[] = {
    "101E2D0E0F0609000002000000000000", "201E2D0E10060901FDFFFFFFFFFFFFFF",
    "41000000010112000000000000000000", "05000000000000000000000000000000"};

}  // namespace

class EventLogWindowTest : public QObject {
    Q_OBJECT

  private:
    // The program logged in on the archive with a GL 200 system open and kRecords in its
    // log file.
    bool openSystemWithLog() {
        program_ = test::startedProgram(archive_, prompt_);
        if (!program_ || !test::openFirstSystemOf(*program_, archive_, "GL 200")) return false;
        PromDocument& doc = program_->document().core();
        log_ = doc.LogFilePath();
        std::filesystem::create_directories(log_.parent_path());
        std::ofstream out(log_, std::ios::binary);
        for (const char* record : kRecords)
            out << record << "\r\n";
        return true;
    }

    test::DemoArchive archive_;
    test::RecordingPrompt prompt_;
    std::unique_ptr<Program> program_;
    std::filesystem::path log_;

  private slots:
    // The list, a search, saving what it shows (the search rules and the files' formats
    // are the core's), and nothing to print or save once nothing is found.
    void listsSearchesAndSavesTheShownEntries() {
        QVERIFY2(archive_.error().isEmpty(), qPrintable(archive_.error()));
        QVERIFY(openSystemWithLog());
        PromImage image = program_->document().core().logImage();
        AppContext& context = program_->context();
        EventLogWindow w(prompt_, context.files(), log_, context.eventTexts(), context.labels(),
                         &image);
        w.show();
        QListWidget* list = w.list();
        QCOMPARE(list->count(), 4);
        QVERIFY(list->item(0)->text().startsWith(QStringLiteral("Händelsefunktion: 0x05")));
        QCOMPARE(list->item(3)->text(), QStringLiteral("Inbrottslarm\nMåndag, 15 juni 2009, "
                                                       "14:45.30\nOmråde 2: Garage"));

        // Free text in any letter case narrows the list.
        w.freeTextEdit()->setText(QStringLiteral("xyz;garage"));
        QTest::mouseClick(w.searchButton(), Qt::LeftButton);
        QCOMPARE(list->count(), 2);
        QVERIFY(list->item(0)->text().startsWith(QStringLiteral("Tillkoppling")));

        QTemporaryDir out;
        QVERIFY(w.saveTo(out.filePath(QStringLiteral("logg.csv")), LogExportFormat::Csv));
        const QString csv = QString::fromStdString(
            test::readFile(pathFromQt(out.filePath(QStringLiteral("logg.csv")))));
        QCOMPARE(csv.count(QStringLiteral("\r\n")), 3);  // the heading and two entries
        QVERIFY(prompt_.entries.empty());
        QVERIFY(!w.saveTo(out.filePath(QStringLiteral("saknas/logg.pdf"))));
        QCOMPARE(test::idsOf(prompt_), std::vector<MessageId>{MessageId::LogNotSaved});

        QVERIFY(w.printButton()->isEnabled());
        w.freeTextEdit()->clear();
        w.eventCombo()->setCurrentIndex(w.eventCombo()->findText(QStringLiteral("Brandlarm")));
        w.search();
        QCOMPARE(list->count(), 0);
        QVERIFY(!w.printButton()->isEnabled());
        QVERIFY(!w.saveButton()->isEnabled());
    }
};

}  // namespace loom

QTEST_MAIN(loom::EventLogWindowTest)
#include "EventLogWindowTest.moc"
