// The program as an installer meets it: login, the search window, the pages, editing,
// saving and closing, with every message box scripted.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <algorithm>
#include <filesystem>
#include <vector>

#include "Program.h"
#include "QtPrompt.h"
#include "QtText.h"
#include "dialogs/SearchWindow.h"
#include "document/ProgramDocument.h"
#include "document/PromDocument.h"
#include "frame/MainFrame.h"
#include "support/DemoArchive.h"
#include "support/RecordingPrompt.h"
#include "support/StartedProgram.h"
#include "views/FormPageView.h"
#include "views/PageTreeView.h"

namespace loom {

class ProgramTest : public QObject {
    Q_OBJECT

  private:
    // A logged-in, started program on `home`, its boxes going to `prompt`.
    // The first data file of the archive's FILES.
    static std::filesystem::path anySystem(const test::DemoArchive& archive) {
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(archive.home() / "FILES"))
            files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        return files.empty() ? std::filesystem::path() : files.front();
    }

    static QLineEdit* firstEdit(Program& program) {
        for (QWidget* w : program.document().form().focusList())
            if (auto* edit = qobject_cast<QLineEdit*>(w); edit && edit->isEnabled()) return edit;
        return nullptr;
    }

  private slots:
    void loginCancelledEndsWithoutAWindow() {
        test::DemoArchive home;
        ProgramOptions options;
        options.home = pathToQt(home.home());
        Program program(options);
        QTimer::singleShot(0, [] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->reject();
        });
        QVERIFY(!program.login());
        QVERIFY(!program.frame().isVisible());
    }

    // "loomcraft FILE" opens the file after the login as the search window would, also
    // one outside the archive.
    void opensTheCommandLinesFileAfterTheLogin() {
        test::DemoArchive home;
        const std::filesystem::path elsewhere = home.home() / "DISKETT" / "KUND.KQD";
        std::filesystem::create_directories(elsewhere.parent_path());
        std::filesystem::copy_file(anySystem(home), elsewhere);
        test::RecordingPrompt prompt;
        auto program = test::startedProgram(home, prompt, pathToQt(elsewhere));
        QVERIFY(program);
        QCOMPARE(program->document().core().path(), elsewhere);
        QVERIFY(program->frame().isVisible());
        QVERIFY(program->frame().treeWidth() > 0);
        QVERIFY(prompt.entries.empty());
    }

    void opensASystemFromTheSearchWindow() {
        test::DemoArchive home;
        QVERIFY2(home.error().isEmpty(), qPrintable(home.error()));
        test::RecordingPrompt prompt;
        auto program = test::startedProgram(home, prompt);
        QVERIFY(program);
        MainFrame& frame = program->frame();
        QCOMPARE(frame.windowTitle(), QStringLiteral("Harvik Loomcraft"));
        // Nothing loaded: no tree, nothing to save, a PROM can still be read.
        QCOMPARE(frame.treeWidth(), 0);
        QVERIFY(!frame.action(CommandId::Save)->isEnabled());
        QVERIFY(frame.action(CommandId::ReadProm)->isEnabled());

        frame.action(CommandId::Open)->trigger();
        SearchWindow* search = program->document().searchWindow();
        QVERIFY(search && search->isVisible());
        search->keywordCombo()->setEditText(QStringLiteral("bageri"));
        search->searchButton()->click();
        QCOMPARE(search->list()->topLevelItemCount(), 1);
        search->list()->setCurrentItem(search->list()->topLevelItem(0));
        search->openButton()->click();

        const std::filesystem::path opened = program->document().core().path();
        QCOMPARE(opened.parent_path(), home.home() / "FILES");
        QVERIFY(std::filesystem::exists(opened));
        QVERIFY(frame.treeWidth() > 0);
        QVERIFY(frame.action(CommandId::Save)->isEnabled());
        QVERIFY(!frame.datePaneText().isEmpty());
        QVERIFY(frame.modifiedPaneText().isEmpty());
        QVERIFY(!program->document().form().focusList().empty());
        QVERIFY(prompt.entries.empty());
    }

    void typingMarksModifiedAndClosingAsksToSave() {
        test::DemoArchive home;
        test::RecordingPrompt prompt;
        auto program = test::startedProgram(home, prompt);
        QVERIFY(program && program->document().openFile(anySystem(home)));
        QLineEdit* edit = firstEdit(*program);
        QVERIFY(edit);
        edit->setFocus();
        QTest::keyClicks(edit, QStringLiteral("1"));
        QCOMPARE(program->frame().modifiedPaneText(), QStringLiteral("MOD"));
        // Cancel keeps the window and writes nothing.
        prompt.answers = {Answer::Cancel};
        QVERIFY(!program->frame().close());
        QCOMPARE(prompt.texts(), std::vector<std::string>{"Filen har ändrats, vill du spara den?"});
        // After a save the next entry marks the system modified again.
        program->frame().action(CommandId::Save)->trigger();
        QVERIFY(program->frame().modifiedPaneText().isEmpty());
        edit = firstEdit(*program);
        edit->setFocus();
        QTest::keyClicks(edit, QStringLiteral("2"));
        QCOMPARE(program->frame().modifiedPaneText(), QStringLiteral("MOD"));
    }

    void savingAFileFromAnotherFolderAsksWhereToSave_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("intoFiles");
        QTest::addColumn<bool>("written");
        QTest::newRow("Ja") << static_cast<int>(Answer::Yes) << true << true;
        QTest::newRow("Nej") << static_cast<int>(Answer::No) << false << true;
        QTest::newRow("Avbryt") << static_cast<int>(Answer::Cancel) << false << false;
    }
    void savingAFileFromAnotherFolderAsksWhereToSave() {
        QFETCH(int, answer);
        QFETCH(bool, intoFiles);
        QFETCH(bool, written);
        test::DemoArchive home;
        const std::filesystem::path floppy = home.home() / "DISKETT";
        std::filesystem::create_directories(floppy);
        const std::filesystem::path copy = floppy / "KUND.KQD";
        std::filesystem::copy_file(anySystem(home), copy);
        test::RecordingPrompt prompt;
        auto program = test::startedProgram(home, prompt);
        QVERIFY(program && program->document().openFile(copy));
        const auto before = std::filesystem::last_write_time(copy);
        prompt.answers = {static_cast<Answer>(answer)};
        program->frame().action(CommandId::Save)->trigger();
        QCOMPARE(prompt.entries.size(), std::size_t(1));
        QVERIFY(prompt.texts().back().starts_with("Filen är från en annan katalog"));
        const std::filesystem::path inFiles = home.home() / "FILES" / "KUND.KQD";
        QCOMPARE(std::filesystem::exists(inFiles), intoFiles);
        QCOMPARE(program->document().core().path() == inFiles, intoFiles);
        QCOMPARE(std::filesystem::last_write_time(copy) != before, written && !intoFiles);
    }
};

}  // namespace loom

QTEST_MAIN(loom::ProgramTest)
#include "ProgramTest.moc"
