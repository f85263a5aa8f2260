// The serial port service on a pseudo-terminal: mapping port numbers to devices, the line
// settings, bytes both ways, and every kind of failed opening.

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "cpu_watch.h"
#include "fake_device_listing.h"
#include "platform/files/settings_store.h"
#include "platform/serial/qt_device_listing.h"
#include "platform/serial/qt_serial_port.h"
#include "platform/serial/serial_device_check.h"
#include "platform/serial/termios_driver_line.h"
#include "pty_peer.h"
#include "settings_sandbox.h"

using namespace hopper;
using hopper::test::PtyPeer;

Q_DECLARE_METATYPE(hopper::LineSettings)

namespace {
// A driver that took what the test says, and counted the errors it says.
struct PlayedDriver final : DriverLine {
  std::optional<LineSettings> taken;
  std::optional<LineErrorCounts> errors;
  std::optional<LineSettings> Taken(int) const override { return taken; }
  std::optional<LineErrorCounts> Errors(int) const override { return errors; }
};
}  // namespace

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
    auto listing = std::make_shared<test::FakeDeviceListing>();
    listing->devices.push_back({"/dev/ttyS0", {}, {}, {}, {}, -1, -1, 1, {}});
    QtSerialPort port(listing);
    QCOMPARE(port.DeviceFor(0), QString());
    QCOMPARE(port.DeviceFor(1), QStringLiteral("/dev/ttyS0"));
    QCOMPARE(port.DeviceFor(7), QString());
    QVERIFY(port.Explain(7).contains(QStringLiteral("no unassigned serial adapter")));
    Map(1, QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(port.DeviceFor(1), QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(port.Explain(1), QStringLiteral("COM1: /dev/ttyUSB0 (assigned in the settings)"));
  }

  void listingNamesStableNameAndUsbPath() {
    PtyPeer peer;
    QTemporaryDir byId, byPath;
    QVERIFY(QFile::link(peer.path(), byId.filePath(QStringLiteral("usb-Hopper_A1-if00-port0"))));
    QVERIFY(QFile::link(peer.path(), byPath.filePath(QStringLiteral("pci-0000:00:14.0-usb-0:2:1.0-port0"))));
    const std::vector<SerialDevice> devices = QtDeviceListing(byId.path(), byPath.path()).List();
    const auto adapter = std::find_if(devices.begin(), devices.end(), [&](const SerialDevice& d) {
      return QString::fromStdString(d.stablePath) == byId.filePath(QStringLiteral("usb-Hopper_A1-if00-port0"));
    });
    QVERIFY(adapter != devices.end());
    QCOMPARE(QString::fromStdString(adapter->portPath),
             byPath.filePath(QStringLiteral("pci-0000:00:14.0-usb-0:2:1.0-port0")));
  }

  void firstStartOpensTheOnlyAdapterOnCom1() {
    PtyPeer peer;
    auto listing = std::make_shared<test::FakeDeviceListing>();
    listing->AddAdapter(peer.path());
    QVERIFY(!QFile::exists(SettingsStore::FilePath()));
    QtSerialPort port(listing);
    port.SetPortNumber(1);
    const OpenOutcome outcome = port.Open();
    QCOMPARE(outcome.result, OpenResult::Opened);
    QCOMPARE(outcome.device, peer.path());
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

  void driverThatDroppedASettingIsTold_data() {
    QTest::addColumn<LineSettings>("taken");
    QTest::addColumn<QString>("trouble");  // empty: none
    QTest::newRow("all taken") << kSettingLine << QString();
    QTest::newRow("parity dropped")
        << LineSettings{9600, LineParity::None, 8, 1}
        << "this adapter's driver does not do even parity: use another adapter or a newer kernel";
    QTest::newRow("odd for even") << LineSettings{9600, LineParity::Odd, 8, 1} << "does not do even parity";
    QTest::newRow("other speed") << LineSettings{38400, LineParity::Even, 8, 1} << "9600 baud (it runs at 38400)";
    QTest::newRow("seven bits") << LineSettings{9600, LineParity::Even, 7, 1} << "does not do 8 data bits";
    QTest::newRow("two stop bits") << LineSettings{9600, LineParity::Even, 8, 2} << "does not do 1 stop bit:";
  }
  void driverThatDroppedASettingIsTold() {
    QFETCH(LineSettings, taken);
    QFETCH(QString, trouble);
    PtyPeer peer;
    QtSerialPort port;
    auto driver = std::make_shared<PlayedDriver>();
    driver->taken = taken;
    driver->errors = LineErrorCounts{3, 1};
    port.SetDriverLine(driver);
    QCOMPARE(OpenMapped(port, 1, peer.path()), OpenResult::Opened);
    QCOMPARE(port.LineTrouble().size(), trouble.isEmpty() ? 0 : 1);
    if (!trouble.isEmpty()) QVERIFY2(port.LineTrouble().first().contains(trouble), qPrintable(port.LineTrouble()[0]));
    QCOMPARE(port.ErrorCounts(), std::optional(LineErrorCounts{3, 1}));
    port.Close();
    QCOMPARE(port.ErrorCounts(), std::nullopt);  // a closed line counts nothing
  }

  void pseudoTerminalClaimsNoDriverSettings() {
    PtyPeer peer;
    QtSerialPort port;  // the system's own driver read-back
    QCOMPARE(OpenMapped(port, 1, peer.path()), OpenResult::Opened);
    QVERIFY(port.LineTrouble().isEmpty());  // it dropped parity, but no line is behind it
    QCOMPARE(TermiosDriverLine().Taken(port.Port().handle()), std::nullopt);
    QCOMPARE(port.ErrorCounts(), std::nullopt);
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

  // A terminal program that locks the device the way picocom does (flock), played by flock(1).
  void deviceLockedByAnotherProgramIsInUseAndNamesIt() {
    const QString flock = QStandardPaths::findExecutable(QStringLiteral("flock"));
    if (flock.isEmpty()) QSKIP("flock(1) is not installed");
    PtyPeer peer;
    QProcess holder;
    holder.start(flock, {QStringLiteral("--exclusive"), peer.path(), QStringLiteral("-c"),
                         QStringLiteral("echo locked; read line")});
    QVERIFY(holder.waitForReadyRead(30000));
    QtSerialPort port;
    port.SetDevice(peer.path());
    const OpenOutcome outcome = port.Open();
    QCOMPARE(outcome.result, OpenResult::PortInUse);
    QVERIFY(!port.IsOpen());
    QVERIFY2(outcome.detail.contains(QStringLiteral("flock (process %1)").arg(holder.processId())),
             qPrintable(outcome.detail));
    holder.closeWriteChannel();  // the program ends, and its lock with it
    QVERIFY(holder.waitForFinished(30000));
    QCOMPARE(port.Open().result, OpenResult::Opened);
  }

  void openPortKeepsLockingProgramsOutUntilClosed() {
    const QString flock = QStandardPaths::findExecutable(QStringLiteral("flock"));
    if (flock.isEmpty()) QSKIP("flock(1) is not installed");
    PtyPeer peer;
    QtSerialPort port;
    port.SetDevice(peer.path());
    QCOMPARE(port.Open().result, OpenResult::Opened);
    const QStringList tryLock{QStringLiteral("--nonblock"), peer.path(), QStringLiteral("true")};
    QCOMPARE(QProcess::execute(flock, tryLock), 1);
    port.Close();
    QCOMPARE(QProcess::execute(flock, tryLock), 0);
  }

  // The test runs as a session of its own whose terminal is the pseudo-terminal, as the tool
  // started in a terminal window runs in that one.
  void ownTerminalIsRefusedWithWhy() {
    PtyPeer peer;
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
      const bool own = ::setsid() >= 0 && ::open(QFile::encodeName(peer.path()).constData(), O_RDWR) >= 0;
      const QString why = SerialDeviceProblem(peer.path(), false);
      ::_exit(!own ? 2 : why.contains(QStringLiteral("is the terminal this program runs in")) ? 0 : 1);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
    QVERIFY(SerialDeviceProblem(peer.path(), false).isEmpty());  // another program's terminal is a line
  }

  void notASerialDeviceIsRefusedWithWhy_data() {
    QTest::addColumn<QString>("name");  // in a temporary folder, or an absolute path
    QTest::addColumn<QString>("why");
    QTest::newRow("regular file") << "plain-file"
                                  << "is a regular file, not a serial device";
    QTest::newRow("folder") << "folder"
                            << "is a folder, not a serial device";
    QTest::newRow("missing") << "missing"
                             << "does not exist";
    QTest::newRow("dangling link") << "dangling"
                                   << "which does not exist";
    QTest::newRow("not a terminal") << "/dev/null"
                                    << "not a serial port (not a terminal)";
    QTest::newRow("whichever terminal opens it") << "/dev/tty"
                                                 << "the terminal of whichever program opens it";
  }
  void notASerialDeviceIsRefusedWithWhy() {
    QFETCH(QString, name);
    QFETCH(QString, why);
    QTemporaryDir dir;
    QFile(dir.filePath(QStringLiteral("plain-file"))).open(QIODevice::WriteOnly);
    QDir(dir.path()).mkdir(QStringLiteral("folder"));
    QFile::link(dir.filePath(QStringLiteral("gone")), dir.filePath(QStringLiteral("dangling")));
    const QString path = name.startsWith(QLatin1Char('/')) ? name : dir.filePath(name);
    Map(1, path);
    QtSerialPort port;
    port.SetPortNumber(1);
    const OpenOutcome outcome = port.Open();
    QCOMPARE(outcome.result, OpenResult::InvalidPort);
    QVERIFY2(outcome.detail.contains(path) && outcome.detail.contains(why), qPrintable(outcome.detail));
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

  void lostDeviceIsWatchedUntilItsLinkReturns() {
    QTemporaryDir links;
    const QString link = links.filePath(QStringLiteral("usb-Hopper_Adapter-if00"));
    auto peer = std::make_unique<PtyPeer>();
    QVERIFY(QFile::link(peer->path(), link));
    QtSerialPort port;
    QCOMPARE(OpenMapped(port, 1, link), OpenResult::Opened);
    QSignalSpy lost(&port, &SerialPort::DeviceLost);
    QSignalSpy returned(&port, &SerialPort::DeviceReturned);

    peer->closeFarEnd();
    QVERIFY(lost.wait(5000));
    QFile::remove(link);
    peer = std::make_unique<PtyPeer>();  // plugged in again, under another device name
    QVERIFY(QFile::link(peer->path(), link));
    QVERIFY(returned.wait(10000));
    QCOMPARE(port.Open().result, OpenResult::Opened);
  }

  void sameAdapterIsKnownAgain_data() {
    QTest::addColumn<QString>("opened");  // the path the port had open; "pty": a live pseudo-terminal's
    QTest::addColumn<QString>("listed");  // system path, stable path, serial number of the one device listed now
    QTest::addColumn<bool>("present");
    const QString usb = QStringLiteral("/dev/no-such-ttyUSB0");
    QTest::newRow("same serial, new name") << usb << "/dev/ttyUSB1,,A1" << true;
    QTest::newRow("other adapter") << usb << "/dev/ttyUSB1,,B7" << false;
    QTest::newRow("nothing listed") << usb << ",," << false;
    // The number of a pseudo-terminal that went away goes to the next one anybody opens.
    QTest::newRow("pseudo-terminal number taken again") << "pty"
                                                        << ",," << false;
  }
  void sameAdapterIsKnownAgain() {
    QFETCH(QString, opened);
    QFETCH(QString, listed);
    QFETCH(bool, present);
    PtyPeer other;
    if (opened == QStringLiteral("pty")) opened = other.path();
    const QStringList parts = listed.split(QLatin1Char(','));
    test::FakeDeviceListing before;
    before.AddAdapter(opened, {}, QStringLiteral("A1"));
    const DeviceIdentity identity = IdentityOf(opened, before.List());
    QCOMPARE(identity.serialNumber, QStringLiteral("A1"));
    test::FakeDeviceListing now;
    if (!parts[0].isEmpty()) now.AddAdapter(parts[0], parts[1], parts[2]);
    QCOMPARE(ReplugWatch::IsPresent(identity, now.List()), present);
  }
};

QTEST_MAIN(SerialPortTest)
#include "tst_serial_port.moc"
