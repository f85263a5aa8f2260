#include <QtTest>

#include "core/adapter_doctor.h"

using namespace hopper;

namespace {

// One device as `pnputil /enum-devices /drivers` prints it ("Key:   value" lines), read into
// what the SetupAPI reader gathers: the port from the name's "(COMn)" tail, the driver's version
// as the last word of "Driver Version:", the problem code's number.
AdapterRecord FromPnputil(const QString& block) {
  AdapterRecord adapter;
  for (const QString& line : block.split(QLatin1Char('\n'))) {
    const QString key = line.section(QLatin1Char(':'), 0, 0).trimmed();
    const QString value = line.section(QLatin1Char(':'), 1).trimmed();
    if (key == QLatin1String("Instance ID")) adapter.instanceId = value.toStdString();
    if (key == QLatin1String("Device Description")) {
      adapter.description = value.toStdString();
      static const QRegularExpression port(QStringLiteral("\\((COM\\d+)\\)$"));
      if (const QRegularExpressionMatch m = port.match(value); m.hasMatch()) adapter.port = m.captured(1).toStdString();
    }
    if (key == QLatin1String("Provider Name")) adapter.driverProvider = value.toStdString();
    if (key == QLatin1String("Driver Version"))
      adapter.driverVersion = value.section(QLatin1Char(' '), -1).toStdString();
    if (key == QLatin1String("Problem Code")) adapter.problemCode = value.section(QLatin1Char(' '), 0, 0).toInt();
  }
  return adapter;
}

constexpr int kNone = -1;

}  // namespace

class AdapterDoctorTest : public QObject {
  Q_OBJECT
 private slots:
  // The devices are those of public reports about serial tools on Windows, with the instance
  // ids, names, driver versions and problem codes quoted there.
  void findings_data() {
    QTest::addColumn<QString>("pnputil");
    QTest::addColumn<int>("kind");         // a FindingKind, or kNone
    QTest::addColumn<QString>("device");   // as the finding names it
    QTest::addColumn<QString>("meaning");  // a part of what it says
    QTest::addColumn<QString>("todo");     // a part of what to do

    QTest::newRow("Prolific that works") << "Instance ID:                USB\\VID_067B&PID_2303\\5&12c8f4c0&0&2\n"
                                            "Device Description:         Prolific USB-to-Serial Comm Port (COM4)\n"
                                            "Class Name:                 Ports\n"
                                            "Manufacturer Name:          Prolific\n"
                                            "Status:                     Started\n"
                                            "Driver Name:                oem6.inf\n"
                                         << kNone << ""
                                         << ""
                                         << "";
    QTest::newRow("PL2303 HXA refused, code 10")
        << "Instance ID:                USB\\VID_067B&PID_2303\\5&12c8f4c0&0&2\n"
           "Device Description:         PL2303HXA PHASED OUT SINCE 2012. PLEASE CONTACT YOUR SUPPLIER.\n"
           "Class Name:                 Ports\n"
           "Manufacturer Name:          Prolific\n"
           "Status:                     Problem\n"
           "Problem Code:               10 (0xA) [CM_PROB_FAILED_START]\n"
           "Provider Name:              Prolific\n"
           "Driver Version:             07/20/2020 3.8.37.0\n"
        << int(FindingKind::UnsupportedChip) << "PL2303HXA PHASED OUT SINCE 2012. PLEASE CONTACT YOUR SUPPLIER."
        << "no longer drives it"
        << "at the user's own risk";
    QTest::newRow("PL2303 with no driver, code 28")
        << "Instance ID:                USB\\VID_067B&PID_2303\\6&279c56a4&0&7\n"
           "Device Description:         USB-Serial Controller D\n"
           "Class Name:                 Unknown\n"
           "Manufacturer Name:          Unknown\n"
           "Status:                     Problem\n"
           "Problem Code:               28 (0x1C) [CM_PROB_FAILED_INSTALL]\n"
           "Problem Status:             0xC0000490\n"
        << int(FindingKind::DeviceProblem) << "USB-Serial Controller D"
        << "drivers for this device are not installed (code 28)"
        << "Install the adapter maker's driver";
    QTest::newRow("CH340 with driver 3.8") << "Instance ID:                USB\\VID_1A86&PID_7523\\5&2d3b5c5e&0&2\n"
                                              "Device Description:         USB-SERIAL CH340 (COM5)\n"
                                              "Class Name:                 Ports\n"
                                              "Manufacturer Name:          wch.cn\n"
                                              "Status:                     Started\n"
                                              "Provider Name:              wch.cn\n"
                                              "Driver Version:             02/11/2023 3.8.2023.2\n"
                                           << int(FindingKind::BrokenDriver) << "COM5"
                                           << "CH340 driver 3.8.2023.2"
                                           << "Roll Back Driver";
    QTest::newRow("CH340 with driver 3.9") << "Instance ID:                USB\\VID_1A86&PID_7523\\6&1a2b3c4d&0&3\n"
                                              "Device Description:         USB-SERIAL CH340 (COM12)\n"
                                              "Manufacturer Name:          wch.cn\n"
                                              "Status:                     Started\n"
                                              "Provider Name:              wch.cn\n"
                                              "Driver Version:             09/19/2024 3.9.2024.9\n"
                                           << int(FindingKind::BrokenDriver) << "COM12"
                                           << "CH340 driver 3.9.2024.9"
                                           << "3.5.2019.1";
    QTest::newRow("CH340 rolled back to 3.5") << "Instance ID:                USB\\VID_1A86&PID_7523\\5&2d3b5c5e&0&2\n"
                                                 "Device Description:         USB-SERIAL CH340 (COM5)\n"
                                                 "Status:                     Started\n"
                                                 "Provider Name:              wch.cn\n"
                                                 "Driver Version:             01/30/2019 3.5.2019.1\n"
                                              << kNone << ""
                                              << ""
                                              << "";
    QTest::newRow("CH340 with an unsigned driver, code 52")
        << "Instance ID:                USB\\VID_1A86&PID_7523\\5&2d3b5c5e&0&1\n"
           "Device Description:         USB-SERIAL CH340\n"
           "Status:                     Problem\n"
           "Problem Code:               52 (0x34) [CM_PROB_UNSIGNED_DRIVER]\n"
           "Provider Name:              wch.cn\n"
           "Driver Version:             08/08/2014 3.4.2014.8\n"
        << int(FindingKind::DeviceProblem) << "USB-SERIAL CH340"
        << "cannot verify the digital signature"
        << "signed driver";
    QTest::newRow("FTDI counterfeit, product id 0000")
        << "Instance ID:                USB\\VID_0403&PID_0000\\A50285BI\n"
           "Device Description:         FT232R USB UART\n"
           "Class Name:                 Unknown\n"
           "Status:                     Problem\n"
           "Problem Code:               28 (0x1C) [CM_PROB_FAILED_INSTALL]\n"
        << int(FindingKind::CounterfeitChip) << "FT232R USB UART"
        << "counterfeit FTDI chip"
        << "Use another adapter";
    QTest::newRow("FTDI genuine") << "Instance ID:                USB\\VID_0403&PID_6001\\AB0KBUG6\n"
                                     "Device Description:         USB Serial Port (COM3)\n"
                                     "Status:                     Started\n"
                                     "Provider Name:              FTDI\n"
                                     "Driver Version:             08/16/2017 2.12.28.0\n"
                                  << kNone << ""
                                  << ""
                                  << "";
    QTest::newRow("FTDI disabled, code 22") << "Instance ID:                USB\\VID_0403&PID_6001\\AB0KBUG6\n"
                                               "Device Description:         USB Serial Port (COM3)\n"
                                               "Status:                     Disabled\n"
                                               "Problem Code:               22 (0x16) [CM_PROB_DISABLED]\n"
                                            << int(FindingKind::DeviceProblem) << "COM3"
                                            << "disabled (code 22)"
                                            << "Enable device";
    QTest::newRow("a code without words") << "Instance ID:                USB\\VID_10C4&PID_EA60\\0001\n"
                                             "Device Description:         Silicon Labs CP210x USB to UART Bridge\n"
                                             "Problem Code:               99 (0x63)\n"
                                          << int(FindingKind::DeviceProblem) << "Silicon Labs CP210x USB to UART Bridge"
                                          << "problem code 99"
                                          << "Uninstall device";
    QTest::newRow("no USB ids, no name") << "Instance ID:                ACPI\\PNP0501\\1\n"
                                            "Problem Code:               10 (0xA) [CM_PROB_FAILED_START]\n"
                                         << int(FindingKind::DeviceProblem) << "ACPI\\PNP0501\\1"
                                         << "cannot start (code 10)"
                                         << "plug it in again";
  }

