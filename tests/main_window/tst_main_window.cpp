// The main window's start-up, its serial port (stored number, selector, failures, loss),
// the close, the hand-over to the simulation window and the F1/F2 key preview.

#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QGroupBox>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QSettings>
#include <QSignalSpy>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTimer>
#include <QWheelEvent>

#include "core/link_captions.h"
#include "core/receive_machine.h"
#include "fake_serial_port.h"
#include "main_window_rig.h"
#include "platform/serial/qt_serial_port.h"
#include "settings_sandbox.h"
#include "ui/channel_box.h"
#include "ui/deferred_icon_style.h"
#include "ui/fitted_caption.h"
#include "ui/port_chooser.h"
#include "ui/port_selector.h"
#include "ui/readable_colours.h"
#include "ui/twips.h"

using namespace hopper;
using namespace hopper::test;
using test::kBlue;
using test::kRed;
using test::MainWindowRig;
using test::PtyPeer;

namespace {

QString StoredComPort() {
  return QSettings(SettingsStore::FilePath(), QSettings::IniFormat).value("Setting/COMPORT").toString();
}
void StoreComPort(const QString& text) {
  QSettings settings(SettingsStore::FilePath(), QSettings::IniFormat);
  settings.setValue("Setting/COMPORT", text);
}

// Choosing from the selector's list with the keyboard, as the technician does.
void ChooseNextPort(MainWindow& window) {
  PortSelectorOf(window)->setFocus();
  QTest::keyClick(PortSelectorOf(window), Qt::Key_Down);
}

// Choosing list position `index` with the mouse: the list reports it as activated.
void Choose(MainWindow& window, int index) { emit PortSelectorOf(window)->activated(index); }

// The port assignment window as a test answers it: assigns `device` to `number`, or nothing.
struct ScriptedChooser final : PortChooser {
  std::optional<int> number;
  QString device;
  int calls = 0;
  std::optional<int> Choose(QWidget*, int) override {
    ++calls;
    if (number) SettingsStore().SetMappedDevice(*number, device);
    return number;
  }
};

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT
 private:
  std::unique_ptr<test::SettingsSandbox> sandbox_;

 private slots:
  void initTestCase() { sandbox_ = std::make_unique<test::SettingsSandbox>(); }
  void init() { QFile::remove(SettingsStore::FilePath()); }

  void startUpOpensMappedPortAndAsksForHopper() {
    MainWindowRig rig;
    MainWindow& w = *rig.window;
    QCOMPARE(w.windowTitle(), QStringLiteral("Hopper Setting Tool"));
    QVERIFY(!w.windowIcon().isNull());
    QCOMPARE(test::StatusColourOf(w), QColor(0, 0, 192));
    QVERIFY(rig.StartAndShow());
    QVERIFY(w.Port().IsOpen());
    QCOMPARE(w.Port().PortNumber(), 1);
    QCOMPARE(StatusLine(w)->text(), QStringLiteral("Switch on Kavoo"));
    QCOMPARE(test::StatusColourOf(w), kBlue);
    QCOMPARE(rig.window->Link().State(), LinkState::WaitStart);
    QCOMPARE(PortSelectorOf(w)->currentText(), QStringLiteral("COM1"));
    QVERIFY(PortSelectorOf(w)->toolTip().contains(rig.peer.path()));
    for (int i = 0; i < kChannelCount; ++i) QCOMPARE(rig.Entry(i), QStringLiteral("0"));
    QCOMPARE(QApplication::focusWidget(), ChannelBoxAt(w, 0));
    QCOMPARE(w.pos(), QPoint(267, 20));  // left 4000, top 300 twips
    QVERIFY(rig.messages.shown.isEmpty());

    for (QTimer* watch : {ResponseWatch(w), ReceiveWatch(w)}) {
      QVERIFY(!watch->isActive());
      QVERIFY(watch->isSingleShot());
      QCOMPARE(watch->timerType(), Qt::PreciseTimer);
    }
    QCOMPARE(ResponseWatch(w)->interval(), 1000);
    QCOMPARE(ReceiveWatch(w)->interval(), 500);
    QVERIFY(w.findChild<QAction*>("Openfile") && w.findChild<QAction*>("Savefile"));
    QCOMPARE(ManualAction(w)->text(), QStringLiteral("[F1]Manual"));
    QCOMPARE(SimulationAction(w)->text(), QStringLiteral("[F2]Simulation"));
    QCOMPARE(SaveButton(w)->toolTip(), QStringLiteral("Save Setting and Auto Refresh"));
  }

