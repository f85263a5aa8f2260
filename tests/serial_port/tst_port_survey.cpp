// What the port survey finds on a made-up system tree: a program holding a device, a modem
// manager not told to leave it alone, a braille-display service that took an adapter, two
// adapters sharing a stable name; and nothing where the tree cannot say.

#include <QtTest>

#include "fake_system_tree.h"
#include "platform/serial/port_survey.h"

using namespace hopper;

Q_DECLARE_METATYPE(std::vector<hopper::SerialDevice>)

namespace {
constexpr qint64 kOwnPid = 100;

SerialDevice Adapter(const std::string& path, int vendor = 0x0403, int product = 0x6001) {
  SerialDevice d;
  d.systemPath = path;
  d.vendorId = vendor;
  d.productId = product;
  d.serialNumber = path == "/dev/ttyUSB0" ? "A1" : "B2";
  d.portPath = "/dev/serial/by-path/pci-0000:00:14.0-usb-0:" + path.substr(path.size() - 1) + ":1.0-port0";
  return d;
}

const QStringList kModemManager{"proc/500/comm=ModemManager", "sys/class/tty/ttyUSB0/dev=188:0"};
const QStringList kBrltty{"proc/600/comm=brltty", "sys/bus/usb/devices/1-2/idVendor=1a86",
                          "sys/bus/usb/devices/1-2/idProduct=7523", "sys/bus/usb/devices/1-2/product=USB Serial",
                          "sys/bus/usb/devices/1-2/1-2:1.0/driver->/sys/bus/usb/drivers/usbfs"};
}  // namespace

class PortSurveyTest : public QObject {
  Q_OBJECT
 private slots:
  void findings_data() {
    QTest::addColumn<QStringList>("tree");
    QTest::addColumn<std::vector<SerialDevice>>("devices");
    QTest::addColumn<QStringList>("found");  // "device: part of the text", in order
    const std::vector<SerialDevice> one{Adapter("/dev/ttyUSB0")};
    QTest::newRow("nothing running") << QStringList{"proc/1/comm=init"} << one << QStringList{};
    QTest::newRow("held, by its descriptor") << QStringList{"proc/4711/comm=picocom", "proc/4711/fd/3->/dev/ttyUSB0"}
                                             << one << QStringList{"/dev/ttyUSB0: Held by picocom (process 4711)"};
    QTest::newRow("held, by its lock file")
        << QStringList{"proc/4712/comm=minicom", "run/lock/LCK..ttyUSB0=      4712"} << one
        << QStringList{"/dev/ttyUSB0: minicom (process 4712), by its lock file /run/lock/LCK..ttyUSB0"};
    QTest::newRow("lock file of a process long gone")
        << QStringList{"var/lock/LCK..ttyUSB0=999"} << one << QStringList{};
    QTest::newRow("held by this program")
        << QStringList{"proc/100/comm=hopper", "proc/100/fd/7->/dev/ttyUSB0"} << one << QStringList{};
    QTest::newRow("descriptors unreadable")
        << QStringList{"proc/4711/comm=picocom", "proc/4711/fd=not a folder"} << one << QStringList{};
    QTest::newRow("holder nameless") << QStringList{"proc/4713/fd/0->/dev/ttyUSB0"} << one
                                     << QStringList{"/dev/ttyUSB0: Held by process 4713:"};
    QTest::newRow("modem manager, not told")
        << kModemManager << one
        << QStringList{
               "/dev/ttyUSB0: ATTRS{idVendor}==\"0403\", ATTRS{idProduct}==\"6001\", "
               "ENV{ID_MM_DEVICE_IGNORE}=\"1\""};
    QTest::newRow("modem manager, told") << kModemManager + QStringList{"run/udev/data/c188:0=E:ID_MM_DEVICE_IGNORE=1"}
                                         << one << QStringList{};
    QTest::newRow("modem manager, udev data unreadable")
        << QStringList{"proc/500/comm=ModemManager"} << one << QStringList{"/dev/ttyUSB0: ModemManager is running"};
    QTest::newRow("modem manager, device not USB")
        << kModemManager << std::vector<SerialDevice>{Adapter("/dev/ttyS0", -1, -1)} << QStringList{};
    QTest::newRow("braille service took the adapter")
        << kBrltty << one
        << QStringList{"USB 1-2: 1a86:7523 (USB Serial) is plugged in but has no serial device",
                       "USB 1-2: sudo systemctl mask --now brltty-udev.service"};
    QTest::newRow("braille service, adapter has its tty")
        << kBrltty + QStringList{"sys/bus/usb/devices/1-2/1-2:1.0/ttyUSB0/"} << one << QStringList{};
    QTest::newRow("no braille service") << kBrltty.mid(1) << one << QStringList{};
    QTest::newRow("braille service, ids unreadable")
        << QStringList{"proc/600/comm=brltty", "sys/bus/usb/devices/1-2/idVendor=zz",
                       "sys/bus/usb/devices/1-2/1-2:1.0/driver->/sys/bus/usb/drivers/usbfs"}
        << one << QStringList{};
    SerialDevice twin = Adapter("/dev/ttyUSB1");
    twin.serialNumber = "A1";
    QTest::newRow("two adapters, one stable name")
        << QStringList{} << std::vector<SerialDevice>{Adapter("/dev/ttyUSB0"), twin}
        << QStringList{"/dev/ttyUSB0: by its USB path /dev/serial/by-path/pci-0000:00:14.0-usb-0:0:1.0-port0",
                       "/dev/ttyUSB1: by its USB path /dev/serial/by-path/pci-0000:00:14.0-usb-0:1:1.0-port0"};
    QTest::newRow("two adapters, serial numbers differ")
        << QStringList{} << std::vector<SerialDevice>{Adapter("/dev/ttyUSB0"), Adapter("/dev/ttyUSB1")}
        << QStringList{};
  }
  void findings() {
    QFETCH(QStringList, tree);
    QFETCH(std::vector<SerialDevice>, devices);
    QFETCH(QStringList, found);
    const test::FakeSystemTree system(tree);
    const std::vector<PortFinding> findings = PortSurvey(system.Root(), kOwnPid).Look(devices);
    QStringList texts;
    for (const PortFinding& f : findings) texts << QString::fromStdString(f.device + ": " + FindingText(f));
    // One finding per expected line, unless two lines name one finding's parts.
    QVERIFY2(found.isEmpty() == texts.isEmpty(), qPrintable(texts.join('\n')));
    for (const QString& part : found) {
      const QString device = part.section(QStringLiteral(": "), 0, 0);
      const QString words = part.section(QStringLiteral(": "), 1);
      QVERIFY2(std::any_of(texts.begin(), texts.end(),
                           [&](const QString& t) { return t.startsWith(device + ": ") && t.contains(words); }),
               qPrintable(part + QStringLiteral("\nnot in:\n") + texts.join('\n')));
    }
  }
};

QTEST_MAIN(PortSurveyTest)
#include "tst_port_survey.moc"
