// The whole setting dialogue between the real main window and the emulated hopper over a
// pseudo-terminal, and the window's answer to each fault the emulator can put on the line.

#include <QPushButton>
#include <QtTest>

#include "core/link_captions.h"
#include "core/receive_machine.h"
#include "hopper_bench.h"
#include "platform/files/backup_store.h"
#include "scripted_file_dialog.h"
#include "tools/emulator/power_on_frames.h"
#include "ui/channel_box.h"
#include "ui/parameter_commands.h"

using namespace hopper;
using namespace hopper::test;
using namespace hopper::emulator;
using hopper::test::HopperBench;

Q_DECLARE_METATYPE(hopper::emulator::Faults)

namespace {
constexpr int kWaitMs = 10000;
const QString kEnterData = QString::fromLatin1(kCaptionEnterData);
const QString kReceiveMessage = QString::fromLatin1(kReceiveWatchMessage);

// A seed whose burst of `count` bytes holds no start byte, so the tool passes over it.
std::uint32_t QuietSeed(std::size_t count) {
  for (std::uint32_t seed = 1;; ++seed) {
    const auto noise = NoiseBytes(count, seed);
    if (std::find(noise.begin(), noise.end(), kStartByte) == noise.end()) return seed;
  }
}
}  // namespace

class EndToEndTest : public QObject {
  Q_OBJECT
 private slots:
  void wholeDialogue();
  void faults_data();
  void faults();
  void survivesThePortClosedAndReopened();
  void readBackThatDiffersIsMarked();
  void tickGoesWithAnErrorOrAStartOver_data();
  void tickGoesWithAnErrorOrAStartOver();
  void unconfirmedValuesAskBeforeSaving();
  void backupThatCannotBeWrittenAsks();
  void reconnectsWhenTheAdapterComesBack();
};

void EndToEndTest::wholeDialogue() {
  HopperBench bench;
  QCOMPARE(bench.openError, QString());
  QVERIFY(bench.window->StartUp());
  QCOMPARE(bench.Caption(), QStringLiteral("Switch on Kavoo"));
  QVERIFY(bench.Blue());

  QTRY_COMPARE_WITH_TIMEOUT(bench.Caption(), kEnterData, kWaitMs);
  QVERIFY(bench.Blue());
  const QStringList expected{"1000", "500", "250", "100", "50", "20", "10", "5",
                             "2",    "1",   "0",   "0",   "0",  "0",  "0",  "0"};
  for (int i = 0; i < kChannelCount; ++i) QCOMPARE(bench.Entry(i), expected[i]);
  QVERIFY(bench.log.Has("tool -> hopper  82  echo"));

  bench.window->SetEntryText(0, QStringLiteral("1234"));
  bench.window->SetEntryText(15, QStringLiteral("65535"));
  QCOMPARE(ChannelBoxAt(*bench.window, 0)->toolTip(), QStringLiteral("hopper holds 1000"));
  QCOMPARE(ChannelBoxAt(*bench.window, 1)->toolTip(), QString());
  // The backup of the reported set is on disk before the first byte of the save frame leaves.
  int backupsAtFirstByte = -1;
  QObject::connect(&bench.recorder, &LineRecorder::Recorded, [&] {
    const TrafficEntry& last = bench.recorder.Entries().At(bench.recorder.Entries().Size() - 1);
    if (backupsAtFirstByte < 0 && last.direction == TrafficDirection::ToHopper &&
        last.bytes == std::vector<std::uint8_t>{0x83})
      backupsAtFirstByte = int(BackupStore().Backups().size());
  });
  SaveButton(*bench.window)->click();
  QCOMPARE(backupsAtFirstByte, 1);
  QCOMPARE(bench.Caption(), QStringLiteral("Saving"));
  QTRY_COMPARE_WITH_TIMEOUT(bench.Caption(), QString::fromLatin1(kCaptionSaveComplete), kWaitMs);
  QTRY_VERIFY_WITH_TIMEOUT(SaveButton(*bench.window)->isEnabled(), kWaitMs);
  QCOMPARE(bench.Caption(), QString::fromLatin1(kCaptionSaveComplete));
  QVERIFY(bench.Blue());
  QCOMPARE(bench.Entry(0), QStringLiteral("1234"));
  QCOMPARE(bench.Entry(15), QStringLiteral("65535"));
  QCOMPARE(bench.hopper->Side().Coins()[15], std::uint16_t{65535});
  QVERIFY(bench.log.Has("save frame: 1234 500 250 100 50 20 10 5 2 1 0 0 0 0 0 65535"));
  QVERIFY(bench.log.Has("hopper -> tool  84  acknowledgement"));
  QVERIFY(bench.messages.shown.isEmpty() && bench.messages.asked.isEmpty());
  QCOMPARE(bench.window->Link().State(), LinkState::WaitStart);
  QCOMPARE(VerifyMark(*bench.window)->text(), QStringLiteral("\u2713"));
  QCOMPARE(ChannelBoxAt(*bench.window, 0)->toolTip(), QString());

  const QString monitor = QString::fromLatin1(bench.recorder.Text());
  for (const char* line : {"hopper -> tool  3A  report start 0x3A", "hopper -> tool  03 E8  Channel1 = 1000",
                           "tool -> hopper  82  echo 0x82", "tool -> hopper  04 D2  save Channel1 = 1234",
                           "hopper -> tool  84  acknowledgement 0x84: Save complete, the read-back follows",
                           "hopper -> tool  FF FF  read-back Channel16 = 65535", "good: read-back complete",
                           "--              response watch ended: the save was acknowledged"})
    QVERIFY2(monitor.contains(QLatin1String(line)), line);

  // The one backup holds the set reported before the save, and Parameter > Open restores it.
  const QStringList backups = BackupStore().Backups();
  QCOMPARE(backups.size(), 1);
  ScriptedFileDialog dialog;
  dialog.Answer(backups.first());
  ParameterCommands(*bench.window, dialog, bench.messages, QDir::tempPath()).LoadFile();
  for (int i = 0; i < kChannelCount; ++i) QCOMPARE(bench.Entry(i), expected[i]);
  QCOMPARE(ChannelBoxAt(*bench.window, 0)->toolTip(), QStringLiteral("hopper holds 1234"));
}