  void storedPortIsShownOpenedAndStoredBack_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("number");
    QTest::newRow("nothing stored") << QString() << 1;
    QTest::newRow("COM3") << QStringLiteral("3") << 3;
    QTest::newRow("COM7, not in the list") << QStringLiteral("7") << 7;
  }
  void storedPortIsShownOpenedAndStoredBack() {
    QFETCH(QString, stored);
    QFETCH(int, number);
    PtyPeer peer;
    SettingsStore().SetMappedDevice(number, peer.path());
    if (!stored.isEmpty()) StoreComPort(stored);
    MainWindowRig rig;
    QVERIFY(rig.StartAndShow());
    QCOMPARE(PortSelectorOf(*rig.window)->currentText(), QStringLiteral("COM%1").arg(number));
    QCOMPARE(rig.window->Port().PortNumber(), number);
    QVERIFY(rig.window->Port().IsOpen());
    rig.window->close();
    QCOMPARE(StoredComPort(), QString::number(number));
  }

  void storedPortOutsideTheListStillReachesCom1() {
    PtyPeer first;
    SettingsStore().SetMappedDevice(1, first.path());
    StoreComPort("7");
    MainWindowRig rig;
    rig.window->StartUp();
    QCOMPARE(PortSelectorOf(*rig.window)->currentText(), QStringLiteral("COM7"));
    ChooseNextPort(*rig.window);
    QCOMPARE(PortSelectorOf(*rig.window)->currentText(), QStringLiteral("COM1"));
    QCOMPARE(rig.window->Port().PortNumber(), 1);
    QVERIFY(rig.window->Port().IsOpen());
  }

  void wheelOverTheSelectorKeepsThePort() {
    MainWindowRig rig;
    QVERIFY(rig.StartAndShow());
    QSignalSpy chosen(PortSelectorOf(*rig.window), &PortSelector::PortChosen);
    const QPoint centre = PortSelectorOf(*rig.window)->rect().center();
    QWheelEvent wheel(centre, PortSelectorOf(*rig.window)->mapToGlobal(centre), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(PortSelectorOf(*rig.window), &wheel);
    QCOMPARE(chosen.count(), 0);
    QCOMPARE(PortSelectorOf(*rig.window)->currentText(), QStringLiteral("COM1"));
    QCOMPARE(rig.window->Port().PortNumber(), 1);
  }

  void saveKeepsFocusOutOfTheSelector() {
    // Save from its button: while the inputs are locked the focus must not fall into the port
    // selector, where it would clear the clipboard and an arrow key would change the port.
    MainWindowRig rig;
    QVERIFY(rig.StartAndShow());
    rig.window->SetEntryText(0, QStringLiteral("5"));
    QGuiApplication::clipboard()->setText(QStringLiteral("from another program"));
    SaveButton(*rig.window)->setFocus();
    QTest::keyClick(SaveButton(*rig.window), Qt::Key_Space);
    QCOMPARE(StatusLine(*rig.window)->text(), QStringLiteral("Saving"));
    QVERIFY(QApplication::focusWidget() != PortSelectorOf(*rig.window));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("from another program"));
    // No hopper answers: when the inputs come back, so does the focus.
    QTRY_VERIFY_WITH_TIMEOUT(SaveButton(*rig.window)->isEnabled(), 5000);
    QCOMPARE(QApplication::focusWidget(), SaveButton(*rig.window));
    QCOMPARE(rig.window->Port().PortNumber(), 1);
  }

  void portInUseEndsStartUp() {
    MainWindowRig rig;
    StoreComPort("1");
    QtSerialPort holder;
    holder.SetPortNumber(1);
    QCOMPARE(holder.Open().result, OpenResult::Opened);
    QVERIFY(!rig.window->StartUp());
    QCOMPARE(rig.messages.shown.size(), 1);
    const Message& m = rig.messages.shown.first();
    QCOMPARE(m.text, QStringLiteral("Port Already In Use"));
    QCOMPARE(m.title, QStringLiteral("Error"));
    QCOMPARE(m.icon, MessageIcon::Critical);
    QVERIFY(m.informative.contains(rig.peer.path()));
    rig.window->close();
    QCOMPARE(StoredComPort(), QStringLiteral("1"));  // the next start tries the same port
  }

  void missingPortEndsStartUp_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("storedAtClose");
    QTest::newRow("mapped device missing") << QStringLiteral("2") << QStringLiteral("2");
    QTest::newRow("port 0 is refused, the port keeps COM1") << QStringLiteral("0") << QStringLiteral("1");
  }
  void missingPortEndsStartUp() {
    QFETCH(QString, stored);
    QFETCH(QString, storedAtClose);
    SettingsStore().SetMappedDevice(2, QStringLiteral("/dev/no-such-hopper-port"));
    StoreComPort(stored);
    MainWindowRig rig;
    QVERIFY(!rig.window->StartUp());
    QCOMPARE(rig.messages.Texts(), QStringList{QStringLiteral("Port Number Error")});
    QCOMPARE(rig.messages.offered, QStringList{QStringLiteral("Choose a port…")});
    QCOMPARE(rig.messages.shown.first().title, QStringLiteral("Error"));
    QVERIFY(!rig.window->Port().IsOpen());
    rig.window->close();
    QCOMPARE(StoredComPort(), storedAtClose);
  }

  void startUpFailureOffersThePortAssignment_data() {
    QTest::addColumn<QList<bool>>("presses");  // per box: "Choose a port…" (true) or OK
    QTest::addColumn<int>("assigned");         // what the assignment window gives; 0: closed without
    QTest::addColumn<bool>("goesOn");
    QTest::newRow("a device is chosen") << QList<bool>{true} << 3 << true;
    QTest::newRow("window closed, then OK") << QList<bool>{true, false} << 0 << false;
  }
  void startUpFailureOffersThePortAssignment() {
    QFETCH(QList<bool>, presses);
    QFETCH(int, assigned);
    QFETCH(bool, goesOn);
    StoreComPort("2");  // no device behind COM2
    PtyPeer adapter;
    MainWindowRig rig;
    auto chooser = std::make_unique<ScriptedChooser>();
    if (assigned) chooser->number = assigned;
    chooser->device = adapter.path();
    rig.window->SetPortChooser(std::move(chooser));
    rig.messages.choose = presses;
    QCOMPARE(rig.window->StartUp(), goesOn);
    QCOMPARE(rig.messages.shown.size(), presses.size());
    QCOMPARE(rig.window->Port().IsOpen(), goesOn);
    if (goesOn) {
      QCOMPARE(PortSelectorOf(*rig.window)->currentText(), QStringLiteral("COM3"));
      QCOMPARE(StatusLine(*rig.window)->text(), QStringLiteral("Switch on Kavoo"));
      QVERIFY(PortSelectorOf(*rig.window)->toolTip().contains(adapter.path()));
    }
  }

  void unusableStoredNumberShowsRedAndChoiceRecovers_data() {
    QTest::addColumn<QString>("stored");
    QTest::newRow("letters") << QStringLiteral("abc");
    QTest::newRow("above 255") << QStringLiteral("256");
    QTest::newRow("negative") << QStringLiteral("-1");
  }
  void unusableStoredNumberShowsRedAndChoiceRecovers() {
    QFETCH(QString, stored);
    StoreComPort(stored);
    MainWindowRig rig;
    MainWindow& w = *rig.window;
    QVERIFY(rig.StartAndShow());
    QVERIFY(rig.messages.shown.isEmpty());
    QVERIFY(!w.Port().IsOpen());
    QCOMPARE(test::StatusColourOf(w), kRed);
    QCOMPARE(StatusLine(w)->text(), QStringLiteral("COM1 not working"));
    QCOMPARE(rig.window->Link().State(), LinkState::None);

    // Choosing COM1 from the list opens it and the link starts listening.
    Choose(w, 0);
    QVERIFY(w.Port().IsOpen());
    QCOMPARE(rig.window->Link().State(), LinkState::WaitStart);
    QCOMPARE(StatusLine(w)->text(), QStringLiteral("Switch on Kavoo"));
    QCOMPARE(test::StatusColourOf(w), kBlue);
    CoinNumbers coins{};
    coins[0] = 9;
    const std::uint8_t info[] = {0};
    QVERIFY(rig.peer.write(test::Bytes(BuildReportFrame(1, 2, info, coins)) + char(0x82)));
    QCOMPARE(rig.peer.waitForBytes(1), QByteArray(1, char(0x82)));
    QCOMPARE(rig.Entry(0), QStringLiteral("9"));
  }

  void assignedPlainFileIsRefusedByName() {
    QTemporaryFile plain;
    QVERIFY(plain.open());
    SettingsStore().SetMappedDevice(1, plain.fileName());
    RecordingMessageBoxes messages;
    MainWindow w(messages);
    QVERIFY(!w.StartUp());
    QCOMPARE(messages.Texts(), QStringList{QStringLiteral("Port Number Error")});
    QVERIFY(messages.shown.first().informative.contains(plain.fileName() + " is a regular file"));
    QVERIFY(!w.Port().IsOpen());
    QCOMPARE(test::StatusColourOf(w), kRed);
    QCOMPARE(w.Link().State(), LinkState::None);
  }

  void accessDeniedIsItsOwnMessageAndTheWindowStays_data() {
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("advice");
    QTest::newRow("dialout") << QStringLiteral("dialout") << QStringLiteral("\"dialout\"");
    // Joining "root" would hand the user far more than one device.
    QTest::newRow("root") << QStringLiteral("root") << QStringLiteral("device rule");
  }
  void accessDeniedIsItsOwnMessageAndTheWindowStays() {
    QFETCH(QString, group);
    QFETCH(QString, advice);
    auto port = std::make_unique<test::FakeSerialPort>();
    port->nextOpen = {OpenResult::AccessDenied, QStringLiteral("/dev/ttyUSB0"), {}, group};
    test::FakeSerialPort& fake = *port;
    RecordingMessageBoxes messages;
    MainWindow w(messages, std::move(port));
    QVERIFY(w.StartUp());
    QCOMPARE(messages.shown.size(), 1);
    const Message& m = messages.shown.first();
    QVERIFY(m.text != QStringLiteral("Port Already In Use") && m.text != QStringLiteral("Port Number Error"));
    QVERIFY(m.text.contains(QStringLiteral("Denied"), Qt::CaseInsensitive));
    QCOMPARE(m.title, QStringLiteral("Error"));
    QCOMPARE(m.icon, MessageIcon::Critical);
    QVERIFY(m.informative.contains(QStringLiteral("/dev/ttyUSB0")));
    QVERIFY(m.informative.contains(advice));
    QCOMPARE(m.informative.contains(QStringLiteral("root")), false);
    QCOMPARE(test::StatusColourOf(w), kRed);

    // Once the user may open it, choosing the port again works.
    fake.nextOpen = {OpenResult::Opened, {}, {}, {}};
    Choose(w, 0);
    QVERIFY(fake.IsOpen());
    QCOMPARE(w.Link().State(), LinkState::WaitStart);
  }

  void aSaveTheLineRefusesIsReportedOnceAndGivesTheInputsBack() {
    auto port = std::make_unique<test::FakeSerialPort>();
    test::FakeSerialPort& fake = *port;
    RecordingMessageBoxes messages;
    MainWindow w(messages, std::move(port));
    QVERIFY(w.StartUp());
    w.SetEntryText(0, QStringLiteral("7"));
    fake.writesBeforeFailure = 5;  // the line stops part-way through the frame
    SaveButton(w)->click();
    QCOMPARE(messages.Texts(), QStringList{QStringLiteral("Send Error")});
    QVERIFY(SaveButton(w)->isEnabled() && !ChannelBoxAt(w, 0)->isReadOnly());
    QCOMPARE(StatusLine(w)->text(), QStringLiteral("Save faild,Reset hopper"));
    QVERIFY(!ResponseWatch(w)->isActive());
    QCOMPARE(w.Link().State(), LinkState::WaitStart);
  }

  void settingTheDriverDroppedIsInTheStatusTip() {
    auto port = std::make_unique<test::FakeSerialPort>();
    port->lineTrouble = QStringList{QStringLiteral("this adapter's driver does not do even parity: use another")};
    RecordingMessageBoxes messages;
    MainWindow w(messages, std::move(port));
    QVERIFY(w.StartUp());
    QCOMPARE(StatusLine(w)->text(), QStringLiteral("Switch on Kavoo"));  // the caption stays the hopper's
    QVERIFY2(StatusLine(w)->toolTip().contains(QStringLiteral("does not do even parity")),
             qPrintable(StatusLine(w)->toolTip()));
    QVERIFY(messages.shown.isEmpty());
  }

  void choosingPortOpensItAndCloseStoresIt() {
    PtyPeer second;
    SettingsStore().SetMappedDevice(2, second.path());
    MainWindowRig rig;
    QVERIFY(rig.StartAndShow());
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("from another program"));
    ChooseNextPort(*rig.window);
    QCOMPARE(rig.window->Port().PortNumber(), 2);
    QVERIFY(rig.window->Port().IsOpen());
    QVERIFY(PortSelectorOf(*rig.window)->toolTip().contains(second.path()));
    QVERIFY(clipboard->text().isEmpty());
    QCOMPARE(StoredComPort(), QString());                                          // nothing stored until the close
    QCOMPARE(StatusLine(*rig.window)->text(), QStringLiteral("Switch on Kavoo"));  // status untouched

    // The first port is free again; the second one carries the link.
    QtSerialPort other;
    other.SetPortNumber(1);
    QCOMPARE(other.Open().result, OpenResult::Opened);
    QVERIFY(second.write(QByteArray(1, char(0x3A))));
    QTRY_COMPARE_WITH_TIMEOUT(rig.window->Link().State(), LinkState::Header, 5000);

    rig.window->close();
    QCOMPARE(StoredComPort(), QStringLiteral("2"));
  }

  // Two hoppers, one on each port: after the first one's report the second one is chosen.
  void choosingAnotherPortStartsTheLinkOverForTheNextHopper() {
    PtyPeer second;
    SettingsStore().SetMappedDevice(2, second.path());
    MainWindowRig rig;
    QVERIFY(rig.StartAndShow());
    MainWindow& w = *rig.window;
    const std::uint8_t info[] = {0};
    CoinNumbers first{};
    first[0] = 111;
    first[1] = 222;
    QVERIFY(rig.peer.write(test::Bytes(BuildReportFrame(1, 2, info, first)) + char(0x82)));
    QCOMPARE(rig.peer.waitForBytes(1), QByteArray(1, char(0x82)));
    QVERIFY(rig.peer.write(QByteArray(1, char(0x83))));
    QTRY_COMPARE_WITH_TIMEOUT(StatusLine(w)->text(), QStringLiteral("Enter Data (Do not Reset hopper)"), 5000);
    w.SetEntryText(1, QStringLiteral("5"));  // typed: the technician's own, on any hopper

    ChooseNextPort(w);
    QCOMPARE(w.Link().State(), LinkState::WaitStart);
    QCOMPARE(StatusLine(w)->text(), QStringLiteral("Switch on Kavoo"));
    QCOMPARE(test::StatusColourOf(w), kBlue);
    QCOMPARE(ChannelBoxAt(w, 0)->Mark(), ChannelMark::OtherHopper);
    QVERIFY(ChannelBoxAt(w, 0)->toolTip().contains(QStringLiteral("COM1")));
    QCOMPARE(ChannelBoxAt(w, 1)->Mark(), ChannelMark::None);
    QVERIFY(!w.Held().Confirmed());  // the backup before a save holds nothing of the other hopper

    CoinNumbers next{};
    next[0] = 333;
    QVERIFY(second.write(test::Bytes(BuildReportFrame(1, 2, info, next)) + char(0x82)));
    QCOMPARE(second.waitForBytes(1), QByteArray(1, char(0x82)));
    QVERIFY(second.write(QByteArray(1, char(0x83))));
    QTRY_COMPARE_WITH_TIMEOUT(StatusLine(w)->text(), QStringLiteral("Enter Data (Do not Reset hopper)"), 5000);
    QCOMPARE(rig.Entry(0), QStringLiteral("333"));
    QCOMPARE(ChannelBoxAt(w, 0)->Mark(), ChannelMark::None);
    QVERIFY(rig.messages.Texts().isEmpty());
  }

  void failedChoiceIsReportedAndItsNumberStored() {
    SettingsStore().SetMappedDevice(2, QStringLiteral("/dev/no-such-hopper-port"));
    MainWindowRig rig;
    QVERIFY(rig.StartAndShow());
    ChooseNextPort(*rig.window);
    QCOMPARE(rig.messages.Texts(), QStringList{QStringLiteral("Port Number Error")});
    QVERIFY(!rig.window->Port().IsOpen());
    QCOMPARE(StatusLine(*rig.window)->text(), QStringLiteral("COM2 not working"));
    QCOMPARE(test::StatusColourOf(*rig.window), kRed);
    rig.window->close();
    QCOMPARE(StoredComPort(), QStringLiteral("2"));
  }

  void saveWithClosedPortSendsNothingAndGivesInputsBack() {
    StoreComPort("abc");
    MainWindowRig rig;
    QVERIFY(rig.StartAndShow());
    rig.window->SetEntryText(0, QStringLiteral("5"));
    QTest::mouseClick(SaveButton(*rig.window), Qt::LeftButton);
    QCOMPARE(rig.messages.shown.size(), 1);
    QCOMPARE(rig.messages.shown.first().icon, MessageIcon::Exclamation);
    QVERIFY(SaveButton(*rig.window)->isEnabled() && ExitButton(*rig.window)->isEnabled());
    QVERIFY(!ChannelBoxAt(*rig.window, 0)->isReadOnly());
    QVERIFY(!ResponseWatch(*rig.window)->isActive());
    QCOMPARE(rig.window->Link().State(), LinkState::None);
  }

  void deviceLostClosesPortShowsRedAndChoiceReopens() {
    MainWindowRig rig;
    QVERIFY(rig.StartAndShow());
    rig.peer.closeFarEnd();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.window->Port().IsOpen(), 5000);
    QCOMPARE(StatusLine(*rig.window)->text(), QStringLiteral("COM1 not working"));
    QCOMPARE(test::StatusColourOf(*rig.window), kRed);
    QVERIFY(rig.messages.shown.isEmpty());

    PtyPeer replugged;
    SettingsStore().SetMappedDevice(1, replugged.path());
    Choose(*rig.window, 0);
    QVERIFY(rig.window->Port().IsOpen());
    QCOMPARE(StatusLine(*rig.window)->text(), QStringLiteral("Switch on Kavoo"));
    QCOMPARE(test::StatusColourOf(*rig.window), kBlue);
  }

  void deviceBackDuringSaveWaitsForTheSaveToEnd() {
    auto port = std::make_unique<test::FakeSerialPort>();
    test::FakeSerialPort& fake = *port;
    RecordingMessageBoxes messages;
    MainWindow w(messages, std::move(port));
    QVERIFY(w.StartUp());
    w.SetEntryText(0, QStringLiteral("5"));
    SaveButton(w)->click();
    QVERIFY(ResponseWatch(w)->isActive());
    fake.Lose();
    emit fake.DeviceReturned();
    QVERIFY(!fake.IsOpen());  // the save's own watch ends it first
    QTRY_VERIFY_WITH_TIMEOUT(fake.IsOpen(), 5000);
    QCOMPARE(StatusLine(w)->text(), QStringLiteral("Switch on Kavoo"));
    QCOMPARE(w.Link().State(), LinkState::WaitStart);
    QVERIFY(messages.shown.isEmpty());
  }

  void portsCommandReopensOnTheAssignedDevice() {
    MainWindowRig rig;
    QVERIFY(rig.StartAndShow());
    PtyPeer other;
    auto chooser = std::make_unique<ScriptedChooser>();
    chooser->number = 5;
    chooser->device = other.path();
    rig.window->SetPortChooser(std::move(chooser));
    QVERIFY(PortsAction(*rig.window)->text().contains(QStringLiteral("&")));
    PortsAction(*rig.window)->trigger();
    QCOMPARE(rig.window->Port().PortNumber(), 5);
    QVERIFY(rig.window->Port().IsOpen());
    QCOMPARE(PortSelectorOf(*rig.window)->currentText(), QStringLiteral("COM5"));
    QVERIFY(rig.window->Port().WriteByte(0x55));
    QCOMPARE(other.waitForBytes(1), QByteArray(1, char(0x55)));
  }

  void simulationHandOverAndBack() {
    MainWindowRig rig;
    QVERIFY(rig.StartAndShow());
    rig.window->SetEntryText(3, QStringLiteral("42"));
    ChannelBoxAt(*rig.window, 3)->setFocus();
    QSignalSpy simulation(rig.window.get(), &MainWindow::SimulationRequested);
    SimulationAction(*rig.window)->trigger();
    QCOMPARE(simulation.count(), 1);
    QCOMPARE(simulation.first().first().toInt(), 1);
    QVERIFY(!rig.window->Port().IsOpen());
    QVERIFY(!rig.window->isEnabled());
    QVERIFY(rig.window->isVisible());
    // Its close box does nothing while the simulation window has the port.
    QVERIFY(!rig.window->close());
    QVERIFY(rig.window->isVisible());

    // The simulation window can open the same device while the main window has let it go.
    QtSerialPort simulationPort;
    simulationPort.SetPortNumber(1);
    QCOMPARE(simulationPort.Open().result, OpenResult::Opened);
    simulationPort.Close();

    rig.window->ReturnPort();
    QVERIFY(rig.window->isEnabled());
    QVERIFY(rig.window->Port().IsOpen());
    QCOMPARE(rig.window->Port().PortNumber(), 1);
    QVERIFY(rig.window->Link().AfterSave());
    QCOMPARE(rig.window->Link().State(), LinkState::WaitStart);
    QCOMPARE(rig.Entry(3), QStringLiteral("42"));
    QVERIFY(rig.messages.shown.isEmpty());
    QCOMPARE(rig.window->focusWidget(), ChannelBoxAt(*rig.window, 3));  // the focus is where it was
  }

  void failedHandBackIsReportedAndWindowStays() {
    MainWindowRig rig;
    QVERIFY(rig.StartAndShow());
    SimulationAction(*rig.window)->trigger();
    QtSerialPort simulationPort;  // still holds the port when the main window takes it back
    simulationPort.SetPortNumber(1);
    QCOMPARE(simulationPort.Open().result, OpenResult::Opened);
    rig.window->ReturnPort();
    QVERIFY(rig.window->isEnabled());
    QCOMPARE(rig.messages.Texts(), QStringList{QStringLiteral("Port Already In Use")});
    QVERIFY(!rig.window->Port().IsOpen());
    QCOMPARE(test::StatusColourOf(*rig.window), kRed);
  }

  void keptCaptionFontIsTakenOnlyWhileTheCaptionsFit_data() {
    // What the next start finds kept for the same captions, and where the answers are kept.
    QTest::addColumn<QString>("keptAnswer");  // empty: the answer as it was found
    QTest::addColumn<bool>("keptFolderIsAFile");
    QTest::newRow("as found") << QString() << false;
    QTest::newRow("a font too wide") << QFont(QApplication::font().family(), 40).toString() << false;
    QTest::newRow("not a font") << QStringLiteral("\u0001no font,,") << false;
    QTest::newRow("nowhere to keep it") << QString() << true;
  }

  void keptCaptionFontIsTakenOnlyWhileTheCaptionsFit() {
    QFETCH(QString, keptAnswer);
    QFETCH(bool, keptFolderIsAFile);
    QTemporaryDir dir;
    QFile(dir.filePath(QStringLiteral("file"))).open(QIODevice::WriteOnly);
    const QString path = dir.filePath(keptFolderIsAFile ? QStringLiteral("file/kept.txt") : QStringLiteral("kept.txt"));
    // Narrower than the desktop's font needs: the search has faces and sizes to try.
    const QStringList captions{QStringLiteral("Channel16"), QStringLiteral("Channel1")};
    const QFont desktop = QApplication::font();
    const double width = 0.85 * QFontMetricsF(desktop).horizontalAdvance(captions.first());
    MachineCache first(path);
    const QFont found = FittingFont(desktop.family(), desktop.pointSizeF(), captions, width, first);
    if (!keptAnswer.isEmpty()) {
      QFile file(path);
      QVERIFY(file.open(QIODevice::ReadOnly));
      QByteArray kept;
      for (const QByteArray& line : file.readAll().split('\n'))
        if (!line.isEmpty()) kept += line.left(line.indexOf('\t') + 1) + keptAnswer.toUtf8() + '\n';
      file.close();
      QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
      file.write(kept);
    }
    MachineCache next(path);
    QCOMPARE(FittingFont(desktop.family(), desktop.pointSizeF(), captions, width, next), found);
    QVERIFY(QFontMetricsF(found).horizontalAdvance(captions.first()) <= width || found.pointSizeF() <= 6.0);
  }

  void channelLabelsAreShownWhole() {
    // Whatever the desktop's font, no channel label runs under its box, all are drawn at one
    // size, and the buttons' captions stand whole.
    MainWindowRig rig;
    for (int i = 0; i < kChannelCount; ++i) {
      auto* label = rig.window->findChild<QLabel*>(QStringLiteral("Label1_%1").arg(i));
      QVERIFY(label);
      QVERIFY(test::CaptionFits(label));
      QCOMPARE(label->font(), rig.window->findChild<QLabel*>(QStringLiteral("Label1_0"))->font());
    }
    for (QPushButton* button : {SaveButton(*rig.window), ExitButton(*rig.window)}) {
      const QString caption = button->text().remove(QLatin1Char('&'));
      QVERIFY2(button->fontMetrics().horizontalAdvance(caption) <= CaptionRoom(button), qPrintable(caption));
    }
    QCOMPARE(SaveButton(*rig.window)->font(), ExitButton(*rig.window)->font());
  }

  void groupBoxFramesAreDrawnAsTheSystemStyleDrawsThem_data() {
    QTest::addColumn<int>("height");
    QTest::addColumn<qreal>("pixelRatio");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QRect>("repainted");  // empty: all of it
    QTest::newRow("channel frame") << 409 << qreal(1) << QStringLiteral("Coin No.") << QRect();
    QTest::newRow("twice the pixels") << 409 << qreal(2) << QStringLiteral("Coin No.") << QRect();
    QTest::newRow("one band") << 64 << qreal(1) << QString() << QRect();
    QTest::newRow("one row over a band") << 65 << qreal(1.5) << QString() << QRect();
    QTest::newRow("a cursor's rows") << 409 << qreal(1) << QString() << QRect(60, 200, 2, 14);
    QTest::newRow("rows across bands") << 409 << qreal(2) << QString() << QRect(0, 50, 177, 300);
  }
  void groupBoxFramesAreDrawnAsTheSystemStyleDrawsThem() {
    QFETCH(int, height);
    QFETCH(qreal, pixelRatio);
    QFETCH(QString, title);
    QFETCH(QRect, repainted);
    auto drawn = [&](QStyle* style) {
      QGroupBox box(title);
      box.setStyle(style);
      box.resize(177, height);
      QImage image(box.size() * pixelRatio, QImage::Format_ARGB32_Premultiplied);
      image.setDevicePixelRatio(pixelRatio);
      image.fill(Qt::white);
      box.render(&image, {}, repainted.isEmpty() ? QRegion() : QRegion(repainted));
      return image;
    };
    QProxyStyle system(QStyleFactory::create(QStringLiteral("fusion")));
    DeferredIconStyle ours;
    ours.setBaseStyle(QStyleFactory::create(QStringLiteral("fusion")));
    QCOMPARE(drawn(&ours), drawn(&system));
  }

  void functionKeysArePreviewed_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("F1") << int(Qt::Key_F1) << int(Qt::NoModifier);
    QTest::newRow("Shift+F1") << int(Qt::Key_F1) << int(Qt::ShiftModifier);
    QTest::newRow("F2") << int(Qt::Key_F2) << int(Qt::NoModifier);
    QTest::newRow("F10 opens the first menu") << int(Qt::Key_F10) << int(Qt::NoModifier);
  }
  void functionKeysArePreviewed() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    MainWindowRig rig;
    QVERIFY(rig.StartAndShow());
    ChannelBoxAt(*rig.window, 4)->setFocus();
    rig.window->SetEntryText(4, QStringLiteral("123"));
    QSignalSpy manual(rig.window.get(), &MainWindow::ManualRequested);
    QSignalSpy simulation(rig.window.get(), &MainWindow::SimulationRequested);
    QTest::keyClick(ChannelBoxAt(*rig.window, 4), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(manual.count(), key == Qt::Key_F1 ? 1 : 0);
    QCOMPARE(simulation.count(), key == Qt::Key_F2 ? 1 : 0);
    QCOMPARE(rig.Entry(4), QStringLiteral("123"));
    QVERIFY(rig.messages.shown.isEmpty());
    auto* parameter = rig.window->findChild<QMenu*>(QStringLiteral("Parameter"));
    QTRY_COMPARE_WITH_TIMEOUT(parameter->isVisible(), key == Qt::Key_F10, 5000);
    parameter->close();
  }

  void everyCommandIsInSight() {
    // The three titles fit the menu bar side by side (nothing behind an overflow arrow); the
    // tool's own commands stand in Parameter below a separator, each with its own access key.
    MainWindowRig rig;
    QVERIFY(rig.StartAndShow());
    QMenuBar* bar = rig.window->menuBar();
    QStringList titles;
    for (QAction* a : bar->actions()) {
      titles << a->text();
      QVERIFY2(bar->rect().contains(bar->actionGeometry(a)), qPrintable(a->text()));
    }
    QCOMPARE(titles, (QStringList{"Parameter", "[F1]Manual", "[F2]Simulation"}));
    auto* parameter = rig.window->findChild<QMenu*>(QStringLiteral("Parameter"));
    const QList<QAction*> items = parameter->actions();
    QCOMPARE(items.size(), 12);
    QCOMPARE(items[0]->objectName(), QStringLiteral("Openfile"));
    QCOMPARE(items[1]->objectName(), QStringLiteral("Savefile"));
    QVERIFY(items[2]->isSeparator());
    QStringList names;
    QSet<QChar> keys;
    for (qsizetype i = 3; i < items.size(); ++i) {
      if (items[i]->isSeparator()) continue;
      names << items[i]->objectName();
      const QString text = items[i]->text();
      const qsizetype amp = text.indexOf(QLatin1Char('&'));
      QVERIFY2(amp >= 0 && amp + 1 < text.size(), qPrintable(text));
      keys.insert(text[amp + 1].toLower());
    }
    QCOMPARE(names,
             (QStringList{"LineMonitor", "Station", "History", "Ports", "BackupFolder", "Unit", "Compare", "PutBack"}));
    QCOMPARE(keys.size(), 8);
  }

  // What a screen reader reads: the status line's name is its caption after every change, and
  // the port selector is named. (The alert sent with each new status is not seen here: the test
  // platform has no accessibility bridge, and Qt hands no event on without one.)
  void statusIsReadAndThePortSelectorNamed() {
    MainWindowRig rig;
    QVERIFY(rig.StartAndShow());
    QAccessibleInterface* status = QAccessible::queryAccessibleInterface(StatusLine(*rig.window));
    QVERIFY(status);
    QCOMPARE(status->text(QAccessible::Name), QStringLiteral("Switch on Kavoo"));
    Choose(*rig.window, 1);  // COM2 has no device: a red caption
    QVERIFY(StatusLine(*rig.window)->text() != QStringLiteral("Switch on Kavoo"));
    QCOMPARE(status->text(QAccessible::Name), StatusLine(*rig.window)->text());
    QCOMPARE(PortSelectorOf(*rig.window)->accessibleName(), QStringLiteral("Port"));
    const auto labels =
        QAccessible::queryAccessibleInterface(PortSelectorOf(*rig.window))->relations(QAccessible::Label);
    QCOMPARE(labels.size(), 1);
    QCOMPARE(labels.first().first->text(QAccessible::Name), QStringLiteral("Port"));
  }

  // The status line's fixed colours and the boxes' marks stay readable on a light and on a
  // dark desktop theme: what they stand on is at least 4.5:1 from their text (red reaches 4:1
  // at best, on white).
  void coloursAreReadableInLightAndDark_data() {
    QTest::addColumn<bool>("dark");
    QTest::newRow("light") << false;
    QTest::newRow("dark") << true;
  }
  void coloursAreReadableInLightAndDark() {
    QFETCH(bool, dark);
    const QPalette theme = QApplication::palette();
    if (dark) {
      QPalette night = theme;
      night.setColor(QPalette::Window, QColor(53, 53, 53));
      night.setColor(QPalette::WindowText, Qt::white);
      night.setColor(QPalette::Base, QColor(36, 36, 36));
      night.setColor(QPalette::Text, Qt::white);
      QApplication::setPalette(night);
    }
    const auto ratio = [](const QPalette& p, QPalette::ColorRole text, QPalette::ColorRole ground) {
      return ContrastRatio(ToRgb(p.color(text)), ToRgb(p.color(ground)));
    };
    {
      MainWindowRig rig;
      QVERIFY(rig.StartAndShow());
      QLabel* status = StatusLine(*rig.window);
      QCOMPARE(StatusColourOf(*rig.window), kBlue);
      QVERIFY(status->autoFillBackground() ||
              status->palette().color(QPalette::Window) == QApplication::palette().color(QPalette::Window));
      QVERIFY(ratio(status->palette(), QPalette::WindowText, QPalette::Window) >= kTextContrast);
      Choose(*rig.window, 1);
      QCOMPARE(StatusColourOf(*rig.window), kRed);
      QVERIFY(ratio(status->palette(), QPalette::WindowText, QPalette::Window) >= 3.99);
      for (ChannelMark mark : {ChannelMark::None, ChannelMark::Changed, ChannelMark::Unconfirmed, ChannelMark::Differs,
                               ChannelMark::OtherHopper}) {
        ChannelBox* box = ChannelBoxAt(*rig.window, 0);
        box->SetMark({mark, {}});
        QVERIFY2(ratio(box->palette(), QPalette::Text, QPalette::Base) >= kTextContrast,
                 qPrintable(QString::number(int(mark))));
      }
    }
    QApplication::setPalette(theme);
  }

  // Run once more at twice the scale (tst_main_window_2x): the window stays on the screen and
  // its controls scroll; with room enough nothing scrolls.
  void windowStaysWithinTheScreen() {
    MainWindowRig rig;
    QVERIFY(rig.StartAndShow());
    const QRect area = rig.window->screen()->availableGeometry();
    QVERIFY2(area.contains(rig.window->frameGeometry()),
             qPrintable(QStringLiteral("%1 outside %2")
                            .arg(QDebug::toString(rig.window->frameGeometry()), QDebug::toString(area))));
    auto* scroll = rig.window->findChild<QScrollArea*>(QStringLiteral("clientScroll"));
    QVERIFY(scroll);
    const bool roomEnough = area.height() >= Px(7600);
    QCOMPARE(scroll->verticalScrollBar()->maximum() == 0, roomEnough);
    // The Save button can always be brought into sight.
    scroll->ensureWidgetVisible(SaveButton(*rig.window));
    QVERIFY(!SaveButton(*rig.window)->visibleRegion().isEmpty());
  }

  void stationTakesThePortAndGivesItBack() {
    MainWindowRig rig;
    QVERIFY(rig.StartAndShow());
    QSignalSpy station(rig.window.get(), &MainWindow::StationRequested);
    rig.window->findChild<QAction*>(QStringLiteral("Station"))->trigger();
    QCOMPARE(station.count(), 1);
    QCOMPARE(station.at(0).at(0).toInt(), rig.window->Port().PortNumber());
    QVERIFY(!rig.window->Port().IsOpen());
    QVERIFY(!rig.window->isEnabled());
    rig.window->ReturnPort();
    QVERIFY(rig.window->isEnabled());
    QVERIFY(rig.window->Port().IsOpen());
  }

  void closeDuringSaveStoresPortNumber() {
    MainWindowRig rig;
    QVERIFY(rig.StartAndShow());
    QSignalSpy closing(rig.window.get(), &MainWindow::Closing);
    rig.window->SetEntryText(0, QStringLiteral("1"));
    QTest::mouseClick(SaveButton(*rig.window), Qt::LeftButton);
    QVERIFY(ResponseWatch(*rig.window)->isActive());
    QVERIFY(rig.window->close());
    QCOMPARE(closing.count(), 1);
    QCOMPARE(StoredComPort(), QStringLiteral("1"));
    QVERIFY(!rig.window->Port().IsOpen());
    QVERIFY(!ResponseWatch(*rig.window)->isActive());
  }

  void accessKeysPressTheButtons() {
    MainWindowRig rig;
    QVERIFY(rig.StartAndShow());
    rig.window->SetEntryText(0, QStringLiteral("3"));
    ChannelBoxAt(*rig.window, 2)->setFocus();
    QTest::keyClick(ChannelBoxAt(*rig.window, 2), Qt::Key_S, Qt::AltModifier);
    QCOMPARE(rig.peer.waitForBytes(33).left(3), QByteArray::fromHex("830003"));
    QCOMPARE(rig.Entry(2), QStringLiteral("0"));  // the letter never reached the box
    QTRY_VERIFY_WITH_TIMEOUT(ExitButton(*rig.window)->isEnabled(), 5000);
    QSignalSpy closing(rig.window.get(), &MainWindow::Closing);
    QTest::keyClick(ChannelBoxAt(*rig.window, 2), Qt::Key_E, Qt::AltModifier);
    QTRY_COMPARE_WITH_TIMEOUT(closing.count(), 1, 5000);  // an access key clicks after a short flash
  }

  void exitButtonCloses() {
    MainWindowRig rig;
    QVERIFY(rig.StartAndShow());
    QSignalSpy closing(rig.window.get(), &MainWindow::Closing);
    QTest::mouseClick(ExitButton(*rig.window), Qt::LeftButton);
    QCOMPARE(closing.count(), 1);
    QVERIFY(!rig.window->isVisible());
    QCOMPARE(StoredComPort(), QStringLiteral("1"));
  }
};

QTEST_MAIN(MainWindowTest)
#include "tst_main_window.moc"
