// One save, four faces: the window, hopper-cli with its journal row, and a station line each
// save the same set into the same emulated hopper, and each must tell the same verdict.
#include <signal.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "core/link_captions.h"
#include "core/save_check.h"
#include "hopper_bench.h"
#include "platform/station/station_line.h"

using namespace hopper;
using namespace hopper::emulator;
using namespace hopper::test;

namespace {

// What happens to the save beside the hopper's own faults.
enum class During {
  Nothing,
  FrameRefused,  // the port does not take the save frame
  Interrupt,     // the save is stopped once the hopper has heard it: window closed, Ctrl+C, station stopped
};

}  // namespace

Q_DECLARE_METATYPE(hopper::emulator::Faults)
Q_DECLARE_METATYPE(During)

namespace {

constexpr int kWaitMs = 20000;
const CoinNumbers kSet{1000, 500, 250, 100, 50, 20, 10, 5, 2, 1, 0, 0, 0, 0, 0, 0};

QString Name(VerdictKind kind) { return QString::fromLatin1(VerdictName(kind)); }

// The emulated hopper on a line of its own, switched on once the far end opens the port.
struct HopperLine {
  explicit HopperLine(const HopperConfig& config) {
    openError = line.Open();
    hopper = std::make_unique<HopperEmulator>(config, line, log.log);
    hopper->PowerOnWhenOpened(20);
  }
  MemoryLog log;
  PtyChannel line;
  QString openError;
  std::unique_ptr<HopperEmulator> hopper;
};

// Qt's port to the emulated hopper, except that it takes no write of more than one byte: the
// save frame is refused, the echo goes out.
class FrameRefusingPort final : public SerialPort {
 public:
  FrameRefusingPort() {
    connect(&port_, &SerialPort::BytesArrived, this, &SerialPort::BytesArrived);
    connect(&port_, &SerialPort::DeviceLost, this, &SerialPort::DeviceLost);
    connect(&port_, &SerialPort::DeviceReturned, this, &SerialPort::DeviceReturned);
  }
  void SetDevice(const QString& path) { port_.SetDevice(path); }
  void SetPortNumber(int portNumber) override { port_.SetPortNumber(portNumber); }
  int PortNumber() const override { return port_.PortNumber(); }
  QString DeviceFor(int portNumber) const override { return port_.DeviceFor(portNumber); }
  OpenOutcome Open() override { return port_.Open(); }
  void Close() override { port_.Close(); }
  bool IsOpen() const override { return port_.IsOpen(); }
  qint64 BytesWaiting() override { return port_.BytesWaiting(); }
  std::optional<std::uint8_t> ReadByte() override { return port_.ReadByte(); }
  QByteArray ReadAll() override { return port_.ReadAll(); }
  bool WriteByte(std::uint8_t byte) override { return port_.WriteByte(byte); }
  bool Write(std::span<const std::uint8_t> bytes) override { return bytes.size() <= 1 && port_.Write(bytes); }

 private:
  QtSerialPort port_;
};

std::unique_ptr<SerialPort> PortFor(During during, const QString& device = {}) {
  if (during != During::FrameRefused) {
    auto port = std::make_unique<QtSerialPort>();
    port->SetDevice(device);
    return port;
  }
  auto port = std::make_unique<FrameRefusingPort>();
  port->SetDevice(device);
  return port;
}

// The hopper has heard the save frame.
bool SaveHeard(const MemoryLog& log) { return log.Has(QStringLiteral("save frame")); }

// hopper-cli's run and its JSON; with `interruptWhen`, Ctrl+C once that holds.
QJsonObject RunCli(const QStringList& arguments, int* code, const std::function<bool()>& interruptWhen = {}) {
  QProcess process;
  process.start(QStringLiteral(HOPPER_CLI), arguments);
  bool interrupted = false;
  const auto ended = [&] {
    if (interruptWhen && !interrupted && process.state() == QProcess::Running && interruptWhen()) {
      ::kill(static_cast<pid_t>(process.processId()), SIGINT);
      interrupted = true;
    }
    return process.state() == QProcess::NotRunning;
  };
  if (!QTest::qWaitFor(ended, kWaitMs)) process.kill();
  process.waitForFinished(kWaitMs);
  *code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  const QJsonDocument json = QJsonDocument::fromJson(process.readAllStandardOutput());
  return json.isObject() ? json.object() : QJsonObject{{"array", json.array()}};
}

}  // namespace

class OneVerdictTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { QVERIFY(dir_.isValid()); }
  void everyFaceTellsTheSame_data();
  void everyFaceTellsTheSame();

 private:
  QTemporaryDir dir_;
};

