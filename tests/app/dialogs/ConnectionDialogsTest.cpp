// The connection dialogs as the installer meets them, and a connection to the simulated
// panel through the program's commands, seen in the status bar.
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>
#include <memory>
#include <string>
#include <vector>

#include "PanelSimulator.h"
#include "Program.h"
#include "QtText.h"
#include "context/AppContext.h"
#include "dialogs/IpAddressDialog.h"
#include "dialogs/PortDialog.h"
#include "document/ProgramDocument.h"
#include "document/ProgramState.h"
#include "frame/MainFrame.h"
#include "link/PortChoices.h"
#include "link/PromLink.h"
#include "platform/SerialDevices.h"
#include "platform/Settings.h"
#include "support/DemoArchive.h"
#include "support/MemoryChannel.h"
#include "support/ModalScript.h"
#include "support/PromptIds.h"
#include "support/RecordingPrompt.h"
#include "support/StartedProgram.h"

namespace loom {
namespace {

class NoDevices final : public SerialDevices {
  public:
    std::vector<std::string> list() override { return {}; }
};

QString selected(const QListWidget* list) {
    const auto items = list->selectedItems();
    return items.isEmpty() ? QString() : items.front()->text();
}

}  // namespace

class ConnectionDialogsTest : public QObject {
    Q_OBJECT

  private slots:
    void addressDialogEnablesOkOnlyForAValidAddressAndPort_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("port");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("both valid") << "10.0.0.5"
                                    << "4000" << true;
        QTest::newRow("bad address") << "10.0.0.5."
                                     << "4000" << false;
        QTest::newRow("bad port") << "10.0.0.5"
                                  << "65536" << false;
    }
    void addressDialogEnablesOkOnlyForAValidAddressAndPort() {
        QFETCH(QString, address);
        QFETCH(QString, port);
        QFETCH(bool, enabled);
        MemorySettingsStore settings;
        test::RecordingPrompt prompt;
        IpAddressDialog dialog(settings, prompt);
        dialog.show();
        QVERIFY(!dialog.okButton()->isEnabled());  // nothing stored yet
        QTest::keyClicks(dialog.addressEdit(), address);
        QTest::keyClicks(dialog.portEdit(), port);
        QCOMPARE(dialog.okButton()->isEnabled(), enabled);
    }

    // A bad ID code is refused with its box; nothing is stored until one is accepted.
    void addressDialogRefusesABadIdCode() {
        MemorySettingsStore settings;
        Settings(settings).setText(setting::kIpAddress, "10.0.0.5");
        Settings(settings).setText(setting::kIpPort, "4000");
        test::RecordingPrompt prompt;
        IpAddressDialog dialog(settings, prompt);
        dialog.show();
        dialog.portEdit()->setText(QStringLiteral("4001"));
        dialog.idCodeEdit()->setText(QStringLiteral("12345"));
        QTest::keyClick(dialog.idCodeEdit(), Qt::Key_Return);
        QCOMPARE(test::idsOf(prompt), std::vector<MessageId>{MessageId::BadProductId});
        QCOMPARE(Settings(settings).text(setting::kIpPort), std::string("4000"));
        dialog.idCodeEdit()->setText(QStringLiteral("123456"));
        QTest::keyClick(dialog.idCodeEdit(), Qt::Key_Return);
        QCOMPARE(dialog.idCode(), std::string("123456"));
        QCOMPARE(Settings(settings).text(setting::kIpPort), std::string("4001"));
    }

    // The core's rules choose the ports; this shows they reach the lists and back.
    void portDialogStoresEachListsChoice() {
        test::RecordingPrompt prompt;
        ProgramState context(prompt);
        test::VirtualLinkClock clock;
        test::MemoryChannelFactory factory(clock);
        context.link().setChannelFactory(factory);
        for (int n = 1; n <= 9; ++n)
            if (n != 3 && n != 4) factory.missingPorts.insert("COM" + std::to_string(n));
        Settings settings(context.settings());
        settings.setText(setting::kLocalPort, "COM3");
        settings.setText(setting::kProduct, "Gridlan");
        NoDevices devices;

        PortDialog dialog(PortChoices::read(context.link(), devices, context.settings()));
        dialog.show();
        QCOMPARE(selected(dialog.localList()), QStringLiteral("COM3"));
        QCOMPARE(selected(dialog.productList()), QStringLiteral("Gridlan"));
        // The user picks the other port for the modem and the other product.
        dialog.remoteList()->setCurrentRow(1);
        dialog.productList()->setCurrentRow(1);
        dialog.choices().store(context.settings());
        QCOMPARE(settings.text(setting::kLocalPort), std::string("COM3"));
        QCOMPARE(settings.text(setting::kRemotePort), std::string("COM4"));
        QCOMPARE(settings.text(setting::kProduct), std::string("VT 340"));
    }

    // "Koppla upp via TCP/IP" through its dialog, seen in the status bar until disconnected.
    void aTcpConnectionShowsInTheStatusBarUntilDisconnected() {
        test::DemoArchive home;
        QVERIFY2(home.error().isEmpty(), qPrintable(home.error()));
        test::RecordingPrompt prompt;
        const auto program = test::startedProgram(home, prompt);
        panelsim::PanelSimulator panel{panelsim::PanelConfig{}};
        const auto port = panel.startTcp();
        QVERIFY(program && port);
        const QString portText = QString::number(*port);
        prompt.entries.clear();
        test::ModalScript script;
        script.then<IpAddressDialog>([&](IpAddressDialog* dialog) {
            dialog->addressEdit()->setText(QStringLiteral("127.0.0.1"));
            dialog->portEdit()->setText(portText);
            dialog->idCodeEdit()->setText(QStringLiteral("123456"));
            QTest::keyClick(dialog->idCodeEdit(), Qt::Key_Return);
        });
        MainFrame& frame = program->frame();
        script.run([&] { frame.action(CommandId::ConnectTcp)->trigger(); });
        QCOMPARE(script.done, std::size_t(1));
        QCOMPARE(frame.connectionPaneText(), QStringLiteral("TCP/IP 127.0.0.1:") + portText);
        QVERIFY(!frame.action(CommandId::ConnectTcp)->isEnabled());
        QVERIFY(frame.action(CommandId::Disconnect)->isEnabled());
        // The connect told the user it worked, and nothing else.
        QCOMPARE(prompt.entries.size(), std::size_t(1));
        QVERIFY(prompt.entries[0].kind == MessageKind::Information);

        frame.action(CommandId::Disconnect)->trigger();
        QVERIFY(frame.connectionPaneText().isEmpty());
        QVERIFY(!frame.action(CommandId::Disconnect)->isEnabled());
        QCOMPARE(
            panel.waitFor([](const auto& c) { return c.endOfConnection == 1; }).endOfConnection,
            std::uint64_t(1));
    }
};

}  // namespace loom

QTEST_MAIN(loom::ConnectionDialogsTest)
#include "ConnectionDialogsTest.moc"
