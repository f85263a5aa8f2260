#include <QtTest>

#include "core/port_resolution.h"

using namespace hopper;

namespace {
// "ttyS0=1 ttyUSB1@usb-B": /dev/ttyS0, built-in port 1; /dev/ttyUSB1, stable name usb-B. A "~"
// after the name: one of several look-alike adapters, plugged in at /dev/serial/by-path/<name>.
std::vector<SerialDevice> Devices(const QString& list) {
  std::vector<SerialDevice> devices;
  for (QString item : list.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
    SerialDevice device;
    if (item.contains(QLatin1Char('~'))) {
      item.remove(QLatin1Char('~'));
      device.vendorId = 0x1a86;
      device.productId = 0x7523;
      device.portPath = "/dev/serial/by-path/" + item.section(QLatin1Char('@'), 0, 0).toStdString();
    }
    QString name = item.section(QLatin1Char('='), 0, 0);
    device.classicNumber = item.section(QLatin1Char('='), 1).toInt();
    if (name.contains(QLatin1Char('@'))) device.stablePath = "/dev/serial/by-id/" + name.section('@', 1).toStdString();
    device.systemPath = "/dev/" + name.section(QLatin1Char('@'), 0, 0).toStdString();
    devices.push_back(device);
  }
  return devices;
}
// "1=/dev/x;3=": COM1 assigned to /dev/x, COM3 stored empty.
PortEntries Entries(const QString& list) {
  PortEntries entries;
  for (const QString& item : list.split(QLatin1Char(';'), Qt::SkipEmptyParts))
    entries[item.section(QLatin1Char('='), 0, 0).toInt()] = item.section(QLatin1Char('='), 1).toStdString();
  return entries;
}
}  // namespace

