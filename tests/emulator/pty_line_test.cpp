// The emulator on a pseudo-terminal, its far end opened here the way the tool opens its port.

#include "tests/emulator/pty_line_test.h"

#include <pty.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "tests/emulator/line_test_support.h"
#include "tests/emulator/tool_side.h"
#include "tools/emulator/fd_channel.h"
#include "tools/emulator/hopper_emulator.h"
#include "tools/emulator/pty_channel.h"

using namespace hopper;
using namespace hopper::emulator;
using hopper::test::FarEnd;

namespace {
constexpr int kWaitMs = 5000;
const qsizetype kReportSize = 4 + 4 + 33;

QByteArray SaveFrameBytes(const CoinNumbers& coins) {
  const SaveFrame frame = BuildSaveFrame(coins);
  return QByteArray(reinterpret_cast<const char*>(frame.data()), static_cast<qsizetype>(frame.size()));
}

// An emulator on a fresh pseudo-terminal, its traffic logged in memory. The line is opened
// before the emulator takes it; `openError` says why it did not open.
struct EmulatorOnPty {
  explicit EmulatorOnPty(const HopperConfig& config = {}) : emulator(config, line, log.log) {}

  test::MemoryLog log;
  PtyChannel line;
  QString openError = line.Open();
  HopperEmulator emulator;
};
}  // namespace

void PtyLineTest::dialogueOverAPseudoTerminal() {
  EmulatorOnPty pty;
  QVERIFY(pty.openError.isEmpty());
  pty.emulator.PowerOnWhenOpened(0);

  FarEnd tool(pty.line.SlavePath());
  QVERIFY(tool.IsOpen());
  test::ToolSide machine;
  QTRY_VERIFY_WITH_TIMEOUT((tool.Poll(), tool.received.size() >= kReportSize + 1), kWaitMs);
  machine.Feed(tool.Take(kReportSize + 1));
  QCOMPARE(machine.machine.State(), LinkState::EnterData);
  QCOMPARE(machine.entries[1], std::string("500"));
  tool.Write(machine.TakeSent());  // the echo
  QTRY_VERIFY_WITH_TIMEOUT((tool.Poll(), !tool.received.isEmpty()), kWaitMs);
  machine.Feed(tool.Take(1));
  QCOMPARE(machine.Caption(), QString::fromLatin1(kCaptionEnterData));

  tool.Write(test::Bytes({0x81, 0x4F, 0x10}));
  QTRY_VERIFY_WITH_TIMEOUT(pty.log.Has("tool -> hopper  81 4F 10  dispense channel 16"), kWaitMs);
}

void PtyLineTest::survivesTheToolClosingAndReopening() {
  EmulatorOnPty pty;
  QVERIFY(pty.openError.isEmpty());
  pty.emulator.PowerOnWhenOpened(0);
  {
    FarEnd tool(pty.line.SlavePath());
    QTRY_VERIFY_WITH_TIMEOUT((tool.Poll(), tool.received.size() >= kReportSize + 1), kWaitMs);
  }
  for (int round = 1; round <= 2; ++round) {
    QTRY_VERIFY_WITH_TIMEOUT(!pty.line.PeerPresent(), kWaitMs);
    FarEnd tool(pty.line.SlavePath());
    QVERIFY(tool.IsOpen());
    QTRY_VERIFY_WITH_TIMEOUT(pty.line.PeerPresent(), kWaitMs);
    const CoinNumbers coins{static_cast<std::uint16_t>(round), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    tool.Write(SaveFrameBytes(coins));
    QTRY_VERIFY_WITH_TIMEOUT((tool.Poll(), tool.received.size() >= 34), kWaitMs);
    QCOMPARE(tool.received.at(0), char(kSaveAckByte));
    QCOMPARE(pty.emulator.Side().Coins(), coins);
  }
  QTRY_VERIFY_WITH_TIMEOUT(pty.log.lines.filter("the tool closed the line").size() == 3, kWaitMs);
  QCOMPARE(pty.log.lines.filter("the tool opened the line").size(), 3);
}

void PtyLineTest::linkPointsAtTheDeviceAndGoesWithIt() {
  QTemporaryDir dir;
  const QString link = dir.filePath("hopper");
  QFile::link("/nonexistent", link);  // a stale link from an earlier run is replaced
  {
    PtyChannel line;
    QVERIFY(line.Open(link).isEmpty());
    QCOMPARE(QFileInfo(link).symLinkTarget(), line.SlavePath());
    FarEnd tool(link);
    QVERIFY(tool.IsOpen());
  }
  QVERIFY(!QFileInfo(link).isSymLink());
}

void PtyLineTest::linkDoesNotReplaceAnOrdinaryFile() {
  QTemporaryDir dir;
  const QString path = dir.filePath("notes.txt");
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write("keep me");
  file.close();
  PtyChannel line;
  QVERIFY(line.Open(path).contains("cannot make the link"));
  QVERIFY(file.open(QIODevice::ReadOnly));
  QCOMPARE(file.readAll(), QByteArray("keep me"));
}

void PtyLineTest::pulledCableHangsUpTheTool() {
  HopperConfig config;
  config.faults.pullCableAfter = 6;
  EmulatorOnPty pty(config);
  QVERIFY(pty.openError.isEmpty());
  QSignalSpy gone(&pty.emulator, &HopperEmulator::LineGone);
  pty.emulator.PowerOnWhenOpened(0);
  FarEnd tool(pty.line.SlavePath());
  QTRY_VERIFY_WITH_TIMEOUT(!tool.Poll(), kWaitMs);  // hung up
  QCOMPARE(tool.received.size(), 6);
  QCOMPARE(gone.size(), 1);
  QVERIFY(!pty.line.IsOpen());
}

void PtyLineTest::deviceChannelTalksOverAGivenDevice() {
  int master = -1;
  int slave = -1;
  QCOMPARE(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  const QString path = QString::fromLocal8Bit(::ttyname(slave));
  DeviceChannel line;
  QCOMPARE(line.Open(path), QString());
  QSignalSpy received(&line, &ByteChannel::BytesReceived);
  QVERIFY(line.Write(0x3A));
  char byte = 0;
  QCOMPARE(::read(master, &byte, 1), ssize_t{1});
  QCOMPARE(byte, char(0x3A));
  QCOMPARE(::write(master, "\x82", 1), ssize_t{1});
  QVERIFY(received.wait(kWaitMs));
  QCOMPARE(received.at(0).at(0).toByteArray(), QByteArray("\x82"));
  line.Close();
  ::close(slave);
  ::close(master);
}

void PtyLineTest::deviceChannelReportsAMissingDevice() {
  DeviceChannel line;
  QVERIFY(line.Open("/dev/no-such-hopper-line").contains("cannot open /dev/no-such-hopper-line"));
  QVERIFY(!line.IsOpen());
}