void EndToEndTest::readBackThatDiffersIsMarked() {
  HopperConfig config;
  config.faults.readBackChange = 2;
  HopperBench bench(config);
  QVERIFY(bench.window->StartUp());
  QTRY_COMPARE_WITH_TIMEOUT(bench.Caption(), kEnterData, kWaitMs);
  SaveButton(*bench.window)->click();
  QTRY_COMPARE_WITH_TIMEOUT(bench.Caption(), QStringLiteral("Save complete, 1 channel differs"), kWaitMs);
  QVERIFY(bench.Red());
  QCOMPARE(ChannelBoxAt(*bench.window, 2)->toolTip(), QStringLiteral("sent 250, hopper holds 251"));
  QCOMPARE(ChannelBoxAt(*bench.window, 2)->Mark(), ChannelMark::Differs);
  QCOMPARE(VerifyMark(*bench.window)->text(), QStringLiteral("\u2260"));
  QTRY_VERIFY_WITH_TIMEOUT(SaveButton(*bench.window)->isEnabled(), kWaitMs);
  bench.window->SetEntryText(2, QStringLiteral("250"));  // edited: the difference mark gives way
  QCOMPARE(ChannelBoxAt(*bench.window, 2)->toolTip(), QStringLiteral("hopper holds 251"));
}

void EndToEndTest::tickGoesWithAnErrorOrAStartOver_data() {
  QTest::addColumn<QString>("then");
  QTest::newRow("a save refused") << "refused";
  QTest::newRow("the hopper switched on again") << "power on";
}

void EndToEndTest::tickGoesWithAnErrorOrAStartOver() {
  QFETCH(QString, then);
  HopperBench bench;
  QVERIFY(bench.window->StartUp());
  QTRY_COMPARE_WITH_TIMEOUT(bench.Caption(), kEnterData, kWaitMs);
  SaveButton(*bench.window)->click();
  QTRY_COMPARE_WITH_TIMEOUT(VerifyMark(*bench.window)->text(), QStringLiteral("\u2713"), kWaitMs);
  QTRY_VERIFY_WITH_TIMEOUT(SaveButton(*bench.window)->isEnabled(), kWaitMs);
  if (then == "refused") {
    bench.window->SetEntryText(0, QStringLiteral("70000"));
    SaveButton(*bench.window)->click();
    QCOMPARE(bench.Caption(), QString::fromLatin1(kCaptionDataError));
  } else {
    bench.hopper->PowerOn();
    QTRY_COMPARE_WITH_TIMEOUT(bench.Caption(), QString(), kWaitMs);
  }
  QCOMPARE(VerifyMark(*bench.window)->text(), QString());
}

