// The Windows serial port: how failed openings are told, the line settings it asks for, what
// the port list says about an adapter, where settings and backups live, and, given a COM port
// whose far end echoes (HOPPER_TEST_PORT, under Wine a pseudo-terminal), bytes both ways.

#include <QDir>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "fake_device_listing.h"
#include "platform/files/backup_store.h"
#include "platform/files/parameter_file_io.h"
#include "platform/files/settings_store.h"
#include "platform/serial/adapter_records_win32.h"
#include "platform/serial/device_access.h"
#include "platform/serial/port_survey.h"
#include "platform/serial/registry_device_listing.h"
#include "platform/serial/resume_notice_win32.h"
#include "platform/serial/system_serial.h"
#include "platform/serial/win32_serial_port.h"

using namespace hopper;

Q_DECLARE_METATYPE(hopper::OpenResult)

namespace {

// The COM port with an echoing far end, or empty when the test has none.
QString EchoPort() { return qEnvironmentVariable("HOPPER_TEST_PORT"); }

// Wine gives a COM port to a second opener, where Windows answers "access denied".
bool UnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

// The processor time this process has used, in milliseconds.
qint64 ProcessorMs() {
  FILETIME created, ended, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
  auto ms = [](const FILETIME& time) {
    return static_cast<qint64>((static_cast<quint64>(time.dwHighDateTime) << 32 | time.dwLowDateTime) / 10000);
  };
  return ms(kernel) + ms(user);
}

// Every byte received until `count` have come or the generous limit has passed.
QByteArray Collect(Win32SerialPort& port, qsizetype count) {
  QByteArray received = port.ReadAll();
  QSignalSpy arrived(&port, &SerialPort::BytesArrived);
  QDeadlineTimer limit(10000);
  while (received.size() < count && !limit.hasExpired()) {
    if (port.BytesWaiting() == 0) arrived.wait(static_cast<int>(std::max<qint64>(1, limit.remainingTime())));
    received += port.ReadAll();
  }
  return received;
}

}  // namespace

class Win32SerialPortTest : public QObject {
  Q_OBJECT
 private:
  std::shared_ptr<test::FakeDeviceListing> listing_ = std::make_shared<test::FakeDeviceListing>();

  void OpenEchoPort(Win32SerialPort& port) {
    if (EchoPort().isEmpty()) QSKIP("no COM port with an echoing far end (HOPPER_TEST_PORT)");
    port.SetDevice(EchoPort());
    const OpenOutcome outcome = port.Open();
    QVERIFY2(outcome.result == OpenResult::Opened, qPrintable(outcome.detail));
  }

 private slots:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

  void openErrorsMapToOutcomes_data() {
    QTest::addColumn<quint32>("error");
    QTest::addColumn<OpenResult>("result");
    QTest::newRow("no such port") << quint32(ERROR_FILE_NOT_FOUND) << OpenResult::InvalidPort;
    QTest::newRow("no such path") << quint32(ERROR_PATH_NOT_FOUND) << OpenResult::InvalidPort;
    QTest::newRow("bad name") << quint32(ERROR_INVALID_NAME) << OpenResult::InvalidPort;
    QTest::newRow("held by another program") << quint32(ERROR_ACCESS_DENIED) << OpenResult::PortInUse;
    QTest::newRow("shared elsewhere") << quint32(ERROR_SHARING_VIOLATION) << OpenResult::PortInUse;
    QTest::newRow("busy") << quint32(ERROR_BUSY) << OpenResult::PortInUse;
    QTest::newRow("device fault") << quint32(ERROR_GEN_FAILURE) << OpenResult::OtherFailure;
  }
  void openErrorsMapToOutcomes() {
    QFETCH(quint32, error);
    QFETCH(OpenResult, result);
    QCOMPARE(ClassifyOpenError(error), result);
  }

