// The connection dialogs as the installer meets them, and a connection to the simulated
// panel through the program's commands, seen in the status bar.
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "PanelSimulator.h"
#include "Program.h"
#include "QtPrompt.h"
#include "QtText.h"
#include "context/AppContext.h"
#include "dialogs/IpAddressDialog.h"
#include "dialogs/PortDialog.h"
#include "document/ProgramDocument.h"
#include "document/ProgramState.h"
#include "document/PromDocument.h"
#include "frame/MainFrame.h"
#include "link/PortChoices.h"
#include "platform/SerialDevices.h"
#include "platform/Settings.h"
#include "support/DemoArchive.h"
#include "support/MemoryChannel.h"
#include "support/RecordingPrompt.h"
#include "link/PromLink.h"
#include "support/StartedProgram.h"

namespace loom {
namespace {

class NoDevices final : public SerialDevices {
  public:
    std::vector<std::string> list() override { return {}; }
};

QStringList entries(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

QString selected(const QListWidget* list) {
    const auto items = list->selectedItems();
    return items.isEmpty() ? QString() : items.front()->text();
}

// Fills the address dialog once it is the open modal window, and presses Enter in it.
void answerAddressDialog(const QString& address, const QString& port, const QString& idCode) {
    QTimer::singleShot(10, [=] {
        auto* dialog = qobject_cast<IpAddressDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return answerAddressDialog(address, port, idCode);
        dialog->addressEdit()->setText(address);
        dialog->portEdit()->setText(port);
        dialog->idCodeEdit()->setText(idCode);
        QTest::keyClick(dialog->idCodeEdit(), Qt::Key_Return);
    });
}

}  // namespace

class ConnectionDialogsTest : public QObject {
    Q_OBJECT

  private:
    // Connects the program to `panel` through "Koppla upp via TCP/IP"; the port's text.
    static QString connectThroughTheDialog(Program& program, panelsim::PanelSimulator& panel) {
        const auto port = panel.startTcp();
        if (!port) return {};
        const QString portText = QString::number(*port);
        answerAddressDialog(QStringLiteral("127.0.0.1"), portText, QStringLiteral("123456"));
        program.frame().action(CommandId::ConnectTcp)->trigger();
        return portText;
    }

  private slots:
    void addressDialogEnablesOkOnlyForAValidAddressAndPort() {
        struct Row {
            const char* address;
            const char* port;
            bool enabled;
        };
        const Row rows[] = {
            {"10.0.0.5", "4000", true},         {"0.0.0.0", "4000", false},
            {"255.255.255.255", "65535", true}, {"10.0.0.5.", "4000", false},
            {"10.0.0.5 ", "4000", false},       {"10.0.0.5", "0", false},
            {"10.0.0.5", "65536", false},       {"10.0.0", "4000", false},
        };
        MemorySettingsStore settings;
        test::RecordingPrompt prompt;
        IpAddressDialog dialog(settings, prompt);
        dialog.show();
        QVERIFY(!dialog.okButton()->isEnabled());  // nothing stored yet
        for (const Row& row : rows) {
            dialog.addressEdit()->clear();
            dialog.portEdit()->clear();
            QTest::keyClicks(dialog.addressEdit(), QString::fromLatin1(row.address));
            QTest::keyClicks(dialog.portEdit(), QString::fromLatin1(row.port));
            QVERIFY2(dialog.okButton()->isEnabled() == row.enabled,
                     qPrintable(QStringLiteral("%1:%2").arg(row.address, row.port)));
        }
        // Each keystroke counts: a digit more makes the address whole, a dot more spoils it.
        QTest::keyClicks(dialog.addressEdit(), QStringLiteral(".5"));
        QVERIFY(dialog.okButton()->isEnabled());
        QTest::keyClick(dialog.addressEdit(), Qt::Key_Period);
        QVERIFY(!dialog.okButton()->isEnabled());
        QTest::keyClick(dialog.addressEdit(), Qt::Key_Backspace);
        QVERIFY(dialog.okButton()->isEnabled());
        QVERIFY(prompt.entries.empty());
    }

    void addressDialogRefusesAnIdCodeThatIsNotSixDigits() {
        MemorySettingsStore settings;
        Settings(settings).setText(setting::kIpAddress, "10.0.0.5");
        Settings(settings).setText(setting::kIpPort, "4000");
        test::RecordingPrompt prompt;
        IpAddressDialog dialog(settings, prompt);
        dialog.show();
        QCOMPARE(dialog.addressEdit()->text(), QStringLiteral("10.0.0.5"));
        QCOMPARE(dialog.idCodeEdit()->echoMode(), QLineEdit::Password);
        QCOMPARE(dialog.focusWidget(), dialog.idCodeEdit());
        dialog.portEdit()->setText(QStringLiteral("4001"));
        for (const char* code : {"12345", "1234567", "12345a"}) {
            dialog.idCodeEdit()->setText(QString::fromLatin1(code));
            QTest::keyClick(dialog.idCodeEdit(), Qt::Key_Return);
            QVERIFY(dialog.isVisible());
        }
        QCOMPARE(prompt.entries.size(), std::size_t(3));
        QCOMPARE(prompt.entries[0].text, std::string("Felaktigt Produkt-ID"));
        QCOMPARE(prompt.entries[0].title, std::string("Fel!"));
        QVERIFY(prompt.entries[0].kind == MessageKind::Stop);
        QCOMPARE(Settings(settings).text(setting::kIpPort), std::string("4000"));

        dialog.idCodeEdit()->setText(QStringLiteral("123456"));
        QTest::keyClick(dialog.idCodeEdit(), Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.idCode(), std::string("123456"));
        QCOMPARE(Settings(settings).text(setting::kIpPort), std::string("4001"));
    }