  void findings() {
    QFETCH(QString, pnputil);
    QFETCH(int, kind);
    QFETCH(QString, device);
    QFETCH(QString, meaning);
    QFETCH(QString, todo);
    const std::vector<PortFinding> found = AdapterFindings(FromPnputil(pnputil));
    if (kind == kNone) {
      QVERIFY2(found.empty(), found.empty() ? "" : found.front().meaning.c_str());
      return;
    }
    QCOMPARE(found.size(), std::size_t(1));
    QCOMPARE(int(found[0].kind), kind);
    QCOMPARE(QString::fromStdString(found[0].device), device);
    QVERIFY2(QString::fromStdString(found[0].meaning).contains(meaning), found[0].meaning.c_str());
    QVERIFY2(QString::fromStdString(found[0].todo).contains(todo), found[0].todo.c_str());
  }

  void usbIds_data() {
    QTest::addColumn<QString>("instance");
    QTest::addColumn<int>("vendor");  // -1: none read
    QTest::addColumn<int>("product");
    QTest::newRow("FTDI") << "USB\\VID_0403&PID_6001\\AB0KBUG6" << 0x0403 << 0x6001;
    QTest::newRow("lower case") << "usb\\vid_1a86&pid_7523\\5&2d3b5c5e&0&2" << 0x1a86 << 0x7523;
    QTest::newRow("counterfeit 0000") << "USB\\VID_0403&PID_0000\\A50285BI" << 0x0403 << 0x0000;
    QTest::newRow("a function of a composite device") << "USB\\VID_10C4&PID_EA70&MI_01\\6&1&0&0001" << 0x10c4 << 0xea70;
    QTest::newRow("built-in port") << "ACPI\\PNP0501\\1" << -1 << -1;
    QTest::newRow("cut short") << "USB\\VID_04" << -1 << -1;
    QTest::newRow("not hex") << "USB\\VID_04G3&PID_6001" << -1 << -1;
  }

  void usbIds() {
    QFETCH(QString, instance);
    QFETCH(int, vendor);
    QFETCH(int, product);
    const std::optional<UsbIds> ids = UsbIdsOfInstance(instance.toStdString());
    QCOMPARE(ids.has_value(), vendor >= 0);
    if (!ids) return;
    QCOMPARE(ids->vendor, vendor);
    QCOMPARE(ids->product, product);
  }
};

QTEST_APPLESS_MAIN(AdapterDoctorTest)
#include "test_adapter_doctor.moc"
