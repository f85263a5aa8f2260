// The emulated hopper's decisions, without a line: bytes and triggers in, bytes and log out.
// The core receive state machine stands in for the tool where the answer matters.

#include <QtTest>

#include "core/setting_frames.h"
#include "tests/emulator/hopper_side_test.h"
#include "tests/emulator/recording_hopper_host.h"
#include "tests/emulator/tool_side.h"
#include "tools/emulator/power_on_frames.h"

using namespace hopper;
using namespace hopper::emulator;
using hopper::test::Bytes;

Q_DECLARE_METATYPE(hopper::emulator::Faults)

namespace {

QByteArray ToQ(std::span<const std::uint8_t> bytes) {
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

const HopperConfig kDefault;

QByteArray DefaultReport() {
  return ToQ(BuildReportFrame(kDefault.header1, kDefault.header2, kDefault.info, kDefault.coins));
}

const CoinNumbers kNewCoins{1000, 500, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

// The hopper and the tool's state machine wired back to back until neither has more to say.
struct Dialogue {
  explicit Dialogue(const Faults& faults) : hopper(Configured(faults), host) {}
  static HopperConfig Configured(const Faults& faults) {
    HopperConfig config;
    config.faults = faults;
    return config;
  }
  void Settle() {
    for (int round = 0; round < 10; ++round) {
      const QByteArray toTool = host.TakeSent();
      wire += toTool;
      tool.Feed(toTool);
      const QByteArray toHopper = tool.TakeSent();
      if (toTool.isEmpty() && toHopper.isEmpty()) return;
      for (char c : toHopper) hopper.Consume(static_cast<std::uint8_t>(c));
    }
  }
  void Save() {
    tool.machine.Save(test::TextsOf(kNewCoins));
    Settle();
  }
  test::RecordingHopperHost host;
  HopperSide hopper;
  test::ToolSide tool;
  QByteArray wire;  // everything the hopper sent
};

}  // namespace

void HopperSideTest::powerOnSendsReportAndSync() {
  test::RecordingHopperHost host;
  HopperSide hopper(kDefault, host);
  QCOMPARE(hopper.Phase(), HopperPhase::Off);
  hopper.PowerOn();
  QCOMPARE(host.sent, DefaultReport() + Bytes({0x82}));
  QCOMPARE(hopper.Phase(), HopperPhase::AwaitEcho);
  QCOMPARE(host.armed.at(HopperTimer::EchoWait), kDefault.echoTimeoutMs);
  QVERIFY(host.Logged("report 16 values: 1000 500 250"));
}

void HopperSideTest::echoBringsTheReadyByte() {
  Dialogue d({});
  d.hopper.PowerOn();
  d.Settle();
  QCOMPARE(d.wire, DefaultReport() + Bytes({0x82, 0x83}));
  QCOMPARE(d.tool.Caption(), QString::fromLatin1(kCaptionEnterData));
  QCOMPARE(d.tool.entries[0], std::string("1000"));
  QCOMPARE(d.tool.entries[9], std::string("1"));
  QVERIFY(d.host.Logged("<- echo"));
  QVERIFY(!d.host.Armed(HopperTimer::EchoWait));
  QCOMPARE(d.hopper.Phase(), HopperPhase::Ready);
}

void HopperSideTest::noEchoMeansNoReadyByte() {
  test::RecordingHopperHost host;
  HopperSide hopper(kDefault, host);
  hopper.PowerOn();
  host.TakeSent();
  hopper.TimerFired(HopperTimer::EchoWait);
  QVERIFY(host.sent.isEmpty());
  QVERIFY(host.Logged("no echo within 1000 ms"));
  QCOMPARE(hopper.Phase(), HopperPhase::Ready);
}

void HopperSideTest::saveFrameIsAcknowledgedAndReadBack() {
  Dialogue d({});
  d.hopper.PowerOn();
  d.Settle();
  d.wire.clear();
  d.Save();
  QCOMPARE(d.wire, Bytes({0x84}) + ToQ(BuildReadBackBlock(kNewCoins)));
  QVERIFY(d.host.Logged("<- save frame: 1000 500 0 0 0 0 0 0 0 0 0 0 0 0 0 0"));
  QCOMPARE(d.hopper.Coins(), kNewCoins);
  QCOMPARE(d.tool.Caption(), QString::fromLatin1(kCaptionSaveComplete));
  QCOMPARE(d.tool.entries[2], std::string("0"));
  QCOMPARE(d.tool.machine.State(), LinkState::WaitStart);

  // Switched on again, the hopper reports what it stored.
  d.wire.clear();
  d.hopper.PowerOn();
  QVERIFY(d.host.sent.startsWith(ToQ(BuildReportFrame(kDefault.header1, kDefault.header2, kDefault.info, kNewCoins))));
}

void HopperSideTest::lateAnswerAndReadBackWaitForTheirTimers() {
  Faults faults;
  faults.ackDelayMs = 500;
  faults.readBackDelayMs = 700;
  Dialogue d(faults);
  d.hopper.PowerOn();
  d.Settle();
  d.wire.clear();
  d.Save();
  QCOMPARE(d.wire, QByteArray());
  QCOMPARE(d.host.armed[HopperTimer::AckDelay], 500);
  d.hopper.TimerFired(HopperTimer::AckDelay);
  d.Settle();
  QCOMPARE(d.wire, Bytes({0x84}));
  QCOMPARE(d.host.armed[HopperTimer::ReadBackDelay], 700);
  d.hopper.TimerFired(HopperTimer::ReadBackDelay);
  d.Settle();
  QCOMPARE(d.wire, Bytes({0x84}) + ToQ(BuildReadBackBlock(kNewCoins)));
  QCOMPARE(d.tool.machine.State(), LinkState::WaitStart);
  // Switched on again while an answer waits: the answer is dropped with the old dialogue.
  d.Save();
  QVERIFY(d.host.Armed(HopperTimer::AckDelay));
  d.hopper.PowerOn();
  QVERIFY(!d.host.Armed(HopperTimer::AckDelay) && !d.host.Armed(HopperTimer::ReadBackDelay));
}

void HopperSideTest::faultsOnTheLine_data() {
  QTest::addColumn<Faults>("faults");
  QTest::addColumn<bool>("save");
  QTest::addColumn<QByteArray>("wire");  // what the hopper sent, in the part the fault touches
  QTest::addColumn<QString>("caption");
  QTest::addColumn<bool>("red");

  const QByteArray report = DefaultReport();
  const QByteArray readBack = ToQ(BuildReadBackBlock(kNewCoins));
  const QString enterData = QString::fromLatin1(kCaptionEnterData);
  Faults f;

  f = {};
  f.badReportChecksum = true;
  QByteArray spoilt = report;
  spoilt.back() = static_cast<char>(spoilt.back() + 1);
  QTest::newRow("bad report checksum") << f << false << spoilt + Bytes({0x82})
                                       << QString::fromLatin1(kCaptionChecksumError) << true;

  f = {};
  f.noEchoWait = true;
  QTest::newRow("no echo wait") << f << false << report + Bytes({0x82, 0x83}) << enterData << false;

  f = {};
  f.wrongReady = 0x85;
  QTest::newRow("wrong ready byte") << f << false << report + Bytes({0x82, 0x85})
                                    << QString::fromLatin1(kCaptionCommunicationError) << true;

  f = {};
  f.cutReportAfter = 20;
  QTest::newRow("report cut off") << f << false << report.left(20) << QString() << false;

  f = {};
  f.infoLengthZero = true;
  QTest::newRow("info length zero") << f << false
                                    << ToQ(BuildReportFrame(kDefault.header1, kDefault.header2, {}, kDefault.coins)) +
                                           Bytes({0x82, 0x83})
                                    << enterData << false;

  // A burst without a start byte in it is passed over by the tool.
  f = {};
  f.noiseBytes = 6;
  f.noiseSeed = 7;
  QTest::newRow("noise before the report")
      << f << false << ToQ(NoiseBytes(6, 7)) + report + Bytes({0x82, 0x83}) << enterData << false;

  f = {};
  f.noAck = true;
  QTest::newRow("no acknowledgement") << f << true << QByteArray() << QString::fromLatin1(kCaptionNoResponse) << true;

  f = {};
  f.wrongAck = 0x85;
  // "Save faild" at once; the response watch then finds no acknowledgement.
  QTest::newRow("wrong acknowledgement") << f << true << Bytes({0x85}) + readBack
                                         << QString::fromLatin1(kCaptionNoResponse) << true;

  f = {};
  f.badReadBackChecksum = true;
  QByteArray spoiltBack = readBack;
  spoiltBack.back() = static_cast<char>(spoiltBack.back() + 1);
  QTest::newRow("bad read-back checksum")
      << f << true << Bytes({0x84}) + spoiltBack << QString::fromLatin1(kCaptionChecksumError) << true;

  f = {};
  f.readBackChange = 1;
  CoinNumbers held = kNewCoins;
  held[1] += 1;
  QTest::newRow("read-back differs in Channel2") << f << true << Bytes({0x84}) + ToQ(BuildReadBackBlock(held))
                                                 << QString::fromLatin1(kCaptionSaveComplete) << false;
}

void HopperSideTest::faultsOnTheLine() {
  QFETCH(Faults, faults);
  QFETCH(bool, save);
  QFETCH(QByteArray, wire);
  QFETCH(QString, caption);
  QFETCH(bool, red);

  Dialogue d(faults);
  d.hopper.PowerOn();
  d.Settle();
  if (save) {
    d.wire.clear();
    d.Save();
    d.tool.machine.ResponseWatchExpired();
    if (faults.wrongAck) QVERIFY(d.tool.captions.contains(QString::fromLatin1(kCaptionSaveFailed)));
  }
  if (faults.noiseBytes > 0) QVERIFY(!ToQ(NoiseBytes(faults.noiseBytes, faults.noiseSeed)).contains(char(kStartByte)));
  QCOMPARE(d.wire.toHex(' '), wire.toHex(' '));
  QCOMPARE(d.tool.Caption(), caption);
  QCOMPARE(d.tool.red, red);
}

void HopperSideTest::dispenseCommandsAreLogged_data() {
  QTest::addColumn<QByteArray>("bytes");
  QTest::addColumn<QString>("logged");
  QTest::newRow("start up") << Bytes({0x80}) << "<- start up";
  QTest::newRow("channel 1") << Bytes({0x81, 0x40, 0x10})
                             << "<- dispense channel 1: would pay from Channel1 (coin number 1000)";
  QTest::newRow("channel 16") << Bytes({0x81, 0x4F, 0x10}) << "<- dispense channel 16";
  QTest::newRow("bad channel byte") << Bytes({0x81, 0x50, 0x10}) << "bad channel or end byte";
  QTest::newRow("bad end byte") << Bytes({0x81, 0x41, 0x11}) << "bad channel or end byte";
  QTest::newRow("stray byte") << Bytes({0x07}) << "<- unexpected byte";
}

void HopperSideTest::dispenseCommandsAreLogged() {
  QFETCH(QByteArray, bytes);
  QFETCH(QString, logged);
  test::RecordingHopperHost host;
  HopperSide hopper(kDefault, host);
  hopper.PowerOn();
  hopper.TimerFired(HopperTimer::EchoWait);
  host.TakeSent();
  for (char c : bytes) hopper.Consume(static_cast<std::uint8_t>(c));
  QVERIFY2(host.Logged(logged), qPrintable(host.log.join('\n')));
  QVERIFY(host.sent.isEmpty());  // the dispense protocol gets no answer
}

void HopperSideTest::bytesWhileOffAreIgnored() {
  test::RecordingHopperHost host;
  HopperSide hopper(kDefault, host);
  for (std::uint8_t b : BuildSaveFrame(kNewCoins)) hopper.Consume(b);
  QVERIFY(host.sent.isEmpty());
  QCOMPARE(hopper.Coins(), kDefault.coins);
  QVERIFY(host.Logged("ignored: the hopper is off"));
}

void HopperSideTest::aStalledSaveFrameIsDropped() {
  test::RecordingHopperHost host;
  HopperSide hopper(kDefault, host);
  hopper.PowerOn();
  hopper.TimerFired(HopperTimer::EchoWait);
  host.TakeSent();
  for (int b : {0x83, 0x00, 0x01, 0x00, 0x02}) hopper.Consume(static_cast<std::uint8_t>(b));
  QCOMPARE(host.armed.at(HopperTimer::FrameGap), kDefault.frameGapMs);
  hopper.TimerFired(HopperTimer::FrameGap);
  QVERIFY(host.Logged("command cut off after 5 bytes: dropped"));
  hopper.Consume(0x80);
  QVERIFY(host.Logged("<- start up"));
  QVERIFY(host.sent.isEmpty());
}

void HopperSideTest::noiseIsRepeatable() {
  QCOMPARE(NoiseBytes(32, 5), NoiseBytes(32, 5));
  QVERIFY(NoiseBytes(32, 5) != NoiseBytes(32, 6));
  QCOMPARE(NoiseBytes(0, 5).size(), std::size_t{0});
}

void HopperSideTest::cutBeyondTheReportCutsNothing() {
  HopperConfig config;
  config.faults.cutReportAfter = 500;
  const PowerOnFrames frames = BuildPowerOnFrames(config);
  QVERIFY(!frames.cut);
  QCOMPARE(ToQ(frames.report), DefaultReport());
}
