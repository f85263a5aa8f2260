// The port assignment window over a listing the test fills: what it lists, what it stores,
// what it refuses, and that the keyboard alone gets through it.

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "fake_device_listing.h"
#include "fake_system_tree.h"
#include "platform/files/settings_store.h"
#include "pty_peer.h"
#include "recording_message_boxes.h"
#include "settings_sandbox.h"
#include "ui/port_assignment_rows.h"
#include "ui/port_assignment_window.h"
#include "windows_controls.h"

using namespace hopper;
using namespace hopper::test;

namespace {
QString Cell(const PortAssignmentWindow& w, int row, int column) { return DeviceTable(w)->item(row, column)->text(); }
}  // namespace

class PortAssignmentTest : public QObject {
  Q_OBJECT
 private:
  std::unique_ptr<test::SettingsSandbox> sandbox_;
  std::shared_ptr<test::FakeDeviceListing> listing_;
  RecordingMessageBoxes messages_;

 private slots:
  void initTestCase() { sandbox_ = std::make_unique<test::SettingsSandbox>(); }
  void init() {
    QFile::remove(SettingsStore::FilePath());
    listing_ = std::make_shared<test::FakeDeviceListing>();
    messages_.shown.clear();
    messages_.asked.clear();
    messages_.answer = false;
  }

