// The first opening, and the opening after a replug or a wake from sleep, wait out a passing
// "in use" (Windows' "access denied" while the driver starts the device anew); other openings
// answer at once.

#include <QSignalSpy>
#include <QtTest>

#include "fake_serial_port.h"
#include "platform/serial/patient_serial_port.h"

using namespace hopper;

namespace {

enum class Before {
  Nothing,          // the program's first opening
  OpenedAndClosed,  // the port was open before: another port chosen, the hand-over back
  DeviceReturned,   // lost, then back
  WokeWhileOpen,    // the computer slept with the line open
  WokeWhileClosed,  // the computer slept with the port closed
};

constexpr int kForEver = 1000;

}  // namespace

Q_DECLARE_METATYPE(Before)

class PatientPortTest : public QObject {
  Q_OBJECT
 private slots:
  void opening_data() {
    QTest::addColumn<Before>("before");
    QTest::addColumn<OpenResult>("refusal");  // what the device answers for a while
    QTest::addColumn<int>("times");           // how many openings it answers so
    QTest::addColumn<OpenResult>("result");
    QTest::addColumn<int>("tries");
    const int allTries = 1 + PatientSerialPort::kPatienceMs / PatientSerialPort::kRetryStepMs;
    const OpenResult inUse = OpenResult::PortInUse;
    QTest::newRow("first opening, in use for a moment") << Before::Nothing << inUse << 3 << OpenResult::Opened << 4;
    QTest::newRow("first opening, held for good") << Before::Nothing << inUse << kForEver << inUse << allTries;
    QTest::newRow("first opening, no such port")
        << Before::Nothing << OpenResult::InvalidPort << kForEver << OpenResult::InvalidPort << 1;
    QTest::newRow("reopening answers at once") << Before::OpenedAndClosed << inUse << 3 << inUse << 1;
    QTest::newRow("after a replug, in use for a moment")
        << Before::DeviceReturned << inUse << 5 << OpenResult::Opened << 6;
    QTest::newRow("after a replug, held for good") << Before::DeviceReturned << inUse << kForEver << inUse << allTries;
    QTest::newRow("after a wake, in use for a moment")
        << Before::WokeWhileOpen << inUse << 2 << OpenResult::Opened << 3;
    QTest::newRow("after a wake while closed") << Before::WokeWhileClosed << inUse << 2 << OpenResult::Opened << 3;
  }

  void opening() {
    QFETCH(Before, before);
    QFETCH(OpenResult, refusal);
    QFETCH(int, times);
    QFETCH(OpenResult, result);
    QFETCH(int, tries);
    auto owned = std::make_unique<test::FakeSerialPort>();
    test::FakeSerialPort& fake = *owned;
    int paused = 0;
    PatientSerialPort port(std::move(owned), [&](int ms) { paused += ms; });
    port.SetPortNumber(3);
    QSignalSpy lost(&port, &SerialPort::DeviceLost);
    QSignalSpy returned(&port, &SerialPort::DeviceReturned);

    if (before != Before::Nothing) {
      QCOMPARE(port.Open().result, OpenResult::Opened);
      if (before == Before::OpenedAndClosed || before == Before::WokeWhileClosed) port.Close();
      if (before == Before::DeviceReturned) {
        fake.Lose();
        fake.Return();
      }
      if (before == Before::WokeWhileOpen || before == Before::WokeWhileClosed) port.Resumed();
    }
    if (before == Before::WokeWhileOpen) {
      // The line is given up as a lost one and comes back as a replugged one.
      QCOMPARE(lost.size(), 1);
      QVERIFY(!port.IsOpen());
      QVERIFY(returned.wait(5000));
    }
    QCOMPARE(returned.size(), before == Before::DeviceReturned || before == Before::WokeWhileOpen ? 1 : 0);

    fake.openCalls = 0;
    fake.openSequence.assign(static_cast<std::size_t>(std::min(times, kForEver)), refusal);
    if (times == kForEver) fake.nextOpen.result = refusal;
    QCOMPARE(port.Open().result, result);
    QCOMPARE(fake.openCalls, tries);
    QCOMPARE(paused, (tries - 1) * PatientSerialPort::kRetryStepMs);
    QCOMPARE(port.IsOpen(), result == OpenResult::Opened);
  }

  void closingCancelsTheReturnAfterAWake() {
    auto owned = std::make_unique<test::FakeSerialPort>();
    PatientSerialPort port(std::move(owned), [](int) {});
    QSignalSpy returned(&port, &SerialPort::DeviceReturned);
    QCOMPARE(port.Open().result, OpenResult::Opened);
    port.Resumed();
    port.Close();  // the window closed at once
    // Shown by a later event: a replug announced after the wake's would have come first.
    QSignalSpy later(&port, &SerialPort::DeviceLost);
    QTimer::singleShot(0, &port, [&] { emit port.DeviceLost(QStringLiteral("marker")); });
    QVERIFY(later.wait(5000));
    QCOMPARE(returned.size(), 0);
  }
};

QTEST_GUILESS_MAIN(PatientPortTest)
#include "tst_patient_port.moc"