void EndToEndTest::unconfirmedValuesAskBeforeSaving() {
  HopperConfig config;
  config.faults.cutReportAfter = 10;  // header, four info bytes and Channel1
  HopperBench bench(config);
  QVERIFY(bench.window->StartUp());
  QTRY_COMPARE_WITH_TIMEOUT(bench.messages.shown.size(), 1, kWaitMs);
  QCOMPARE(bench.Entry(0), QStringLiteral("1000"));

  SaveButton(*bench.window)->click();  // the answer is No
  QCOMPARE(bench.messages.asked.size(), 1);
  QVERIFY(bench.messages.asked[0].informative.startsWith(QStringLiteral("Channel1 came from a report that failed")));
  QVERIFY(SaveButton(*bench.window)->isEnabled());
  QVERIFY(!bench.recorder.Text().contains("save frame"));

  bench.window->SetEntryText(0, QStringLiteral("1000"));  // typed: no longer from the failed report
  SaveButton(*bench.window)->click();
  QTRY_COMPARE_WITH_TIMEOUT(bench.Caption(), QString::fromLatin1(kCaptionSaveComplete), kWaitMs);
  QCOMPARE(bench.messages.asked.size(), 1);
}

void EndToEndTest::backupThatCannotBeWrittenAsks() {
  HopperBench bench;
  QTemporaryDir dir;
  QFile blocker(dir.filePath("file"));
  QVERIFY(blocker.open(QIODevice::WriteOnly));
  bench.window->SetBackupStore(BackupStore(dir.filePath("file/backups")));
  QVERIFY(bench.window->StartUp());
  QTRY_COMPARE_WITH_TIMEOUT(bench.Caption(), kEnterData, kWaitMs);
  SaveButton(*bench.window)->click();
  QCOMPARE(bench.messages.asked.size(), 1);
  QVERIFY(bench.messages.asked[0].text.contains(QStringLiteral("Save without a backup?")));
  QVERIFY(!bench.recorder.Text().contains("save frame"));
  bench.messages.answer = true;
  SaveButton(*bench.window)->click();
  QTRY_COMPARE_WITH_TIMEOUT(bench.Caption(), QString::fromLatin1(kCaptionSaveComplete), kWaitMs);
}

void EndToEndTest::faults_data() {
  QTest::addColumn<Faults>("faults");
  QTest::addColumn<bool>("save");
  QTest::addColumn<QString>("along");  // a caption seen on the way
  QTest::addColumn<QString>("caption");
  QTest::addColumn<bool>("red");
  QTest::addColumn<QStringList>("messages");

  const QString checksum = QString::fromLatin1(kCaptionChecksumError);
  Faults f;
  f = {};
  f.badReportChecksum = true;
  QTest::newRow("bad report checksum") << f << false << checksum << checksum << true << QStringList{kReceiveMessage};
  f = {};
  f.badReadBackChecksum = true;
  // "Save complete" shows only while the read-back is on the line; on a busy machine the whole
  // answer can arrive in one read, so only the acknowledgement in the traffic log is checked.
  QTest::newRow("bad read-back checksum") << f << true << QString() << checksum << true << QStringList{};
  f = {};
  f.noEchoWait = true;
  QTest::newRow("no echo wait") << f << false << kEnterData << kEnterData << false << QStringList{};
  f = {};
  f.wrongReady = 0x85;
  QTest::newRow("wrong ready byte") << f << false << QString() << QString::fromLatin1(kCaptionCommunicationError)
                                    << true << QStringList{};
  f = {};
  f.noAck = true;
  QTest::newRow("no acknowledgement") << f << true << QString() << QString::fromLatin1(kCaptionNoResponse) << true
                                      << QStringList{};
  f = {};
  f.wrongAck = 0x85;
  QTest::newRow("wrong acknowledgement") << f << true << QString::fromLatin1(kCaptionSaveFailed)
                                         << QString::fromLatin1(kCaptionNoResponse) << true << QStringList{};
  f = {};
  f.cutReportAfter = 20;  // header, info and six coin numbers
  QTest::newRow("report cut off") << f << false << QString() << QString() << false << QStringList{kReceiveMessage};
  f = {};
  f.infoLengthZero = true;
  QTest::newRow("info length zero") << f << false << kEnterData << kEnterData << false << QStringList{};
  f = {};
  f.noiseBytes = 8;
  f.noiseSeed = QuietSeed(8);
  QTest::newRow("noise before the report") << f << false << kEnterData << kEnterData << false << QStringList{};
  f = {};
  f.pullCableAfter = 20;
  QTest::newRow("pulled cable") << f << false << QString() << QStringLiteral("COM1 not working") << true
                                << QStringList{kReceiveMessage};
}

