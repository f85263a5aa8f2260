// The line monitor window: a flood stays bounded, "Save log..." writes what is shown, "Clear"
// empties it, Escape closes it.
#include <QTableView>
#include <QtTest>

#include "platform/serial/line_recorder.h"
#include "recording_message_boxes.h"
#include "scripted_file_dialog.h"
#include "ui/line_monitor.h"
#include "ui/traffic_model.h"

using namespace hopper;

class LineMonitorTest : public QObject {
  Q_OBJECT
 private slots:
  void floodSaveClearAndEscape() {
    LineRecorder recorder(1000);
    ScriptedFileDialog dialog;
    RecordingMessageBoxes messages;
    LineMonitor monitor(recorder, dialog, messages);
    monitor.Open();

    recorder.Link(LinkEvent{LinkEventKind::Started});
    const std::vector<std::uint8_t> noise(1 << 20, 0x55);  // a megabyte that never holds a start byte
    for (std::uint8_t b : noise) {
      recorder.Received(LineRole::SettingLink, b);
      recorder.Link(LinkEvent{LinkEventKind::IgnoredWaitingForStart, b});
    }
    recorder.Discarded(LineRole::SettingLink, noise);
    QTRY_COMPARE_WITH_TIMEOUT(monitor.Model().rowCount(), 1000, 10000);

    QTemporaryDir dir;
    dialog.Answer(dir.filePath("line.txt"));
    monitor.SaveLog();
    QFile saved(dir.filePath("line.txt"));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = saved.readAll().split('\n');
    QCOMPARE(lines.size(), 1001);  // the last line ends with a line break too
    QVERIFY(lines.first().endsWith("55 55 55 55 55 55 55 55 55 55 55 55 55 55 55 55  discarded: the rest of the input after the error"));
    QVERIFY(messages.shown.isEmpty());

    monitor.Clear();
    QCOMPARE(monitor.Model().rowCount(), 0);
    recorder.Sent(LineRole::SettingLink, 0x82);
    QTRY_COMPARE_WITH_TIMEOUT(monitor.Model().rowCount(), 1, 10000);
    QCOMPARE(monitor.Model().index(0, 3).data().toString(), QStringLiteral("echo 0x82"));

    QSignalSpy closed(&monitor, &LineMonitor::Closed);
    QTest::keyClick(monitor.findChild<QTableView*>(), Qt::Key_Escape);
    QCOMPARE(closed.size(), 1);
    QVERIFY(!monitor.isVisible());
  }
};

QTEST_MAIN(LineMonitorTest)
#include "tst_line_monitor.moc"