  // Windows has no device groups: no failure may lead to the advice to join one.
  void noFailureAdvisesAGroup() {
    for (DWORD error = 0; error < 16000; ++error)
      QVERIFY2(ClassifyOpenError(error) != OpenResult::AccessDenied, qPrintable(QString::number(error)));
    const DeviceAccess access = AccessOf(QStringLiteral("COM3"));
    QVERIFY(access.mayOpen);
    QCOMPARE(access.group, QString());
    QCOMPARE(access.holder, qint64(0));
  }

  void lineStateIsTheSettingLine() {
    DCB base{};
    base.fOutX = TRUE;  // left on by an earlier program
    base.fOutxCtsFlow = TRUE;
    base.fNull = TRUE;
    base.fRtsControl = RTS_CONTROL_HANDSHAKE;
    const DCB state = SettingLineState(base);
    QCOMPARE(state.DCBlength, DWORD(sizeof(DCB)));
    QCOMPARE(state.BaudRate, DWORD(9600));
    QCOMPARE(state.ByteSize, BYTE(8));
    QCOMPARE(state.Parity, BYTE(EVENPARITY));
    QCOMPARE(state.fParity, DWORD(TRUE));
    QCOMPARE(state.StopBits, BYTE(ONESTOPBIT));
    QCOMPARE(state.fBinary, DWORD(TRUE));
    QCOMPARE(state.fOutX, DWORD(FALSE));
    QCOMPARE(state.fInX, DWORD(FALSE));
    QCOMPARE(state.fOutxCtsFlow, DWORD(FALSE));
    QCOMPARE(state.fNull, DWORD(FALSE));
    QCOMPARE(state.fRtsControl, DWORD(RTS_CONTROL_ENABLE));
  }

  void readsWaitWritesDoNot() {
    const COMMTIMEOUTS timeouts = SettingLineTimeouts();
    QCOMPARE(timeouts.ReadIntervalTimeout, DWORD(0));
    QCOMPARE(timeouts.ReadTotalTimeoutMultiplier, DWORD(0));
    QCOMPARE(timeouts.ReadTotalTimeoutConstant, DWORD(0));
    QVERIFY(timeouts.WriteTotalTimeoutConstant > 0);
  }

