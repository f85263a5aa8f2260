// The main window over a real COM port (HOPPER_TEST_EMULATOR_PORT; under Wine, a pseudo-terminal
// with the Linux hopper emulator on its far end, switched on when the port opens): the power-on
// report is answered, a changed set is saved and the read-back is shown as verified.

#include <QStandardPaths>
#include <QTest>

#include "core/channel_table.h"
#include "core/port_resolution.h"
#include "core/receive_machine.h"
#include "platform/serial/system_serial.h"
#include "recording_message_boxes.h"
#include "ui/main_window.h"
#include "windows_controls.h"

using namespace hopper;
using namespace hopper::test;

namespace {

constexpr int kWaitMs = 20000;

}  // namespace

class WindowOverComTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

  void powerOnReportSaveAndReadBack() {
    const std::optional<int> number = ParsePortName(qEnvironmentVariable("HOPPER_TEST_EMULATOR_PORT").toStdString());
    if (!number) QSKIP("no COM port with the hopper emulator on it (HOPPER_TEST_EMULATOR_PORT)");
    RecordingMessageBoxes messages;
    MainWindow window(messages, MakeSystemSerialPort());
    window.StartOnPort(*number);
    window.show();
    QVERIFY(window.StartUp());

    QTRY_COMPARE_WITH_TIMEOUT(StatusLine(window)->text(), QString::fromLatin1(kCaptionEnterData), kWaitMs);
    const QStringList reported{"1000", "500", "250", "100", "50", "20", "10", "5",
                               "2",    "1",   "0",   "0",   "0",  "0",  "0",  "0"};
    for (int i = 0; i < kChannelCount; ++i) QCOMPARE(window.EntryText(i), reported[i]);
    qInfo("power-on report shown: %s", qPrintable(reported.join(QLatin1Char(' '))));

    window.SetEntryText(0, QStringLiteral("1234"));
    window.SetEntryText(15, QStringLiteral("65535"));
    SaveButton(window)->click();
    QTRY_COMPARE_WITH_TIMEOUT(StatusLine(window)->text(), QString::fromLatin1(kCaptionSaveComplete), kWaitMs);
    // The read-back follows the acknowledgement: the mark comes when it has been checked.
    QTRY_COMPARE_WITH_TIMEOUT(VerifyMark(window)->text(), QStringLiteral("\u2713"), kWaitMs);
    QCOMPARE(window.EntryText(0), QStringLiteral("1234"));
    QCOMPARE(window.EntryText(15), QStringLiteral("65535"));
    QVERIFY(messages.shown.isEmpty() && messages.asked.isEmpty());
    qInfo("saved 1234 ... 65535, read-back verified: %s", qPrintable(VerifyMark(window)->text()));
  }
};

QTEST_MAIN(WindowOverComTest)
#include "tst_window_over_com.moc"
