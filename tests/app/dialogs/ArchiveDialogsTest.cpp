#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <vector>

#include "Program.h"
#include "QtText.h"
#include "archive/ExportDate.h"
#include "archive/SystemSave.h"
#include "context/AppContext.h"
#include "datafile/DataFile.h"
#include "dialogs/ExportDialog.h"
#include "dialogs/FolderField.h"
#include "dialogs/ImportDialog.h"
#include "dialogs/PasswordChangeDialog.h"
#include "dialogs/SearchWindow.h"
#include "dialogs/TemporaryPasswordsDialog.h"
#include "document/ProgramDocument.h"
#include "frame/MainFrame.h"
#include "platform/Settings.h"
#include "support/DemoArchive.h"
#include "support/ModalScript.h"
#include "support/PromptIds.h"
#include "support/RecordingPrompt.h"
#include "support/StartedProgram.h"

namespace loom {
namespace {

namespace fs = std::filesystem;

using test::idsOf;

std::vector<fs::path> dataFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".KQD") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// A folder whose name code page 1252 cannot spell.
fs::path foreignFolder(const QTemporaryDir& dir) {
    const fs::path folder = pathFromQt(dir.path()) / fs::path(u8"Ωμέγα");
    fs::create_directories(folder);
    return folder;
}

}  // namespace

class ArchiveDialogsTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        QVERIFY2(home_.error().isEmpty(), qPrintable(home_.error()));
        prompt_.entries.clear();
        prompt_.answers.clear();
        program_ = test::startedProgram(home_, prompt_);
        QVERIFY(program_);
        // The settings file outlives the test: start without a last export.
        Settings(program_->context().settings()).setText(setting::kLatestExport, "");
    }
    void cleanup() { program_.reset(); }

    void exportChangedAfterRefusesABadDateThenCopies() {
        AppContext& context = program_->context();
        QTemporaryDir dir;
        const fs::path out = foreignFolder(dir);
        {
            ExportDialog dialog(context, nullptr, &program_->frame());
            dialog.show();
            dialog.folderField()->edit()->setText(pathToQt(out));
            QTest::keyClicks(dialog.dateEdit(), QStringLiteral("97-12-24"));
            QVERIFY(dialog.changedAfterButton()->isChecked());  // typing a date chooses it
            QTest::keyClick(dialog.dateEdit(), Qt::Key_Return);
            QCOMPARE(idsOf(prompt_), std::vector<MessageId>{MessageId::BadExportDate});
            QVERIFY(dialog.isVisible());

            dialog.dateEdit()->setText(QStringLiteral("1997-12-24"));
            QTest::keyClick(dialog.dateEdit(), Qt::Key_Return);
            QVERIFY(!dialog.isVisible());
            QCOMPARE(dialog.result().copied, 3);
            QCOMPARE(idsOf(prompt_),
                     (std::vector<MessageId>{MessageId::BadExportDate, MessageId::FilesCopied}));
            QCOMPARE(dataFiles(out).size(), std::size_t(3));
        }
        // The next export starts from the day of this one.
        ExportDialog again(context, nullptr);
        QVERIFY(again.changedAfterButton()->isChecked());
        QCOMPARE(again.dateEdit()->text(), toQt(exportDateToday(context.clock())));
    }

    // "Filer i listan" takes the search window's results (and refreshes its "Kopierade"
    // tab); "Aktuell" takes the system the search window opened.
    void exportsTheSearchResultsOrTheCurrentFile_data() {
        QTest::addColumn<bool>("current");
        QTest::newRow("Filer i listan") << false;
        QTest::newRow("Aktuell") << true;
    }
    void exportsTheSearchResultsOrTheCurrentFile() {
        QFETCH(bool, current);
        MainFrame& frame = program_->frame();
        frame.action(CommandId::Open)->trigger();
        SearchWindow* search = program_->document().searchWindow();
        QVERIFY(search);
        search->keywordCombo()->setEditText(QStringLiteral("bageri"));
        search->searchButton()->click();
        QCOMPARE(search->list()->topLevelItemCount(), 1);
        if (current) {
            search->list()->setCurrentItem(search->list()->topLevelItem(0));
            search->openButton()->click();
        }
        search->tabs()->setCurrentIndex(1);  // "Kopierade", empty until the export
        QCOMPARE(search->list()->topLevelItemCount(), 0);

        QTemporaryDir out;
        test::ModalScript script;
        script.then<ExportDialog>([&](ExportDialog* dialog) {
            QCOMPARE(dialog->currentButton()->isEnabled(), current);
            if (!current) QCOMPARE(dialog->listCombo()->currentText(), QStringLiteral("Sökta"));
            (current ? dialog->currentButton() : dialog->filesInListButton())->setChecked(true);
            dialog->folderField()->edit()->setText(out.path());
            QTest::keyClick(dialog->folderField()->edit(), Qt::Key_Return);
        });
        script.run([&] { frame.action(CommandId::Export)->trigger(); });
        QCOMPARE(script.done, std::size_t(1));
        QCOMPARE(script.closed, 0);
        QCOMPARE(dataFiles(pathFromQt(out.path())).size(), std::size_t(1));
        if (!current) QCOMPARE(search->list()->topLevelItemCount(), 1);
        QCOMPARE(idsOf(prompt_), std::vector<MessageId>{MessageId::FilesCopied});
    }

    void importKeepsOrReplacesTheCustomerInformation_data() {
        QTest::addColumn<bool>("replace");
        QTest::newRow("kept") << false;
        QTest::newRow("replaced") << true;
    }
    void importKeepsOrReplacesTheCustomerInformation() {
        QFETCH(bool, replace);
        AppContext& context = program_->context();
        const fs::path archived = home_.systems().front();
        DataFile file(context);
        std::string templateName, password;
        QVERIFY(file.ReadHeader(archived, templateName, password, false));
        QVERIFY(file.Read(archived, false));
        FieldStore store = file.Store();
        FieldAddress customer = 0;  // the first customer field (kept in no PROM)
        store.forEach([&](const FieldRecord& record) {
            if (isAddressless(record.address) && customer == 0) customer = record.address;
        });
        QVERIFY(customer != 0);
        const std::string oldCustomer = store.find(customer)->value;
        store.findOrCreate(customer).value = "Ny kund";
        QTemporaryDir dir;
        const fs::path disk = foreignFolder(dir);
        const fs::path incoming = disk / archived.filename();
        QVERIFY(SaveSystem(context, incoming, templateName, "annat", store, false).written);
        fs::last_write_time(incoming, fs::last_write_time(archived) + std::chrono::hours(1));
        prompt_.entries.clear();

        ImportDialog dialog(context, &program_->frame());
        dialog.show();
        dialog.folderField()->edit()->setText(pathToQt(disk));
        dialog.replaceBox()->setChecked(replace);
        QTest::keyClick(dialog.folderField()->edit(), Qt::Key_Return);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result().copied, 1);
        QCOMPARE(idsOf(prompt_), std::vector<MessageId>{MessageId::FilesCopied});

        DataFile result(context);
        QVERIFY(result.ReadHeader(archived, templateName, password, false));
        QVERIFY(result.Read(archived, false));
        QCOMPARE(result.Store().find(customer)->value, replace ? "Ny kund" : oldCustomer);
    }

    void systemPasswordChangeAsksForAThirdPasswordAndRewritesEveryFile() {
        AppContext& context = program_->context();
        QAction* command = program_->frame().action(CommandId::SystemPassword);
        QVERIFY(command);
        const fs::path files = home_.home() / "FILES";
        {
            const fs::path any = home_.systems().front();
            DataFile file(context);
            std::string templateName, password;
            QVERIFY(file.ReadHeader(any, templateName, password, false));
            QVERIFY(file.Read(any, false));
            QVERIFY(SaveSystem(context, files / "TREDJE.KQD", templateName, "tredje", file.Store(),
                               false)
                        .written);
        }
        prompt_.answers = {Answer::Yes};  // message 56
        test::ModalScript script;
        script.then<PasswordChangeDialog>([](PasswordChangeDialog* dialog) {
            const QList<QLineEdit*> edits = dialog->findChildren<QLineEdit*>();
            const QStringList texts = {QStringLiteral("demo"), QStringLiteral("ny"),
                                       QStringLiteral("ny")};
            for (int i = 0; i < 3; ++i)
                edits[i]->setText(texts[i]);
            QTest::keyClick(edits[2], Qt::Key_Return);
        });
        script.then<TemporaryPasswordsDialog>([](TemporaryPasswordsDialog* dialog) {
            const QList<QLineEdit*> edits = dialog->findChildren<QLineEdit*>();
            edits[1]->setText(QStringLiteral("tredje"));
            QTest::keyClick(edits[1], Qt::Key_Return);
        });
        script.run([&] { command->trigger(); });
        QCOMPARE(script.done, std::size_t(2));
        QCOMPARE(script.closed, 0);
        QCOMPARE(idsOf(prompt_), (std::vector<MessageId>{MessageId::ConfirmSystemPasswordChange,
                                                         MessageId::Reencipher}));
        QCOMPARE(context.systemPassword(), std::string("ny"));
        for (const fs::path& path : dataFiles(files)) {
            std::string templateName, password;
            QVERIFY(DataFile(context).ReadHeader(path, templateName, password, false));
            QCOMPARE(password, std::string("ny"));
        }
    }

  private:
    test::DemoArchive home_;
    test::RecordingPrompt prompt_;
    std::unique_ptr<Program> program_;
};

}  // namespace loom

QTEST_MAIN(loom::ArchiveDialogsTest)
#include "ArchiveDialogsTest.moc"