void OneVerdictTest::everyFaceTellsTheSame_data() {
  QTest::addColumn<Faults>("faults");
  QTest::addColumn<During>("during");
  QTest::addColumn<QString>("verdict");
  QTest::addColumn<int>("code");         // hopper-cli's exit code
  QTest::addColumn<QString>("journal");  // the result of the save's journal row

  const During none = During::Nothing;
  Faults f;
  QTest::newRow("verified") << f << none << Name(VerdictKind::Verified) << 0 << "verified";
  f = {};
  f.readBackChange = 2;
  QTest::newRow("differs") << f << none << Name(VerdictKind::Differs) << 7 << "differs";
  f = {};
  f.noAck = true;
  QTest::newRow("no acknowledgement") << f << none << Name(VerdictKind::NoAcknowledgement) << 6 << "no response";
  f = {};
  f.wrongAck = 0x85;
  QTest::newRow("wrong acknowledgement") << f << none << Name(VerdictKind::WrongAcknowledgement) << 6 << "failed";
  f = {};
  f.wrongAck = kStartByte;
  QTest::newRow("new report instead") << f << none << Name(VerdictKind::NewReportInstead) << 6 << "failed";
  f = {};
  f.badReadBackChecksum = true;
  QTest::newRow("read-back checksum") << f << none << Name(VerdictKind::ReadBackChecksum) << 5 << "unverified";
  // Acknowledged 0.5 s after the frame, read back 0.7 s later: past the one deadline.
  f = {};
  f.ackDelayMs = 500;
  f.readBackDelayMs = 700;
  QTest::newRow("late acknowledgement and late read-back")
      << f << none << Name(VerdictKind::ReadBackCut) << 5 << "unverified";
  // Late, but within the deadline counted from the frame.
  f = {};
  f.ackDelayMs = 300;
  f.readBackDelayMs = 300;
  QTest::newRow("late, in time") << f << none << Name(VerdictKind::Verified) << 0 << "verified";
  // hopper-cli opens the port itself: only the window and the station meet a refusing one here.
  QTest::newRow("write failed") << Faults{} << During::FrameRefused << Name(VerdictKind::WriteFailed) << 3 << "failed";
  // The cable comes out after the acknowledgement (the 44th byte after the report, sync and
  // ready), before the read-back.
  f = {};
  f.pullCableAfter = 44;
  QTest::newRow("port lost") << f << none << Name(VerdictKind::PortLost) << 3 << "unverified";
  // No answer: the save is still open when it is stopped.
  f = {};
  f.noAck = true;
  QTest::newRow("interrupted") << f << During::Interrupt << Name(VerdictKind::Interrupted) << 130 << "unverified";
}

void OneVerdictTest::everyFaceTellsTheSame() {
  QFETCH(Faults, faults);
  QFETCH(During, during);
  QFETCH(QString, verdict);
  QFETCH(int, code);
  QFETCH(QString, journal);
  HopperConfig config;
  config.coins = {};
  config.coins[0] = 1;
  config.faults = faults;

  {  // The window, its Save button pressed once the hopper is ready.
    HopperBench bench(config, {}, PortFor(during));
    QVERIFY(bench.window->StartUp());
    for (int i = 0; i < 16; ++i) bench.window->SetEntryText(i, QString::number(kSet[std::size_t(i)]));
    QTRY_COMPARE_WITH_TIMEOUT(bench.Caption(), QString::fromLatin1(kCaptionEnterData), kWaitMs);
    SaveButton(*bench.window)->click();
    if (during == During::Interrupt) {
      QTRY_VERIFY_WITH_TIMEOUT(SaveHeard(bench.log), kWaitMs);
      bench.window->close();
    }
    QTRY_VERIFY_WITH_TIMEOUT(bench.window->LastVerdict().has_value(), kWaitMs);
    QCOMPARE(Name(bench.window->LastVerdict()->kind), verdict);
    QCOMPARE(VerifyMark(*bench.window)->toolTip(), QString::fromStdString(VerdictText(*bench.window->LastVerdict())));
  }

  if (during != During::FrameRefused) {  // hopper-cli, and the journal row it leaves.
    HopperLine hopper(config);
    QCOMPARE(hopper.openError, QString());
    const QString file = dir_.filePath(QStringLiteral("set.TXT"));
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    for (std::uint16_t v : kSet) out.write(" " + QByteArray::number(v) + "\r\n");
    out.close();
    int exit = -1;
    std::function<bool()> interruptWhen;
    if (during == During::Interrupt) interruptWhen = [&hopper] { return SaveHeard(hopper.log); };
    const QJsonObject run = RunCli({"write", file, "--port", hopper.line.SlavePath(), "--json"}, &exit, interruptWhen);
    QCOMPARE(exit, code);
    QCOMPARE(run.value("verdict").toString(), verdict);
    int historyExit = -1;
    const QJsonArray rows =
        RunCli({"history", "--port", hopper.line.SlavePath(), "--json"}, &historyExit).value("array").toArray();
    QVERIFY(!rows.isEmpty());
    QCOMPARE(rows[0]["detail_kind"].toString(), verdict);
    QCOMPARE(rows[0]["result"].toString(), journal);
  }

  {  // A station line.
    HopperLine hopper(config);
    QCOMPARE(hopper.openError, QString());
    StationLine line(QStringLiteral("bench"), PortFor(during, hopper.line.SlavePath()), hopper::TextsOf(kSet));
    std::optional<UnitRecord> unit;
    connect(&line, &StationLine::UnitFinished, this, [&unit](const UnitRecord& record) {
      if (!unit) unit = record;
    });
    QCOMPARE(line.Open().result, OpenResult::Opened);
    line.Start();
    if (during == During::Interrupt) {
      QTRY_VERIFY_WITH_TIMEOUT(SaveHeard(hopper.log), kWaitMs);
      line.Stop();
    }
    QTRY_VERIFY_WITH_TIMEOUT(unit.has_value(), kWaitMs);
    QVERIFY(unit->verdict);
    QCOMPARE(Name(unit->verdict->kind), verdict);
    line.Stop();
  }
}

QTEST_MAIN(OneVerdictTest)
#include "tst_one_verdict.moc"