void EndToEndTest::faults() {
  QFETCH(Faults, faults);
  QFETCH(bool, save);
  QFETCH(QString, along);
  QFETCH(QString, caption);
  QFETCH(bool, red);
  QFETCH(QStringList, messages);

  HopperConfig config;
  config.faults = faults;
  HopperBench bench(config);
  QCOMPARE(bench.openError, QString());
  QVERIFY(bench.window->StartUp());
  if (save) {
    QTRY_COMPARE_WITH_TIMEOUT(bench.Caption(), kEnterData, kWaitMs);
    SaveButton(*bench.window)->click();
    QCOMPARE(bench.Caption(), QStringLiteral("Saving"));
  }
  if (!along.isEmpty()) QTRY_COMPARE_WITH_TIMEOUT(bench.Caption(), along, kWaitMs);
  QTRY_COMPARE_WITH_TIMEOUT(bench.Caption(), caption, kWaitMs);
  QTRY_VERIFY_WITH_TIMEOUT(bench.messages.shown.size() >= messages.size(), kWaitMs);
  QTRY_VERIFY_WITH_TIMEOUT(bench.WatchesIdle() && !bench.hopper->Output().Pending(), kWaitMs);
  if (save) QVERIFY(SaveButton(*bench.window)->isEnabled());

  QCOMPARE(bench.Caption(), caption);
  QCOMPARE(bench.Red(), red);
  QVERIFY(red || bench.Blue());
  QCOMPARE(bench.messages.Texts(), messages);
  for (const Message& m : bench.messages.shown) QCOMPARE(m.icon, MessageIcon::Exclamation);

  if (faults.cutReportAfter) {
    // The coin numbers that did arrive stay in their boxes.
    QCOMPARE(bench.Entry(5), QStringLiteral("20"));
    QCOMPARE(bench.window->Link().State(), LinkState::WaitStart);
  }
  if (faults.badReadBackChecksum) QVERIFY(bench.log.Has("hopper -> tool  84  acknowledgement"));
  if (faults.noEchoWait) QTRY_VERIFY_WITH_TIMEOUT(bench.log.Has("echo (not awaited)"), kWaitMs);
  if (faults.infoLengthZero || faults.noiseBytes > 0) QCOMPARE(bench.Entry(0), QStringLiteral("1000"));
}

void EndToEndTest::survivesThePortClosedAndReopened() {
  HopperBench bench;
  QVERIFY(bench.window->StartUp());
  QTRY_COMPARE_WITH_TIMEOUT(bench.Caption(), kEnterData, kWaitMs);
  for (int round = 0; round < 2; ++round) {
    bench.window->Port().Close();
    QTRY_VERIFY_WITH_TIMEOUT(!bench.line.PeerPresent(), kWaitMs);
    QCOMPARE(bench.window->Port().Open().result, OpenResult::Opened);
    QTRY_VERIFY_WITH_TIMEOUT(bench.line.PeerPresent(), kWaitMs);
  }
  bench.window->SetEntryText(1, QStringLiteral("777"));
  SaveButton(*bench.window)->click();
  QTRY_COMPARE_WITH_TIMEOUT(bench.Caption(), QString::fromLatin1(kCaptionSaveComplete), kWaitMs);
  QCOMPARE(bench.hopper->Side().Coins()[1], std::uint16_t{777});
  QTRY_VERIFY_WITH_TIMEOUT(SaveButton(*bench.window)->isEnabled(), kWaitMs);

  // The hopper switched off and on again reports what it stored.
  bench.hopper->PowerOn();
  QTRY_COMPARE_WITH_TIMEOUT(bench.Caption(), kEnterData, kWaitMs);
  QCOMPARE(bench.Entry(1), QStringLiteral("777"));
}

void EndToEndTest::reconnectsWhenTheAdapterComesBack() {
  QTemporaryDir links;
  HopperBench bench({}, links.filePath(QStringLiteral("usb-Hopper_Adapter_A1-if00-port0")));
  QVERIFY(bench.window->StartUp());
  QTRY_COMPARE_WITH_TIMEOUT(bench.Caption(), kEnterData, kWaitMs);

  bench.Unplug();
  QTRY_VERIFY_WITH_TIMEOUT(bench.Red(), kWaitMs);
  bench.log.lines.clear();
  bench.PlugIn();
  // Back to waiting for the hopper, which then reports and is answered: no restart, no box.
  QTRY_COMPARE_WITH_TIMEOUT(bench.Caption(), kEnterData, kWaitMs);
  QVERIFY(bench.Blue());
  QVERIFY(bench.log.Has("tool -> hopper  82  echo"));
  QVERIFY(bench.messages.shown.isEmpty());
}

QTEST_MAIN(EndToEndTest)
#include "tst_end_to_end.moc"