  void listsAndFollowsAdapters() {
    listing_->AddAdapter(QStringLiteral("/dev/ttyUSB0"), QStringLiteral("/dev/serial/by-id/usb-A"),
                         QStringLiteral("A1"));
    PortAssignmentWindow w(listing_, messages_, 1);
    QCOMPARE(DeviceTable(w)->rowCount(), 1);
    QCOMPARE(Cell(w, 0, kStableColumn), QStringLiteral("/dev/serial/by-id/usb-A"));
    QCOMPARE(Cell(w, 0, kSerialColumn), QStringLiteral("A1"));
    QCOMPARE(Cell(w, 0, kAssignedColumn), QStringLiteral("COM1 (automatic)"));
    QVERIFY(ResolvedLine(w)->text().contains(QStringLiteral("/dev/serial/by-id/usb-A")));

    listing_->AddAdapter(QStringLiteral("/dev/ttyACM0"));  // appears
    QTRY_COMPARE_WITH_TIMEOUT(DeviceTable(w)->rowCount(), 2, 10000);
    listing_->devices.erase(listing_->devices.begin());     // the first vanishes
    listing_->devices.front().systemPath = "/dev/ttyACM1";  // the other is renamed
    QTRY_COMPARE_WITH_TIMEOUT(DeviceTable(w)->rowCount(), 1, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(Cell(w, 0, kDeviceColumn), QStringLiteral("/dev/ttyACM1"), 10000);
    QCOMPARE(Cell(w, 0, kAssignedColumn), QStringLiteral("COM1 (automatic)"));
  }

  void assignsByStableNameWithTheKeyboardAlone() {
    test::PtyPeer peer;
    QTemporaryDir byId;
    const QString stable = byId.filePath(QStringLiteral("usb-Hopper_A1-if00-port0"));
    QVERIFY(QFile::link(peer.path(), stable));
    listing_->AddAdapter(peer.path(), stable, QStringLiteral("A1"));
    SettingsStore().SetLoadPath(QStringLiteral("/home/tech/sets"));
    PortAssignmentWindow w(listing_, messages_, 2);
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    DeviceTable(w)->setFocus();
    QCOMPARE(DevicePath(w)->text(), stable);  // the first device is chosen already
    // Tab leaves the list for the fields and the buttons, and comes round again.
    for (QWidget* next : std::initializer_list<QWidget*>{DevicePath(w), PortNumberBox(w), AssignButton(w),
                                                         AutomaticButton(w), CloseButton(w), DeviceTable(w)}) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget(), next);
    }
    QTest::keyClick(DeviceTable(w), Qt::Key_A, Qt::AltModifier);
    QTRY_COMPARE_WITH_TIMEOUT(w.Assigned(), std::optional<int>(2), 5000);  // after the button's flash
    QVERIFY(!w.isVisible());
    QCOMPARE(SettingsStore().MappedDevice(2), stable);
    QCOMPARE(SettingsStore().LoadPath({}), QStringLiteral("/home/tech/sets"));  // every other key kept
  }

  void showsWhatStandsInTheWay() {
    // Two look-alike adapters, one held by picocom; a modem manager; brltty took a third.
    for (const char* name : {"/dev/ttyUSB0", "/dev/ttyUSB1"}) {
      listing_->AddAdapter(QString::fromLatin1(name));
      SerialDevice& d = listing_->devices.back();
      d.vendorId = 0x0403;
      d.productId = 0x6001;
      d.portPath = "/dev/serial/by-path/usb-0:" + std::string(name).substr(11) + ":1.0-port0";
    }
    listing_->devices.front().stablePath = "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0";
    const test::FakeSystemTree system(
        {"proc/4711/comm=picocom", "proc/4711/fd/3->/dev/ttyUSB1", "proc/500/comm=ModemManager", "proc/600/comm=brltty",
         "sys/bus/usb/devices/1-2/idVendor=1a86", "sys/bus/usb/devices/1-2/idProduct=7523"});
    PortAssignmentWindow w(listing_, messages_, 1);
    w.SetSurvey(PortSurvey(system.Root(), 1));
    w.SetLineTrouble(QStringLiteral("/dev/ttyUSB0"), {QStringLiteral("this adapter's driver does not do even parity")});
    const QString text = FindingsText(w)->toPlainText();
    for (const char* part :
         {"/dev/ttyUSB0: this adapter's driver does not do even parity", "/dev/ttyUSB1: Held by picocom (process 4711)",
          "/dev/ttyUSB0: ModemManager is running", "ATTRS{idVendor}==\"0403\"", "/dev/ttyUSB1: Another adapter",
          "USB 1-2: The USB serial converter 1a86:7523", "brltty (process 600)"})
      QVERIFY2(text.contains(QLatin1String(part)), qPrintable(QStringLiteral("%1\nnot in:\n%2").arg(part, text)));
    // The stable name leads to either adapter: the chosen one is assigned by its USB path.
    QCOMPARE(DevicePath(w)->text(), QStringLiteral("/dev/serial/by-path/usb-0:0:1.0-port0"));
    QVERIFY(WarningLine(w)->text().contains(QStringLiteral("shares the stable name")));

    w.SetSurvey(PortSurvey(QDir(system.Root()).filePath(QStringLiteral("nothing")), 1));
    w.SetLineTrouble({}, {});
    listing_->devices.pop_back();
    QTRY_COMPARE_WITH_TIMEOUT(FindingsText(w)->toPlainText(), QStringLiteral("Nothing found in the way of any device."),
                              10000);
    QTRY_COMPARE_WITH_TIMEOUT(WarningLine(w)->text(), QString(), 10000);
  }

  void enterInTheListAssignsNothing() {
    listing_->AddAdapter(QStringLiteral("/dev/ttyS0"));
    PortAssignmentWindow w(listing_, messages_, 1);
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    DeviceTable(w)->setFocus();
    for (QPushButton* button : {AssignButton(w), AutomaticButton(w), CloseButton(w)}) QVERIFY(!button->isDefault());
    QTest::keyClick(DeviceTable(w), Qt::Key_Return);
    QTest::keyClick(DevicePath(w), Qt::Key_Return);
    QTest::keyClick(DeviceTable(w), Qt::Key_Enter);
    CloseButton(w)->setFocus();
    QTest::keyClick(CloseButton(w), Qt::Key_Return);  // Enter on a button presses it: the one thing that happened
    QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 5000);
    QCOMPARE(w.Assigned(), std::nullopt);
    QVERIFY(SettingsStore().MappedDevices().empty());
  }

  // The port the tool works on is COM1 on the first terminal; the technician assigns the second.
  void asksBeforeTakingThePortInUse_data() {
    QTest::addColumn<int>("portNumber");
    QTest::addColumn<bool>("sameDevice");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("assigned");
    QTest::newRow("port in use, No") << 1 << false << false << true << false;
    QTest::newRow("port in use, Yes") << 1 << false << true << true << true;
    QTest::newRow("port in use, same device") << 1 << true << false << false << true;
    QTest::newRow("another port") << 2 << false << false << false << true;
  }
  void asksBeforeTakingThePortInUse() {
    QFETCH(int, portNumber);
    QFETCH(bool, sameDevice);
    QFETCH(bool, answer);
    QFETCH(bool, asked);
    QFETCH(bool, assigned);
    test::PtyPeer working;
    test::PtyPeer other;
    QTemporaryDir byId;
    const QString stable = byId.filePath(QStringLiteral("usb-Hopper_A1-if00-port0"));
    QVERIFY(QFile::link(working.path(), stable));
    SettingsStore().SetMappedDevice(1, stable);
    const QString chosen = sameDevice ? working.path() : other.path();
    messages_.answer = answer;
    PortAssignmentWindow w(listing_, messages_, 1);
    PortNumberBox(w)->setValue(portNumber);
    DevicePath(w)->setText(chosen);
    AssignButton(w)->click();
    QCOMPARE(messages_.asked.size(), asked ? 1 : 0);
    if (asked) {
      const Message& q = messages_.asked.first();
      QVERIFY(q.text.contains(QStringLiteral("COM1")) && q.text.contains(chosen));
      QVERIFY(q.informative.contains(stable));
    }
    QCOMPARE(w.Assigned(), assigned ? std::optional<int>(portNumber) : std::nullopt);
    QCOMPARE(SettingsStore().MappedDevice(1), assigned && portNumber == 1 ? chosen : stable);
  }

  void refusesWhatIsNoSerialDevice_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("why");
    QTest::newRow("regular file") << QString() << "is a regular file";
    QTest::newRow("not a terminal") << QStringLiteral("/dev/null") << "not a terminal";
    QTest::newRow("missing") << QStringLiteral("/dev/no-such-adapter") << "does not exist";
  }
  void refusesWhatIsNoSerialDevice() {
    QFETCH(QString, path);
    QFETCH(QString, why);
    QTemporaryDir dir;
    if (path.isEmpty()) {
      path = dir.filePath(QStringLiteral("notes.txt"));
      QFile(path).open(QIODevice::WriteOnly);
    }
    PortAssignmentWindow w(listing_, messages_, 1);
    DevicePath(w)->setText(path);
    AssignButton(w)->click();
    QCOMPARE(messages_.shown.size(), 1);
    QVERIFY(messages_.shown.first().informative.contains(path + QLatin1Char(' ')));
    QVERIFY(messages_.shown.first().informative.contains(why));
    QCOMPARE(w.Assigned(), std::nullopt);
    QVERIFY(SettingsStore().MappedDevices().empty());
  }
};

QTEST_MAIN(PortAssignmentTest)
#include "tst_port_assignment.moc"
