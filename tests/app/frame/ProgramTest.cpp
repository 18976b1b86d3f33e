// The program as an installer meets it: login, the search window, the pages, editing,
// saving and closing, with every message box scripted.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>
#include <filesystem>

#include "Program.h"
#include "QtText.h"
#include "dialogs/SearchWindow.h"
#include "document/ProgramDocument.h"
#include "document/PromDocument.h"
#include "frame/MainFrame.h"
#include "support/DemoArchive.h"
#include "support/ModalScript.h"
#include "support/PromptIds.h"
#include "support/RecordingPrompt.h"
#include "support/StartedProgram.h"
#include "views/FormPageView.h"

namespace loom {

class ProgramTest : public QObject {
    Q_OBJECT

  private:
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
        test::ModalScript script;  // closes the login dialog
        bool in = true;
        script.run([&] { in = program.login(); });
        QVERIFY(!in);
        QCOMPARE(script.closed, 1);
        QVERIFY(!program.frame().isVisible());
    }

    void opensASystemFromTheSearchWindow() {
        test::DemoArchive home;
        QVERIFY2(home.error().isEmpty(), qPrintable(home.error()));
        test::RecordingPrompt prompt;
        auto program = test::startedProgram(home, prompt);
        QVERIFY(program);
        MainFrame& frame = program->frame();
        // Nothing loaded: nothing to save, a PROM can still be read.
        QVERIFY(!frame.action(CommandId::Save)->isEnabled());
        QVERIFY(frame.action(CommandId::ReadProm)->isEnabled());

        frame.action(CommandId::Open)->trigger();
        SearchWindow* search = program->document().searchWindow();
        QVERIFY(search && search->isVisible());
        search->keywordCombo()->setEditText(QStringLiteral("bageri"));
        QTest::keyClick(search->keywordCombo()->lineEdit(), Qt::Key_Return);
        QCOMPARE(search->list()->topLevelItemCount(), 1);
        QVERIFY(!search->openButton()->isEnabled());  // nothing chosen yet
        search->list()->setCurrentItem(search->list()->topLevelItem(0));
        search->openButton()->click();
        QVERIFY(!search->isVisible());
        QCOMPARE(program->document().core().path().parent_path(), home.home() / "FILES");
        QVERIFY(frame.treeWidth() > 0);
        QVERIFY(frame.action(CommandId::Save)->isEnabled());
        QVERIFY(prompt.entries.empty());
    }

    void typingMarksModifiedAndClosingAsksToSave() {
        test::DemoArchive home;
        test::RecordingPrompt prompt;
        auto program = test::startedProgram(home, prompt);
        QVERIFY(program && program->document().openFile(home.systems().front()));
        QLineEdit* edit = firstEdit(*program);
        QVERIFY(edit);
        edit->setFocus();
        QTest::keyClicks(edit, QStringLiteral("1"));
        QCOMPARE(program->frame().modifiedPaneText(), QStringLiteral("MOD"));
        // Cancel keeps the window and writes nothing.
        prompt.answers = {Answer::Cancel};
        QVERIFY(!program->frame().close());
        QCOMPARE(test::idsOf(prompt), std::vector<MessageId>{MessageId::SaveChanges});
        program->frame().action(CommandId::Save)->trigger();
        QVERIFY(program->frame().modifiedPaneText().isEmpty());
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
        std::filesystem::copy_file(home.systems().front(), copy);
        // "loomcraft FILE" opens the file after the login, also one outside the archive.
        test::RecordingPrompt prompt;
        auto program = test::startedProgram(home, prompt, pathToQt(copy));
        QVERIFY(program);
        QCOMPARE(program->document().core().path(), copy);
        const auto before = std::filesystem::last_write_time(copy);
        prompt.answers = {static_cast<Answer>(answer)};
        program->frame().action(CommandId::Save)->trigger();
        QCOMPARE(test::idsOf(prompt), std::vector<MessageId>{MessageId::OtherFolder});
        const std::filesystem::path inFiles = home.home() / "FILES" / "KUND.KQD";
        QCOMPARE(std::filesystem::exists(inFiles), intoFiles);
        QCOMPARE(program->document().core().path() == inFiles, intoFiles);
        QCOMPARE(std::filesystem::last_write_time(copy) != before, written && !intoFiles);
    }
};

}  // namespace loom

QTEST_MAIN(loom::ProgramTest)
#include "ProgramTest.moc"