    void portDialogSelectsFromTheSettingsAndOkStoresTheChoice() {
        struct Row {
            std::set<std::string> present;
            const char* localSetting;
            const char* product;
            const char* local;  // the selection shown
            const char* remote;
        };
        // The core's rules decide; these rows show they reach the lists and back.
        const Row rows[] = {
            {{"COM1", "COM2", "COM3"}, "COM3", "VT 340", "COM3", "COM2"},
            {{"COM3", "COM4"}, "COM7", "", "COM3", "COM3"},
            {{}, "COM7", "VT 340", "", ""},
        };
        for (const Row& row : rows) {
            test::RecordingPrompt prompt;
            ProgramState context(prompt);
            test::VirtualLinkClock clock;
            test::MemoryChannelFactory factory(clock);
            context.link().setChannelFactory(factory);
            for (int n = 1; n <= 9; ++n)
                if (row.present.count("COM" + std::to_string(n)) == 0)
                    factory.missingPorts.insert("COM" + std::to_string(n));
            Settings settings(context.settings());
            settings.setText(setting::kLocalPort, row.localSetting);
            settings.setText(setting::kProduct, row.product);
            NoDevices devices;

            PortDialog dialog(PortChoices::read(context.link(), devices, context.settings()));
            dialog.show();
            QCOMPARE(selected(dialog.localList()), QString::fromLatin1(row.local));
            QCOMPARE(selected(dialog.remoteList()), QString::fromLatin1(row.remote));
            QCOMPARE(entries(dialog.productList()),
                     (QStringList{QStringLiteral("Gridlan"), QStringLiteral("VT 340")}));
            const bool vt340 = std::string_view(row.product) == "VT 340";
            QCOMPARE(selected(dialog.productList()),
                     vt340 ? QStringLiteral("VT 340") : QStringLiteral("Gridlan"));

            // The user picks the last port for the modem and the other product.
            if (dialog.remoteList()->count() > 0)
                dialog.remoteList()->setCurrentRow(dialog.remoteList()->count() - 1);
            dialog.productList()->setCurrentRow(vt340 ? 0 : 1);
            dialog.choices().store(context.settings());
            const QStringList ports = entries(dialog.localList());
            QCOMPARE(toQt(settings.text(setting::kLocalPort)),
                     ports.isEmpty() ? QString::fromLatin1(row.localSetting)
                                     : QString::fromLatin1(row.local));
            QCOMPARE(toQt(settings.text(setting::kRemotePort)),
                     ports.isEmpty() ? QStringLiteral("COM2") : ports.back());
            QCOMPARE(settings.text(setting::kProduct), std::string(vt340 ? "Gridlan" : "VT 340"));
        }
    }

    void aTcpConnectionShowsInTheStatusBarUntilDisconnected() {
        test::DemoArchive home;
        QVERIFY2(home.error().isEmpty(), qPrintable(home.error()));
        test::RecordingPrompt prompt;
        auto program = test::startedProgram(home, prompt);
        QVERIFY(program);
        MainFrame& frame = program->frame();
        QVERIFY(frame.connectionPaneText().isEmpty());
        prompt.entries.clear();
        panelsim::PanelSimulator panel{panelsim::PanelConfig{}};
        const QString port = connectThroughTheDialog(*program, panel);
        QVERIFY(!port.isEmpty());
        QVERIFY(program->document().core().TcpLink());
        QCOMPARE(frame.connectionPaneText(), QStringLiteral("TCP/IP 127.0.0.1:") + port);
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

    void aLinkLostWhileIdleIsDisconnectedByTheLinkCheck() {
        test::DemoArchive home;
        QVERIFY2(home.error().isEmpty(), qPrintable(home.error()));
        test::RecordingPrompt prompt;
        auto program = test::startedProgram(home, prompt);
        QVERIFY(program);
        MainFrame& frame = program->frame();
        panelsim::PanelSimulator panel{panelsim::PanelConfig{}};
        QVERIFY(!connectThroughTheDialog(*program, panel).isEmpty());
        QVERIFY(!frame.connectionPaneText().isEmpty());
        prompt.entries.clear();

        panel.stop();
        // The link check runs every 3 s.
        QTRY_VERIFY_WITH_TIMEOUT(frame.connectionPaneText().isEmpty(), 30000);
        QVERIFY(!program->document().core().LinkInUse());
        QVERIFY(!program->context().link().IsOpen());
        QVERIFY(!frame.action(CommandId::Disconnect)->isEnabled());
        QVERIFY(frame.action(CommandId::ConnectTcp)->isEnabled());
        QCOMPARE(prompt.texts(),
                 std::vector<std::string>{"Kommunikationsfel\nTCP/IP-uppkopplingen avbryten"});
    }
};

}  // namespace loom

QTEST_MAIN(loom::ConnectionDialogsTest)
#include "ConnectionDialogsTest.moc"
