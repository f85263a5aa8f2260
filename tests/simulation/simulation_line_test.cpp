// The simulation window at the far end of a pseudo-terminal: the bytes it sends, the replies
// it drains, opening its port and handing it back.

#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include "platform/files/settings_store.h"
#include "simulation_fixture.h"

namespace {
QByteArray Bytes(std::initializer_list<unsigned char> values) {
  QByteArray out;
  for (unsigned char v : values) out.append(static_cast<char>(v));
  return out;
}
}  // namespace

class Form3LineTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { UseTemporarySettings(); }

  void dispenseRightAfterOpeningSendsChannel1() {
    Simulation sim;
    QVERIFY(sim.peer.IsValid());
    QVERIFY(sim.form->OpenPort());
    DispenseButton(*sim.form)->click();
    QCOMPARE(sim.peer.waitForBytes(3), Bytes({0x81, 0x40, 0x10}));
    QVERIFY(sim.messages.shown.isEmpty());
  }

  void adapterBackIsTakenUpAgainSilently() {
    Simulation sim(std::make_unique<FakeSerialPort>());
    QVERIFY(sim.form->OpenPort());
    sim.fake->Lose();
    emit sim.fake->DeviceReturned();
    QVERIFY(sim.fake->IsOpen());
    StartUpButton(*sim.form)->click();
    QCOMPARE(sim.fake->written, Bytes({0x80}));
    QVERIFY(sim.messages.shown.isEmpty());
  }

  void startUpSendsOneByte() {
    Simulation sim;
    QVERIFY(sim.form->OpenPort());
    StartUpButton(*sim.form)->click();
    QCOMPARE(sim.peer.waitForBytes(1), Bytes({0x80}));
  }

  void pickedChannelIsSent_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("channelByte");
    QTest::newRow("1") << 0 << 0x40;
    QTest::newRow("2") << 1 << 0x41;
    QTest::newRow("9") << 8 << 0x48;
    QTest::newRow("16") << 15 << 0x4F;
  }
  void pickedChannelIsSent() {
    QFETCH(int, position);
    QFETCH(int, channelByte);
    Simulation sim;
    QVERIFY(sim.form->OpenPort());
    auto* combo = ChannelSelector(*sim.form);
    combo->setCurrentIndex(position);
    QCOMPARE(combo->currentText(), QString::number(position + 1));
    DispenseButton(*sim.form)->click();
    QCOMPARE(sim.peer.waitForBytes(3), Bytes({0x81, static_cast<unsigned char>(channelByte), 0x10}));
  }

  // The start-up byte behind them shows that nothing else went out in between.
  void twoQuickPressesSendSixBytes() {
    Simulation sim;
    QVERIFY(sim.form->OpenPort());
    DispenseButton(*sim.form)->click();
    DispenseButton(*sim.form)->click();
    StartUpButton(*sim.form)->click();
    QCOMPARE(sim.peer.waitForBytes(7), Bytes({0x81, 0x40, 0x10, 0x81, 0x40, 0x10, 0x80}));
  }

  void repliesAreDrainedAndChangeNothing_data() {
    QTest::addColumn<QList<QByteArray>>("pieces");
    QTest::newRow("start byte") << QList<QByteArray>{Bytes({0x3A})};
    QTest::newRow("sync byte") << QList<QByteArray>{Bytes({0x82})};
    QTest::newRow("a long block") << QList<QByteArray>{QByteArray(600, '\x55')};
    QTest::newRow("in pieces") << QList<QByteArray>{Bytes({0x3A, 0x01}), Bytes({0x02}), QByteArray(40, '\x83')};
  }
  void repliesAreDrainedAndChangeNothing() {
    QFETCH(QList<QByteArray>, pieces);
    Simulation sim;
    QVERIFY(sim.form->OpenPort());
    sim.form->show();
    sim.StopTimers();
    const QImage before = sim.form->grab().toImage();
    QSignalSpy arrived(sim.port, &hopper::SerialPort::BytesArrived);
    for (const QByteArray& piece : pieces) {
      const auto seen = arrived.count();
      QVERIFY(sim.peer.write(piece));
      // Thrown away as it arrives, with no timer running.
      QTRY_VERIFY_WITH_TIMEOUT(arrived.count() > seen, 5000);
      QTRY_COMPARE_WITH_TIMEOUT(sim.port->BytesWaiting(), qint64(0), 5000);
    }
    QCOMPARE(sim.form->grab().toImage(), before);
    QVERIFY(sim.messages.shown.isEmpty());
    QVERIFY(sim.peer.readAvailable().isEmpty());  // nothing echoed
  }

  void closingHandsThePortBack_data() {
    QTest::addColumn<bool>("byButton");
    QTest::newRow("&Close") << true;
    QTest::newRow("close box") << false;
  }
  void closingHandsThePortBack() {
    QFETCH(bool, byButton);
    Simulation sim;
    QVERIFY(sim.form->OpenPort());
    sim.form->show();
    QSignalSpy handedBack(sim.form.get(), &hopper::SimulationWindow::PortHandedBack);
    if (byButton) {
      CloseButton(*sim.form)->click();
    } else {
      QVERIFY(sim.form->close());
    }
    QCOMPARE(handedBack.count(), 1);
    QVERIFY(!sim.port->IsOpen());
    QVERIFY(!sim.form->isVisible());
    for (QTimer* timer : {AnimationTimer(*sim.form), PromptTimer(*sim.form)}) QVERIFY(!timer->isActive());
    // The same device opens again at once: the line is free for the main window.
    hopper::QtSerialPort again;
    again.SetPortNumber(kTestPort);
    QCOMPARE(again.Open().result, hopper::OpenResult::Opened);
    sim.form.reset();
    QCOMPARE(handedBack.count(), 1);  // once only
  }

  void aWindowDestroyedWithoutClosingStillHandsBack() {
    Simulation sim;
    QVERIFY(sim.form->OpenPort());
    bool handedBack = false;
    QObject::connect(sim.form.get(), &hopper::SimulationWindow::PortHandedBack, [&] { handedBack = true; });
    sim.form.reset();
    QVERIFY(handedBack);
  }

  void aPortThatDoesNotExistIsReported() {
    Simulation sim;
    hopper::SettingsStore().SetMappedDevice(kTestPort, QStringLiteral("/dev/no-such-hopper-line"));
    QVERIFY(!sim.form->OpenPort());
    QCOMPARE(sim.messages.Texts(), QStringList{QStringLiteral("Port Number Error")});
    QCOMPARE(sim.messages.shown.first().icon, hopper::MessageIcon::Critical);
    QCOMPARE(sim.messages.shown.first().title, QStringLiteral("Error"));
  }

  // The owner's Start() closes a window whose port will not open: the port goes straight back.
  void aPortThatCannotBeOpenedIsHandedBackAtOnce() {
    Simulation sim;
    hopper::SettingsStore().SetMappedDevice(kTestPort, QStringLiteral("/dev/no-such-hopper-line"));
    QSignalSpy handedBack(sim.form.get(), &hopper::SimulationWindow::PortHandedBack);
    sim.form->Start();
    QCOMPARE(handedBack.count(), 1);
    QVERIFY(!sim.form->isVisible());
    QCOMPARE(sim.messages.Texts(), QStringList{QStringLiteral("Port Number Error")});
  }

  void startShowsTheWindowWhenThePortOpens() {
    Simulation sim;
    QSignalSpy handedBack(sim.form.get(), &hopper::SimulationWindow::PortHandedBack);
    sim.form->Start();
    QVERIFY(sim.form->isVisible());
    QVERIFY(sim.port->IsOpen());
    QCOMPARE(handedBack.count(), 0);
  }

  void aPortInUseIsReported() {
    Simulation sim;
    hopper::QtSerialPort holder;
    holder.SetPortNumber(kTestPort);
    QCOMPARE(holder.Open().result, hopper::OpenResult::Opened);
    QVERIFY(!sim.form->OpenPort());
    QCOMPARE(sim.messages.Texts(), QStringList{QStringLiteral("Port Already In Use")});
    QCOMPARE(sim.messages.shown.first().icon, hopper::MessageIcon::Critical);
    QCOMPARE(sim.messages.shown.first().title, QStringLiteral("Error"));
    QVERIFY(!sim.port->IsOpen());
  }
};

int RunForm3LineTests(int argc, char** argv) {
  Form3LineTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "simulation_line_test.moc"
