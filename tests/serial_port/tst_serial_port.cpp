// The serial port service on a pseudo-terminal: mapping port numbers to devices, the line
// settings, bytes both ways, and every kind of failed opening.

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

#include "cpu_watch.h"
#include "platform/qt_serial_port.h"
#include "platform/settings_store.h"
#include "pty_peer.h"
#include "settings_sandbox.h"

using namespace hopper;
using hopper::test::PtyPeer;

class SerialPortTest : public QObject {
  Q_OBJECT
 private:
  std::unique_ptr<test::SettingsSandbox> sandbox_;

  static void Map(int portNumber, const QString& device) { SettingsStore().SetMappedDevice(portNumber, device); }
  // Maps `portNumber` to `device`, then gives the port that number and opens it.
  static OpenResult OpenMapped(QtSerialPort& port, int portNumber, const QString& device) {
    Map(portNumber, device);
    port.SetPortNumber(portNumber);
    return port.Open().result;
  }

 private slots:
  void initTestCase() { sandbox_ = std::make_unique<test::SettingsSandbox>(); }
  void init() { QFile::remove(SettingsStore::FilePath()); }

  void portNumberNamesDevice() {
    QtSerialPort port;
    QCOMPARE(port.DeviceFor(0), QString());
    QCOMPARE(port.DeviceFor(1), QStringLiteral("/dev/ttyS0"));
    QCOMPARE(port.DeviceFor(7), QStringLiteral("/dev/ttyS6"));
    Map(1, QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(port.DeviceFor(1), QStringLiteral("/dev/ttyUSB0"));
  }

  void opensMappedPseudoTerminalWithLineSettings() {
    PtyPeer peer;
    QVERIFY(peer.IsValid());
    QtSerialPort port;
    QCOMPARE(OpenMapped(port, 3, peer.path()), OpenResult::Opened);
    QVERIFY(port.IsOpen());
    // A pseudo-terminal drops parity, so check what the port was given.
    QCOMPARE(port.Port().baudRate(), 9600);
    QCOMPARE(port.Port().parity(), QSerialPort::EvenParity);
    QCOMPARE(port.Port().dataBits(), QSerialPort::Data8);
    QCOMPARE(port.Port().stopBits(), QSerialPort::OneStop);
    QCOMPARE(port.Port().flowControl(), QSerialPort::NoFlowControl);

    // Closing and opening again keeps the number and the settings.
    port.Close();
    QVERIFY(!port.IsOpen());
    QCOMPARE(port.Open().result, OpenResult::Opened);
    QCOMPARE(port.PortNumber(), 3);
    QCOMPARE(port.Port().parity(), QSerialPort::EvenParity);
  }

  void bytesBothWaysInOrder() {
    PtyPeer peer;
    QtSerialPort port;
    QCOMPARE(OpenMapped(port, 1, peer.path()), OpenResult::Opened);

    QVERIFY(port.WriteByte(0x82));
    QVERIFY(port.WriteByte(0x00));
    QVERIFY(port.WriteByte(0xFF));
    QCOMPARE(peer.waitForBytes(3), QByteArray::fromHex("8200ff"));

    QSignalSpy arrived(&port, &SerialPort::BytesArrived);
    const QByteArray sent = QByteArray::fromHex("3a0102ff00");
    QVERIFY(peer.write(sent));
    QTRY_VERIFY_WITH_TIMEOUT(port.BytesWaiting() >= sent.size(), 5000);
    QVERIFY(arrived.count() >= 1);
    QByteArray got;
    while (const auto byte = port.ReadByte()) got.append(static_cast<char>(*byte));
    QCOMPARE(got, sent);
    QCOMPARE(port.BytesWaiting(), 0);
  }

  void writeOnClosedPortFails() {
    QtSerialPort port;
    QVERIFY(!port.WriteByte(0x83));
    QVERIFY(!port.ReadByte());
    QCOMPARE(port.BytesWaiting(), 0);
    QVERIFY(port.ReadAll().isEmpty());
  }

  void missingDeviceIsInvalidPort_data() {
    QTest::addColumn<int>("portNumber");
    QTest::addColumn<QString>("mapped");
    QTest::newRow("port 0") << 0 << QString();
    QTest::newRow("mapped to nothing") << 2 << QStringLiteral("/dev/no-such-serial-device");
    QTest::newRow("unmapped, no such ttyS") << 250 << QString();
  }
  void missingDeviceIsInvalidPort() {
    QFETCH(int, portNumber);
    QFETCH(QString, mapped);
    if (!mapped.isEmpty()) Map(portNumber, mapped);
    QtSerialPort port;
    port.SetPortNumber(portNumber);
    const OpenOutcome outcome = port.Open();
    QCOMPARE(outcome.result, OpenResult::InvalidPort);
    QVERIFY(!port.IsOpen());
    QCOMPARE(port.PortNumber(), portNumber);  // the number stays, for the close to store
  }

  void heldByAnotherIsInUse() {
    PtyPeer peer;
    QtSerialPort holder;
    QCOMPARE(OpenMapped(holder, 1, peer.path()), OpenResult::Opened);

    QtSerialPort second;
    second.SetPortNumber(1);
    const OpenOutcome outcome = second.Open();
    QCOMPARE(outcome.result, OpenResult::PortInUse);
    QVERIFY(!outcome.detail.isEmpty());
    QVERIFY(!second.IsOpen());
  }

  void heldDeviceReachedThroughLinkIsInUse() {
    PtyPeer peer;
    QTemporaryDir links;
    const QString link = QDir(links.path()).filePath(QStringLiteral("hopper-by-id"));
    QVERIFY(QFile::link(peer.path(), link));
    QtSerialPort holder;
    QCOMPARE(OpenMapped(holder, 1, peer.path()), OpenResult::Opened);
    QtSerialPort second;
    QCOMPARE(OpenMapped(second, 2, link), OpenResult::PortInUse);
  }

  void notASerialDeviceIsOtherFailure() {
    QTemporaryDir dir;
    const QString plain = QDir(dir.path()).filePath(QStringLiteral("plain-file"));
    QFile file(plain);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QtSerialPort port;
    QCOMPARE(OpenMapped(port, 1, plain), OpenResult::OtherFailure);
    QVERIFY(!port.IsOpen());
  }

  void deniedDeviceIsAccessDenied() {
    if (::geteuid() == 0) QSKIP("root opens any device: the access test is covered through ClassifyOpenFailure");
    PtyPeer peer;
    QVERIFY(::chmod(QFile::encodeName(peer.path()).constData(), 0) == 0);
    Map(1, peer.path());
    QtSerialPort port;
    port.SetPortNumber(1);
    const OpenOutcome outcome = port.Open();
    QCOMPARE(outcome.result, OpenResult::AccessDenied);
    QVERIFY(!outcome.owningGroup.isEmpty());
  }

  void classifiesOpenFailures_data() {
    QTest::addColumn<QSerialPort::SerialPortError>("error");
    QTest::addColumn<bool>("accessAllowed");
    QTest::addColumn<OpenResult>("expected");
    QTest::newRow("no device") << QSerialPort::DeviceNotFoundError << true << OpenResult::InvalidPort;
    QTest::newRow("held by a lock") << QSerialPort::PermissionError << true << OpenResult::PortInUse;
    QTest::newRow("permission denied") << QSerialPort::PermissionError << false << OpenResult::AccessDenied;
    QTest::newRow("open error") << QSerialPort::OpenError << true << OpenResult::OtherFailure;
    QTest::newRow("unsupported") << QSerialPort::UnsupportedOperationError << true << OpenResult::OtherFailure;
  }
  void classifiesOpenFailures() {
    QFETCH(QSerialPort::SerialPortError, error);
    QFETCH(bool, accessAllowed);
    QFETCH(OpenResult, expected);
    QCOMPARE(ClassifyOpenFailure(error, accessAllowed), expected);
  }

  void hangUpClosesPortOnceWithoutStorm() {
    PtyPeer peer;
    QtSerialPort port;
    QCOMPARE(OpenMapped(port, 1, peer.path()), OpenResult::Opened);
    QSignalSpy lost(&port, &SerialPort::DeviceLost);
    QSignalSpy errors(&port.Port(), &QSerialPort::errorOccurred);

    peer.closeFarEnd();
    QVERIFY(lost.wait(5000));
    QVERIFY(!port.IsOpen());
    const qsizetype errorsAtClose = errors.count();
    QVERIFY2(errorsAtClose < 100, qPrintable(QStringLiteral("%1 error signals").arg(errorsAtClose)));

    // With the port still open the loop would now spin on error signals at full CPU.
    const test::IdleReport quiet = test::RunEventLoopWhileIdle();
    QCOMPARE(errors.count(), errorsAtClose);
    QCOMPARE(lost.count(), 1);
    QVERIFY2(quiet.cpuShare < 0.5, qPrintable(quiet.Describe()));
    qInfo("%s", qPrintable(quiet.Describe()));

    // The same number opens again once the line is back.
    PtyPeer again;
    Map(1, again.path());
    QCOMPARE(port.Open().result, OpenResult::Opened);
  }
};

QTEST_MAIN(SerialPortTest)
#include "tst_serial_port.moc"