class PortResolutionTest : public QObject {
  Q_OBJECT
 private slots:
  void resolve_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("entries");
    QTest::addColumn<QString>("devices");
    QTest::addColumn<QString>("device");   // empty: refused
    QTest::addColumn<QString>("refusal");  // a part of the reason
    const QString byIdA = "/dev/serial/by-id/usb-A";
    QTest::newRow("laptop, one adapter") << 1 << ""
                                         << "ttyUSB0"
                                         << "/dev/ttyUSB0"
                                         << "";
    QTest::newRow("one adapter by its stable name") << 1 << ""
                                                    << "ttyUSB0@usb-A" << byIdA << "";
    QTest::newRow("no second adapter for COM2") << 2 << ""
                                                << "ttyUSB0"
                                                << ""
                                                << "no unassigned serial adapter";
    QTest::newRow("built-in keeps COM1") << 1 << ""
                                         << "ttyS0=1 ttyUSB0"
                                         << "/dev/ttyS0"
                                         << "";
    QTest::newRow("adapter after a built-in") << 2 << ""
                                              << "ttyS0=1 ttyUSB0"
                                              << "/dev/ttyUSB0"
                                              << "";
    QTest::newRow("stable names order adapters") << 2 << ""
                                                 << "ttyUSB0@usb-B ttyUSB1@usb-A"
                                                 << "/dev/serial/by-id/usb-B"
                                                 << "";
    QTest::newRow("look-alikes: the stable one by its USB path") << 1 << ""
                                                                 << "ttyUSB0~@usb-A ttyUSB1~"
                                                                 << "/dev/serial/by-path/ttyUSB0"
                                                                 << "";
    QTest::newRow("look-alikes: the other by its system name") << 2 << ""
                                                               << "ttyUSB0~@usb-A ttyUSB1~"
                                                               << "/dev/ttyUSB1"
                                                               << "";
    QTest::newRow("assigned by USB path leaves the rule") << 1 << "2=/dev/serial/by-path/ttyUSB0"
                                                          << "ttyUSB0~@usb-A ttyUSB1~"
                                                          << "/dev/ttyUSB1"
                                                          << "";
    QTest::newRow("natural name order") << 2 << ""
                                        << "ttyUSB10 ttyUSB2 ttyACM0"
                                        << "/dev/ttyUSB2"
                                        << "";
    QTest::newRow("stored entry wins") << 1 << "1=/dev/ttyUSB7"
                                       << "ttyS0=1 ttyUSB0"
                                       << "/dev/ttyUSB7"
                                       << "";
    QTest::newRow("stored entry, spaces trimmed") << 1 << "1= /dev/x "
                                                  << ""
                                                  << "/dev/x"
                                                  << "";
    QTest::newRow("assigned adapter leaves the rule") << 1 << "4=/dev/ttyUSB0"
                                                      << "ttyUSB0 ttyUSB1"
                                                      << "/dev/ttyUSB1"
                                                      << "";
    QTest::newRow("assigned number is not free") << 2 << "1=/dev/x"
                                                 << "ttyUSB0"
                                                 << "/dev/ttyUSB0"
                                                 << "";
    QTest::newRow("built-in given away frees its number") << 1 << "3=/dev/ttyS0"
                                                          << "ttyS0=1 ttyUSB0"
                                                          << "/dev/ttyUSB0"
                                                          << "";
    QTest::newRow("empty entry") << 1 << "1="
                                 << "ttyUSB0"
                                 << ""
                                 << "[Ports] COM1 is empty";
    QTest::newRow("junk entry") << 2 << "2=hopper"
                                << "ttyUSB0"
                                << ""
                                << "\"hopper\", which is not a device path";
    QTest::newRow("windows name entry") << 1 << "1=COM7"
                                        << ""
                                        << "COM7"
                                        << "";
    QTest::newRow("nothing at all") << 1 << ""
                                    << ""
                                    << ""
                                    << "COM1 has no assignment";
    QTest::newRow("port 0") << 0 << ""
                            << "ttyUSB0"
                            << ""
                            << "not a port number";
    QTest::newRow("port 256") << 256 << ""
                              << "ttyUSB0"
                              << ""
                              << "not a port number";
  }
  void resolve() {
    QFETCH(int, number);
    QFETCH(QString, entries);
    QFETCH(QString, devices);
    QFETCH(QString, device);
    QFETCH(QString, refusal);
    const PortResolution r = ResolvePort(number, Entries(entries), Devices(devices));
    QCOMPARE(QString::fromStdString(r.device), device);
    QVERIFY2(QString::fromStdString(r.refusal).contains(refusal), r.refusal.c_str());
    QCOMPARE(r.refusal.empty(), !device.isEmpty());
    if (!device.isEmpty()) QVERIFY(!r.how.empty());
  }

  void parsePortName_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number");  // 0: refused
    QTest::newRow("COM3") << "COM3" << 3;
    QTest::newRow("com12") << "com12" << 12;
    QTest::newRow("bare") << "255" << 255;
    QTest::newRow("too high") << "256" << 0;
    QTest::newRow("zero") << "COM0" << 0;
    QTest::newRow("trailing junk") << "3x" << 0;
    QTest::newRow("COM alone") << "COM" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("any case, spaces around") << " cOm4 " << 4;
    QTest::newRow("four digits") << "1000" << 0;
  }
  void parsePortName() {
    QFETCH(QString, text);
    QFETCH(int, number);
    QCOMPARE(ParsePortName(text.toStdString()).value_or(0), number);
  }

  // The stored "COMPORT" is a bare number, and 0 is one (it names no port).
  void parseStoredPortNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number");  // -1: refused
    QTest::newRow("plain") << "3" << 3;
    QTest::newRow("spaces") << " 7\n" << 7;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("too high") << "256" << -1;
    QTest::newRow("named") << "COM3" << -1;
    QTest::newRow("negative") << "-1" << -1;
    QTest::newRow("signed") << "+3" << -1;
  }
  void parseStoredPortNumber() {
    QFETCH(QString, text);
    QFETCH(int, number);
    const std::optional<int> parsed = ParseStoredPortNumber(text.toStdString());
    QCOMPARE(parsed.has_value(), number >= 0);
    if (parsed) QCOMPARE(*parsed, number);
  }
};

QTEST_APPLESS_MAIN(PortResolutionTest)
#include "test_port_resolution.moc"
