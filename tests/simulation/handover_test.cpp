// The main window hands its port to the simulation window and gets it back, on a line whose
// far end is a pseudo-terminal.

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "platform/files/settings_store.h"
#include "simulation_fixture.h"
#include "ui/channel_box.h"
#include "ui/main_window.h"
#include "ui/simulation_handover.h"
#include "windows_controls.h"

using namespace hopper::test;

namespace {

// Records every message; a test may act while a box is up, as the technician could.
class HookedMessages final : public hopper::MessageBoxes {
 public:
  void Show(QWidget*, const hopper::Message& message) override {
    texts << message.text;
    if (onShow) onShow(message);
  }
  QStringList texts;
  std::function<void(const hopper::Message&)> onShow;
};

// What the round trip must leave as it was.
struct MainWindowState {
  QStringList boxes;
  QString status;
  QColor statusColour;
  bool responseWatch = false;
  bool receiveWatch = false;
  bool operator==(const MainWindowState&) const = default;
};

MainWindowState StateOf(hopper::MainWindow& main) {
  MainWindowState state;
  for (int i = 0; i < 16; ++i) state.boxes << main.EntryText(i);
  state.status = StatusLine(main)->text();
  state.statusColour = StatusLine(main)->palette().color(QPalette::WindowText);
  state.responseWatch = ResponseWatch(main)->isActive();
  state.receiveWatch = ReceiveWatch(main)->isActive();
  return state;
}

}  // namespace

class HandOverTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { UseTemporarySettings(); }

  void init() {
    peer = std::make_unique<PtyPeer>();
    QVERIFY(peer->IsValid());
    hopper::SettingsStore().SetMappedDevice(kTestPort, peer->path());
    hopper::SettingsStore().SetComPort(kTestPort);
    messages = std::make_unique<HookedMessages>();
    main = std::make_unique<hopper::MainWindow>(*messages);
    QVERIFY(main->StartUp());
    QVERIFY(main->Port().IsOpen());
    main->show();
    // The same wiring as the program's own.
    connect(main.get(), &hopper::MainWindow::SimulationRequested, this, [this](int portNumber) {
      simulation = hopper::OpenSimulationWindow(*main, portNumber, *messages, ProgramFolder());
    });
  }

  void cleanup() {
    delete simulation.data();
    main.reset();
    messages.reset();
    peer.reset();
  }

  void roundTripGivesTheMainWindowItsPortBack_data() {
    QTest::addColumn<bool>("byKey");
    QTest::addColumn<bool>("byCloseButton");
    QTest::newRow("menu, &Close") << false << true;
    QTest::newRow("F2 in a box, close box") << true << false;
  }
  void roundTripGivesTheMainWindowItsPortBack() {
    QFETCH(bool, byKey);
    QFETCH(bool, byCloseButton);
    main->SetEntryText(2, QStringLiteral("250"));
    main->SetEntryText(15, QStringLiteral("7"));
    const MainWindowState before = StateOf(*main);
    if (byKey) {
      main->activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(main.get()));
      ChannelBoxAt(*main, 4)->setFocus();
      QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), static_cast<QWidget*>(ChannelBoxAt(*main, 4)), 5000);
      QTest::keyClick(ChannelBoxAt(*main, 4), Qt::Key_F2);
    } else {
      SimulationAction(*main)->trigger();
    }
    QVERIFY(simulation);
    QVERIFY(simulation->isVisible());
    QVERIFY(!main->isEnabled());
    QVERIFY(!main->Port().IsOpen());
    QCOMPARE(StateOf(*main), before);

    // The simulation window speaks on the same line.
    DispenseButton(*simulation)->click();
    QCOMPARE(peer->waitForBytes(3), QByteArray("\x81\x40\x10", 3));

    if (byCloseButton) {
      CloseButton(*simulation)->click();
    } else {
      QVERIFY(simulation->close());
    }
    QVERIFY(main->isEnabled());
    QVERIFY(main->Port().IsOpen());
    QCOMPARE(main->Port().PortNumber(), kTestPort);
    QCOMPARE(main->Link().State(), hopper::LinkState::WaitStart);
    QVERIFY(main->Link().AfterSave());
    QCOMPARE(StateOf(*main), before);
    QVERIFY(messages->texts.isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(simulation.isNull(), 5000);  // it went away with its timers
  }

  void aPortThatCannotBeOpenedIsHandedBackAtOnce() {
    const MainWindowState before = StateOf(*main);
    // The line is gone when the simulation window looks for it, and back by the time the
    // technician has read why.
    hopper::SettingsStore().SetMappedDevice(kTestPort, QStringLiteral("/dev/no-such-hopper-line"));
    messages->onShow = [this](const hopper::Message&) {
      hopper::SettingsStore().SetMappedDevice(kTestPort, peer->path());
    };
    SimulationAction(*main)->trigger();
    QCOMPARE(messages->texts, QStringList{QStringLiteral("Port Number Error")});
    QVERIFY(main->isEnabled());
    QVERIFY(main->Port().IsOpen());
    QCOMPARE(main->Port().PortNumber(), kTestPort);
    QCOMPARE(StateOf(*main), before);
    QTRY_VERIFY_WITH_TIMEOUT(simulation.isNull(), 5000);
  }

  void reopeningStartsAgainAtChannel1() {
    SimulationAction(*main)->trigger();
    QVERIFY(simulation);
    ChannelSelector(*simulation)->setCurrentIndex(15);
    simulation->close();
    QTRY_VERIFY_WITH_TIMEOUT(simulation.isNull(), 5000);
    SimulationAction(*main)->trigger();
    QVERIFY(simulation);
    QCOMPARE(simulation->ChannelCode(), std::int16_t{0x40});
    DispenseButton(*simulation)->click();
    QCOMPARE(peer->waitForBytes(3), QByteArray("\x81\x40\x10", 3));
    simulation->close();
    QVERIFY(main->Port().IsOpen());
  }

 private:
  std::unique_ptr<PtyPeer> peer;
  std::unique_ptr<HookedMessages> messages;
  std::unique_ptr<hopper::MainWindow> main;
  QPointer<hopper::SimulationWindow> simulation;
};

int RunHandOverTests(int argc, char** argv) {
  HandOverTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "handover_test.moc"
