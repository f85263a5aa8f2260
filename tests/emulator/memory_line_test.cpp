// The emulator on a line in memory: real timers and pacing, the core state machine as the tool.

#include "tests/emulator/memory_line_test.h"

#include <QSignalSpy>
#include <QtTest>

#include "tests/emulator/line_test_support.h"
#include "tests/emulator/tool_side.h"
#include "tools/emulator/hopper_emulator.h"

using namespace hopper;
using namespace hopper::emulator;

namespace {
QByteArray DefaultReport() {
  const HopperConfig c;
  const auto r = BuildReportFrame(c.header1, c.header2, c.info, c.coins);
  return QByteArray(reinterpret_cast<const char*>(r.data()), static_cast<qsizetype>(r.size()));
}
}  // namespace

void MemoryLineTest::wholeDialogue() {
  test::MemoryLog log;
  MemoryChannel line;
  HopperEmulator emulator({}, line, log.log);
  emulator.SetByteTimeUs(0);
  test::ToolSide tool;

  emulator.PowerOn();
  QCOMPARE(line.written, DefaultReport() + char(kSyncByte));
  tool.Feed(line.written);
  line.Receive(tool.TakeSent());
  QCOMPARE(line.written.back(), char(kReadyByte));
  tool.Feed(line.written.right(1));
  QCOMPARE(tool.Caption(), QString::fromLatin1(kCaptionEnterData));

  line.written.clear();
  const CoinNumbers coins{7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 65535};
  tool.machine.Save(test::TextsOf(coins));
  line.Receive(tool.TakeSent());
  tool.Feed(line.written);
  QCOMPARE(tool.Caption(), QString::fromLatin1(kCaptionSaveComplete));
  QCOMPARE(tool.entries[15], std::string("65535"));
  QCOMPARE(emulator.Side().Coins(), coins);
  QVERIFY(log.Has("hopper -> tool  84  acknowledgement"));
  QVERIFY(log.Has("save frame: 7 0 0"));
}

void MemoryLineTest::pacedBytesArriveInOrder() {
  test::MemoryLog log;
  MemoryChannel line;
  HopperEmulator emulator({}, line, log.log);  // paced like 9600 baud by default
  emulator.PowerOn();
  const QByteArray expected = DefaultReport() + char(kSyncByte);
  QVERIFY(line.written.size() < expected.size());  // not all at once
  QTRY_COMPARE_WITH_TIMEOUT(line.written, expected, 5000);
}

void MemoryLineTest::pullCableClosesTheLineAfterCountedBytes() {
  test::MemoryLog log;
  MemoryChannel line;
  HopperConfig config;
  config.faults.pullCableAfter = 10;
  HopperEmulator emulator(config, line, log.log);
  emulator.SetByteTimeUs(0);
  QSignalSpy gone(&emulator, &HopperEmulator::LineGone);
  emulator.PowerOn();
  QCOMPARE(line.written, DefaultReport().left(10));
  QVERIFY(gone.wait(5000));
  QVERIFY(!line.IsOpen());
  QVERIFY(log.Has("cable pulled after 10 bytes"));
  emulator.PowerOn();
  QVERIFY(log.Has("power on refused: the line is closed"));
  QCOMPARE(line.written.size(), 10);
}

void MemoryLineTest::powerOnWaitsForTheToolToOpenTheLine() {
  test::MemoryLog log;
  MemoryChannel line;
  line.SetPeerPresent(false);
  HopperEmulator emulator({}, line, log.log);
  emulator.SetByteTimeUs(0);
  emulator.PowerOnWhenOpened(10);
  QVERIFY(!log.Has("power on"));
  line.SetPeerPresent(true);
  QTRY_VERIFY_WITH_TIMEOUT(line.written.startsWith(DefaultReport()), 5000);
  QVERIFY(log.Has("the tool opened the line"));
}

void MemoryLineTest::bytesNobodyListensToAreLost() {
  test::MemoryLog log;
  MemoryChannel line;
  line.SetPeerPresent(false);
  HopperEmulator emulator({}, line, log.log);
  emulator.SetByteTimeUs(0);
  emulator.PowerOn();
  QVERIFY(line.written.isEmpty());
  QTRY_VERIFY_WITH_TIMEOUT(log.Has(QStringLiteral("%1 bytes went nowhere").arg(DefaultReport().size() + 1)), 5000);
}

void MemoryLineTest::echoWaitEnds() {
  test::MemoryLog log;
  MemoryChannel line;
  HopperConfig config;
  config.echoTimeoutMs = 50;
  HopperEmulator emulator(config, line, log.log);
  emulator.SetByteTimeUs(0);
  emulator.PowerOn();
  QTRY_VERIFY_WITH_TIMEOUT(log.Has("no echo within 50 ms"), 5000);
  QCOMPARE(line.written.back(), char(kSyncByte));
}
