// The line monitor window: a flood stays bounded, "Save log..." writes what is shown, "Clear"
// empties it, Escape closes it; the recorder's log file refused or failing is told.
#include <QLabel>
#include <QTableView>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#endif

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
    // The newest 1000 records are the last 1000 bytes thrown away: 62 rows of 16 and one of 8.
    QCOMPARE(recorder.Records().Size(), std::size_t(1000));
    QTRY_COMPARE_WITH_TIMEOUT(monitor.Model().rowCount(), 63, 10000);

    QTemporaryDir dir;
    dialog.Answer(dir.filePath("line.txt"));
    monitor.SaveLog();
    QFile saved(dir.filePath("line.txt"));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = saved.readAll().split('\n');
    QCOMPARE(lines.size(), 64);  // the last line ends with a line break too
    QVERIFY(lines.first().endsWith(
        "55 55 55 55 55 55 55 55 55 55 55 55 55 55 55 55  discarded: the rest of the input after the error"));
    QVERIFY(messages.shown.isEmpty());

    monitor.Clear();
    QCOMPARE(monitor.Model().rowCount(), 0);
    recorder.Sent(LineRole::SettingLink, 0x82);
    QTRY_COMPARE_WITH_TIMEOUT(monitor.Model().rowCount(), 1, 10000);
    QCOMPARE(monitor.Model().index(0, 3).data().toString(), QStringLiteral("echo 0x82"));

    // The errors the driver counts stand below the rows, where it counts them at all.
    QLabel* errors = monitor.findChild<QLabel*>(QStringLiteral("lineErrors"));
    QVERIFY(errors && errors->isHidden());
    LineErrorCounts counts{0, 0};
    monitor.SetErrorSource([&counts] { return std::optional(counts); });
    QCOMPARE(errors->text(), QStringLiteral("Parity errors: 0, framing errors: 0"));
    counts = {2, 1};
    QTRY_COMPARE_WITH_TIMEOUT(errors->text(), QStringLiteral("Parity errors: 2, framing errors: 1"), 10000);
    QVERIFY(!errors->isHidden());

    QSignalSpy closed(&monitor, &LineMonitor::Closed);
    QTest::keyClick(monitor.findChild<QTableView*>(), Qt::Key_Escape);
    QCOMPARE(closed.size(), 1);
    QVERIFY(!monitor.isVisible());
  }

  // Out of sight the monitor keeps no rows; opened again it shows everything the recorder holds,
  // what came while it was hidden too, read as before.
  void hiddenMonitorReadsAnewWhenOpened() {
    LineRecorder recorder(100);
    ScriptedFileDialog dialog;
    RecordingMessageBoxes messages;
    LineMonitor monitor(recorder, dialog, messages);
    monitor.Open();
    recorder.Port(LineRole::SettingLink, PortEvent::Opened, QStringLiteral("COM1 (/dev/ttyUSB0)"));
    recorder.Sent(LineRole::SettingLink, 0x82);
    QTRY_COMPARE_WITH_TIMEOUT(monitor.Model().rowCount(), 2, 10000);

    monitor.hide();
    QCOMPARE(monitor.Model().rowCount(), 0);
    recorder.Link(LinkEvent{LinkEventKind::HighByte, 0x03, 0});
    recorder.Link(LinkEvent{LinkEventKind::ChannelValue, 0xE8, 0, 1000});
    for (int i = 0; i < 200; ++i) recorder.Sent(LineRole::SettingLink, 0x82);  // past the bound
    monitor.Open();
    QCOMPARE(monitor.Model().rowCount(), 100);
    QCOMPARE(monitor.Model().index(99, 3).data().toString(), QStringLiteral("echo 0x82"));

    recorder.Clear();
    recorder.Port(LineRole::SettingLink, PortEvent::Lost, QStringLiteral("COM1: cable pulled"));
    recorder.Link(LinkEvent{LinkEventKind::HighByte, 0x03, 0});
    recorder.Link(LinkEvent{LinkEventKind::ChannelValue, 0xE8, 0, 1000});
    QTRY_COMPARE_WITH_TIMEOUT(monitor.Model().rowCount(), 2, 10000);
    QCOMPARE(monitor.Model().index(0, 3).data().toString(), QStringLiteral("port lost: COM1: cable pulled"));
    QCOMPARE(monitor.Model().index(1, 2).data().toString(), QStringLiteral("03 E8"));
    QCOMPARE(monitor.Model().index(1, 3).data().toString(), QStringLiteral("Channel1 = 1000"));
  }

  // The log file: only a regular file (or none yet) is opened, and one that takes no more is
  // told once, at the first line that could not be written.
  void logRefusedOrFailedIsTold() {
    QTemporaryDir dir;
    LineRecorder recorder;
    FileOutcome log = recorder.LogTo(dir.path());
    QCOMPARE(log.kind, FileOutcome::Kind::NotAPlainFile);
    QCOMPARE(log.why, QStringLiteral("It is a folder."));
#ifdef Q_OS_UNIX
    const QString pipe = dir.filePath("pipe");
    QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    log = recorder.LogTo(pipe);  // returns at once: a pipe without a reader is not opened
    QCOMPARE(log.kind, FileOutcome::Kind::NotAPlainFile);
    QCOMPARE(log.why, QStringLiteral("It is not an ordinary file."));
    QVERIFY(!recorder.LogTo(QStringLiteral("/dev/full")).ok());

    QVERIFY(recorder.LogTo(dir.filePath("line.log")).ok());
    QSignalSpy failed(&recorder, &LineRecorder::LogFailed);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit cap = old;
    cap.rlim_cur = 100;  // the disk is full after a line or two
    setrlimit(RLIMIT_FSIZE, &cap);
    for (int i = 0; i < 50; ++i) recorder.Sent(LineRole::SettingLink, i % 2 ? 0x82 : 0x80);
    recorder.FinishLog();
    setrlimit(RLIMIT_FSIZE, &old);
    QCOMPARE(failed.size(), 1);
    QVERIFY(!failed[0][0].toString().isEmpty());
    QVERIFY(QFileInfo(dir.filePath("line.log")).size() <= 100);
#endif
  }
};

QTEST_MAIN(LineMonitorTest)
#include "tst_line_monitor.moc"