  void portDetailsNameTheAdapter_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("friendlyName");
    QTest::addColumn<QString>("instanceId");
    QTest::addColumn<QString>("description");
    QTest::addColumn<int>("vendor");
    QTest::addColumn<int>("product");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<int>("classic");
    QTest::newRow("FTDI adapter") << "COM7"
                                  << "USB Serial Port (COM7)"
                                  << "USB\\VID_0403&PID_6001\\A50285BI"
                                  << "USB Serial Port" << 0x0403 << 0x6001 << "A50285BI" << 7;
    QTest::newRow("serial made up by Windows") << "COM12"
                                               << "Prolific USB-to-Serial Comm Port (COM12)"
                                               << "USB\\VID_067B&PID_2303\\5&2A6B0C0&0&2"
                                               << "Prolific USB-to-Serial Comm Port" << 0x067B << 0x2303 << "" << 12;
    QTest::newRow("interface of a composite device") << "COM4"
                                                     << "USB Serial Device (COM4)"
                                                     << "USB\\VID_2341&PID_0043&MI_00\\6&1A2B3C&0&0000"
                                                     << "USB Serial Device" << 0x2341 << 0x0043 << "" << 4;
    QTest::newRow("built-in port") << "COM1"
                                   << "Communications Port (COM1)"
                                   << "ACPI\\PNP0501\\0"
                                   << "Communications Port" << -1 << -1 << "" << 1;
    QTest::newRow("nothing known") << "COM200"
                                   << ""
                                   << ""
                                   << "" << -1 << -1 << "" << 200;
  }
  void portDetailsNameTheAdapter() {
    QFETCH(QString, name);
    QFETCH(QString, friendlyName);
    QFETCH(QString, instanceId);
    const SerialDevice device = DeviceOfPort(name, {friendlyName, QStringLiteral("FTDI"), instanceId});
    QCOMPARE(QString::fromStdString(device.systemPath), name);
    QCOMPARE(QString::fromStdString(device.stablePath), QString());  // no /dev/serial/by-id here
    QTEST(QString::fromStdString(device.description), "description");
    QTEST(device.vendorId, "vendor");
    QTEST(device.productId, "product");
    QTEST(QString::fromStdString(device.serialNumber), "serial");
    QTEST(device.classicNumber, "classic");
  }

  void portListHasNoDuplicates() {
    const std::vector<SerialDevice> devices = RegistryDeviceListing().List();
    QSet<QString> names;
    for (const SerialDevice& device : devices) {
      const QString name = QString::fromStdString(device.systemPath);
      QVERIFY2(name.startsWith(QStringLiteral("COM")), qPrintable(name));
      QVERIFY2(!names.contains(name), qPrintable(name));
      names.insert(name);
    }
  }

  void settingsAndBackupsLiveUnderLocalAppData() {
    QStandardPaths::setTestModeEnabled(false);
    const QString local = QDir::fromNativeSeparators(qEnvironmentVariable("LOCALAPPDATA"));
    const QString settings = SettingsStore::FilePath();
    const QString backups = BackupStore::DefaultFolder();
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(!local.isEmpty());
    QCOMPARE(settings.toLower(), (local + QStringLiteral("/Hopper kit/Hopper kit.ini")).toLower());
    QVERIFY2(backups.toLower().startsWith(local.toLower() + QLatin1Char('/')), qPrintable(backups));
  }

  // Whatever the machine has (under Wine: few devices or none), reading it goes through and
  // every record names its device.
  void adapterRecordsAreRead() {
    for (const AdapterRecord& adapter : AdapterRecords()) {
      QVERIFY(!adapter.instanceId.empty());
      for (const PortFinding& finding : AdapterFindings(adapter)) QVERIFY(!finding.device.empty());
    }
    const std::vector<PortFinding> findings = PortSurvey().Look(RegistryDeviceListing().List());
    for (const PortFinding& finding : findings) QVERIFY(!FindingText(finding).empty());
  }

  // A parameter file saved over an older one: flushed, then put in its place, nothing left beside it.
  void savedFileReplacesTheOlder() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("set.TXT"));
    QCOMPARE(WriteWholeFile(path, "old\r\n"), QString());
    QCOMPARE(WriteWholeFile(path, "new\r\n"), QString());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("new\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("set.TXT")});
  }

  // The program's port is patient: a port another program holds is told as in use after its
  // patience, and a wake from sleep gives up the open line and announces it back.
  void systemPortWaitsThenTellsInUse() {
    if (EchoPort().isEmpty()) QSKIP("no COM port with an echoing far end (HOPPER_TEST_PORT)");
    Win32SerialPort holder(listing_);
    OpenEchoPort(holder);
    std::unique_ptr<SerialPort> port = MakeSystemSerialPort(EchoPort());
    const OpenOutcome outcome = port->Open();
    if (UnderWine() && outcome.result != OpenResult::PortInUse)
      QSKIP(qPrintable(
          QStringLiteral("Wine let a second handle open the port held open (then: %1)").arg(outcome.detail)));
    QCOMPARE(outcome.result, OpenResult::PortInUse);
    QVERIFY(!port->IsOpen());
  }

  void wakeFromSleepCountsAsAReplug() {
    if (EchoPort().isEmpty()) QSKIP("no COM port with an echoing far end (HOPPER_TEST_PORT)");
    std::unique_ptr<SerialPort> port = MakeSystemSerialPort(EchoPort());
    const OpenOutcome opened = port->Open();
    QVERIFY2(opened.result == OpenResult::Opened, qPrintable(opened.detail));
    QSignalSpy lost(port.get(), &SerialPort::DeviceLost);
    QSignalSpy returned(port.get(), &SerialPort::DeviceReturned);
    emit ResumeNotice::Instance().Resumed();
    QVERIFY(returned.wait(10000));
    QCOMPARE(lost.size(), 1);
    QVERIFY(!port->IsOpen());
  }

  void portNumberIsTheWindowsPort() {
    Win32SerialPort port(listing_);
    QCOMPARE(port.DeviceFor(12), QStringLiteral("COM12"));
    QCOMPARE(port.DeviceFor(1), QStringLiteral("COM1"));
    SettingsStore().SetMappedDevice(3, QStringLiteral("COM9"));
    QCOMPARE(port.DeviceFor(3), QStringLiteral("COM9"));
    SettingsStore().RemoveMappedDevice(3);
  }

  void missingPortIsAPortNumberError() {
    Win32SerialPort port(listing_);
    port.SetPortNumber(231);
    const OpenOutcome outcome = port.Open();
    QCOMPARE(outcome.result, OpenResult::InvalidPort);
    QCOMPARE(outcome.device, QStringLiteral("COM231"));
    QVERIFY(!outcome.detail.isEmpty());
    QVERIFY(!port.IsOpen());
    QVERIFY(!port.Write(std::vector<std::uint8_t>{0x01}));
  }

  void deviceThatIsNoPortIsRefused() {
    Win32SerialPort port(listing_);
    port.SetDevice(QStringLiteral("NUL"));
    const OpenOutcome outcome = port.Open();
    QCOMPARE(outcome.result, OpenResult::InvalidPort);
    QVERIFY(!port.IsOpen());
  }

  void everyByteValueComesBack() {
    Win32SerialPort port(listing_);
    OpenEchoPort(port);
    // Parity shows only here: a pseudo-terminal behind the port cannot keep it.
    QCOMPARE(port.LineState().Parity, BYTE(EVENPARITY));
    QCOMPARE(port.LineState().BaudRate, DWORD(9600));
    std::vector<std::uint8_t> all(256);
    for (int i = 0; i < 256; ++i) all[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    QVERIFY(port.Write(all));
    const QByteArray back = Collect(port, 256);
    QCOMPARE(back.size(), 256);
    QCOMPARE(back, QByteArray(reinterpret_cast<const char*>(all.data()), 256));
  }

  void singleBytesOneByOne() {
    Win32SerialPort port(listing_);
    OpenEchoPort(port);
    for (std::uint8_t sent : {0x00, 0x11, 0x13, 0x7E, 0xFF}) {
      QVERIFY(port.WriteByte(sent));
      QSignalSpy arrived(&port, &SerialPort::BytesArrived);
      QTRY_VERIFY_WITH_TIMEOUT(port.BytesWaiting() > 0, 10000);
      QCOMPARE(port.ReadByte(), std::optional<std::uint8_t>(sent));
      QCOMPARE(port.ReadByte(), std::nullopt);
    }
  }

  void idleLineCostsNothing() {
    Win32SerialPort port(listing_);
    OpenEchoPort(port);
    QSignalSpy arrived(&port, &SerialPort::BytesArrived);
    const qint64 before = ProcessorMs();
    QTest::qWait(1000);  // the event loop runs; a read that never waits would spin here
    const qint64 used = ProcessorMs() - before;
    QCOMPARE(arrived.count(), 0);
    QVERIFY2(used < 300, qPrintable(QStringLiteral("%1 ms of processor time in an idle second").arg(used)));
  }

  void closedWhileReadingAndOpenedAgain() {
    Win32SerialPort port(listing_);
    OpenEchoPort(port);
    port.Close();  // a read is pending now
    QVERIFY(!port.IsOpen());
    QVERIFY(!port.WriteByte(0x55));
    QCOMPARE(port.ReadByte(), std::nullopt);
    QCOMPARE(port.Open().result, OpenResult::Opened);
    QVERIFY(port.WriteByte(0xA5));
    QCOMPARE(Collect(port, 1), QByteArray(1, char(0xA5)));
    // A second Open() of an open port starts over on the same line.
    QCOMPARE(port.Open().result, OpenResult::Opened);
    QVERIFY(port.WriteByte(0x5A));
    QCOMPARE(Collect(port, 1), QByteArray(1, char(0x5A)));
  }
};

QTEST_GUILESS_MAIN(Win32SerialPortTest)
#include "tst_win32_serial_port.moc"
