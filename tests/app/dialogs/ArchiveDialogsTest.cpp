// The export dialog as the installer meets it: which files "Filer i listan" and "Aktuell"
// take, into a folder whose name code page 1252 cannot spell (the rules are the core's).
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>
#include <algorithm>
#include <filesystem>
#include <vector>

#include "Program.h"
#include "QtText.h"
#include "context/AppContext.h"
#include "dialogs/ExportDialog.h"
#include "dialogs/FolderField.h"
#include "dialogs/SearchWindow.h"
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

        QTemporaryDir dir;
        const fs::path out = foreignFolder(dir);
        test::ModalScript script;
        script.then<ExportDialog>([&](ExportDialog* dialog) {
            QCOMPARE(dialog->currentButton()->isEnabled(), current);
            if (!current) QCOMPARE(dialog->listCombo()->currentText(), QStringLiteral("Sökta"));
            (current ? dialog->currentButton() : dialog->filesInListButton())->setChecked(true);
            dialog->folderField()->edit()->setText(pathToQt(out));
            QTest::keyClick(dialog->folderField()->edit(), Qt::Key_Return);
        });
        script.run([&] { frame.action(CommandId::Export)->trigger(); });
        QCOMPARE(script.done, std::size_t(1));
        QCOMPARE(script.closed, 0);
        QCOMPARE(dataFiles(out).size(), std::size_t(1));
        if (!current) QCOMPARE(search->list()->topLevelItemCount(), 1);
        QCOMPARE(idsOf(prompt_), std::vector<MessageId>{MessageId::FilesCopied});
    }

  private:
    test::DemoArchive home_;
    test::RecordingPrompt prompt_;
    std::unique_ptr<Program> program_;
};

}  // namespace loom

QTEST_MAIN(loom::ArchiveDialogsTest)
#include "ArchiveDialogsTest.moc"
