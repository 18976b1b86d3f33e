// A PROM that differs from its archived file, as the installer sees it after a read: the
// tree's page pictures, the form's markers, the "Skillnader" panel, "Visa" prom and fil,
// and everything gone once the system is saved.
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QLineEdit>
#include <QTableWidget>
#include <QtTest>
#include <algorithm>
#include <filesystem>
#include <vector>

#include "PanelSimulator.h"
#include "Program.h"
#include "QtPrompt.h"
#include "QtText.h"
#include "context/AppContext.h"
#include "document/ProgramDocument.h"
#include "document/PromDocument.h"
#include "fields/FieldCodec.h"
#include "frame/MainFrame.h"
#include "link/LinkTiming.h"
#include "link/PromLink.h"
#include "support/DemoArchive.h"
#include "support/FastPanelConfig.h"
#include "support/RecordingPrompt.h"
#include "support/StartedProgram.h"
#include "views/DifferencesPanel.h"
#include "views/FormPageView.h"
#include "views/PageTreeView.h"

namespace loom {

class DifferencesTest : public QObject {
    Q_OBJECT

  private:
    static constexpr FieldAddress kCustomer = 0x20u << 3;  // GL 200, page 0, an edit field

    static bool shown(const test::RecordingPrompt& prompt, MessageId id) {
        return std::any_of(prompt.entries.begin(), prompt.entries.end(),
                           [id](const auto& e) { return e.id == id; });
    }

  private slots:
    void aReadThatFindsDifferencesShowsThemUntilTheSystemIsSaved() {
        test::DemoArchive home;
        QVERIFY2(home.error().isEmpty(), qPrintable(home.error()));
        test::RecordingPrompt prompt;
        auto program = test::startedProgram(home, prompt);
        QVERIFY(program);
        program->context().link().setTiming(LinkTiming::fast());
        MainFrame& frame = program->frame();
        ProgramDocument& document = program->document();
        PromDocument& core = document.core();
        DifferencesPanel& panel = document.differences();
        FormPageView& form = document.form();

        panelsim::PanelSimulator simulator(panelsim::fastConfig());
        const auto port = simulator.startTcp();
        QVERIFY(port.has_value());
        QVERIFY(core.ConnectTcpCommand("127.0.0.1", std::to_string(*port), "123456"));
        QVERIFY(test::openFirstSystemOf(*program, home, "GL 200"));
        const std::string fileName = core.form()->store().find(kCustomer)->value;

        prompt.answers = {Answer::Yes};
        frame.action(CommandId::WriteProm)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(core.CommActive() == PromDocument::kIdle, 60000);
        QVERIFY(shown(prompt, MessageId::WriteDone));
        QVERIFY(panel.isHidden());
        QVERIFY(!frame.action(CommandId::DifferencesPanel)->isEnabled());

        // The installer at the panel changes the customer's name.
        PromImage image = simulator.image();
        const FieldRecord& customer = *core.form()->store().find(kCustomer);
        QCOMPARE(
            Encode(customer.type, utf8ToCp1252("Panelens namn"), kCustomer, customer.size, image),
            CodecResult::Ok);
        simulator.setImage(image);
        frame.action(CommandId::ReadProm)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(core.CommActive() == PromDocument::kIdle, 60000);
        QVERIFY(shown(prompt, MessageId::ReadDoneDiffers));
        QCOMPARE(prompt.unexpected, 0);

        PageTreeView& tree = document.tree();
        QVERIFY(tree.pagePicture(0) == PageStates::kPageDiffers ||
                tree.pagePicture(0) == PageStates::kPageDiffersSelected);
        QCOMPARE(tree.pagePicture(1), static_cast<int>(PageStates::kPage));
        // The read left no page shown: none is selected, so that any can be chosen.
        QCOMPARE(tree.currentPage(), -1);
        QVERIFY(tree.selectedItems().isEmpty());
        QTRY_VERIFY(panel.isVisible());
        frame.updateCommands();
        QVERIFY(frame.action(CommandId::DifferencesPanel)->isChecked());
        QTableWidget* table = panel.table();
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(table->item(0, 0)->text(), toQt(core.pageName(0)));
        QCOMPARE(table->item(0, 1)->text(), QStringLiteral("Kundnamn"));
        QCOMPARE(table->item(0, 2)->text(), toQt(fileName));
        QCOMPARE(table->item(0, 3)->text(), QStringLiteral("Panelens namn"));

        // A double-click on the row shows the field's page with the field focused and
        // marked just left of it.
        const QRect cell = table->visualItemRect(table->item(0, 1));
        // (A double-click follows a click, as the mouse gives them.) The progress window
        // has gone: the main window is the active one again.
        frame.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(core.currentPage(), 0);
        QCOMPARE(tree.pagePicture(0), static_cast<int>(PageStates::kPageDiffersSelected));
        auto* edit = qobject_cast<QLineEdit*>(form.widgetOf(*core.fieldControl(0, kCustomer)));
        QVERIFY(edit);
        QCOMPARE(QApplication::focusWidget(), edit);
        const std::vector<QRect> marked = {QRect(edit->x() - 7, edit->y(), 7, 15)};
        QCOMPARE(form.markerRects(), marked);

        // "Visa" "Fil" and "Prom" exchange the values shown; their marks are radio marks.
        QAction* showFile = frame.action(CommandId::ShowFile);
        QAction* showProm = frame.action(CommandId::ShowProm);
        QVERIFY(showFile->actionGroup() && showFile->actionGroup()->isExclusive());
        QCOMPARE(showProm->actionGroup(), showFile->actionGroup());
        QVERIFY(showProm->isChecked() && !showFile->isChecked());
        QCOMPARE(edit->text(), QStringLiteral("Panelens namn"));
        showFile->trigger();
        QVERIFY(!core.ShowingProm());
        QVERIFY(showFile->isChecked() && !showProm->isChecked());
        edit = qobject_cast<QLineEdit*>(form.widgetOf(*core.fieldControl(0, kCustomer)));
        QCOMPARE(edit->text(), toQt(fileName));
        QCOMPARE(form.markerRects(), marked);
        QCOMPARE(table->item(0, 2)->text(), toQt(fileName));
        showProm->trigger();
        QVERIFY(showProm->isChecked() && !showFile->isChecked());
        edit = qobject_cast<QLineEdit*>(form.widgetOf(*core.fieldControl(0, kCustomer)));
        QCOMPARE(edit->text(), QStringLiteral("Panelens namn"));

        // The panel closes and opens again from the menu.
        frame.action(CommandId::DifferencesPanel)->trigger();
        QVERIFY(panel.isHidden());
        QVERIFY(!frame.action(CommandId::DifferencesPanel)->isChecked());
        frame.action(CommandId::DifferencesPanel)->trigger();
        QVERIFY(panel.isVisible());

        // Saving keeps the PROM's values and drops the PROM data with its marks.
        frame.action(CommandId::Save)->trigger();
        QCOMPARE(prompt.unexpected, 0);
        QCOMPARE(tree.pagePicture(0), static_cast<int>(PageStates::kPageSelected));
        QVERIFY(form.markerRects().empty());
        QVERIFY(panel.isHidden());
        QCOMPARE(table->rowCount(), 0);
        QVERIFY(!showProm->isEnabled() && !showFile->isEnabled());
        QVERIFY(!frame.action(CommandId::DifferencesPanel)->isEnabled());
        core.Disconnect();
    }
};

}  // namespace loom

QTEST_MAIN(loom::DifferencesTest)
#include "DifferencesTest.moc"
