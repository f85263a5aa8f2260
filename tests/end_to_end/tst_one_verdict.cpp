// One save, four faces: the window, hopper-cli with its journal row, and a station line each
// save the same set into the same emulated hopper, and each must tell the same verdict.
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

Q_DECLARE_METATYPE(hopper::emulator::Faults)

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

QJsonObject RunCli(const QStringList& arguments, int* code) {
  QProcess process;
  process.start(QStringLiteral(HOPPER_CLI), arguments);
  if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, kWaitMs)) process.kill();
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
  QTest::addColumn<QString>("verdict");
  QTest::addColumn<int>("code");         // hopper-cli's exit code
  QTest::addColumn<QString>("journal");  // the result of the save's journal row

  Faults f;
  QTest::newRow("verified") << f << Name(VerdictKind::Verified) << 0 << "verified";
  f = {};
  f.readBackChange = 2;
  QTest::newRow("differs") << f << Name(VerdictKind::Differs) << 7 << "differs";
  f = {};
  f.noAck = true;
  QTest::newRow("no acknowledgement") << f << Name(VerdictKind::NoAcknowledgement) << 6 << "no response";
  f = {};
  f.wrongAck = 0x85;
  QTest::newRow("wrong acknowledgement") << f << Name(VerdictKind::WrongAcknowledgement) << 6 << "failed";
  f = {};
  f.wrongAck = kStartByte;
  QTest::newRow("new report instead") << f << Name(VerdictKind::NewReportInstead) << 6 << "failed";
  f = {};
  f.badReadBackChecksum = true;
  QTest::newRow("read-back checksum") << f << Name(VerdictKind::ReadBackChecksum) << 5 << "unverified";
  // Acknowledged 0.5 s after the frame, read back 0.7 s later: past the one deadline.
  f = {};
  f.ackDelayMs = 500;
  f.readBackDelayMs = 700;
  QTest::newRow("late acknowledgement and late read-back") << f << Name(VerdictKind::ReadBackCut) << 5 << "unverified";
  // Late, but within the deadline counted from the frame.
  f = {};
  f.ackDelayMs = 300;
  f.readBackDelayMs = 300;
  QTest::newRow("late, in time") << f << Name(VerdictKind::Verified) << 0 << "verified";
}

void OneVerdictTest::everyFaceTellsTheSame() {
  QFETCH(Faults, faults);
  QFETCH(QString, verdict);
  QFETCH(int, code);
  QFETCH(QString, journal);
  HopperConfig config;
  config.coins = {};
  config.coins[0] = 1;
  config.faults = faults;

  {  // The window, its Save button pressed once the hopper is ready.
    HopperBench bench(config);
    QVERIFY(bench.window->StartUp());
    for (int i = 0; i < 16; ++i) bench.window->SetEntryText(i, QString::number(kSet[std::size_t(i)]));
    QTRY_COMPARE_WITH_TIMEOUT(bench.Caption(), QString::fromLatin1(kCaptionEnterData), kWaitMs);
    SaveButton(*bench.window)->click();
    QTRY_VERIFY_WITH_TIMEOUT(bench.window->LastVerdict().has_value(), kWaitMs);
    QCOMPARE(Name(bench.window->LastVerdict()->kind), verdict);
    QCOMPARE(VerifyMark(*bench.window)->toolTip(), QString::fromStdString(VerdictText(*bench.window->LastVerdict())));
  }

  {  // hopper-cli, and the journal row it leaves.
    HopperLine hopper(config);
    QCOMPARE(hopper.openError, QString());
    const QString file = dir_.filePath(QStringLiteral("set.TXT"));
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    for (std::uint16_t v : kSet) out.write(" " + QByteArray::number(v) + "\r\n");
    out.close();
    int exit = -1;
    const QJsonObject run = RunCli({"write", file, "--port", hopper.line.SlavePath(), "--json"}, &exit);
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
    auto port = std::make_unique<QtSerialPort>();
    port->SetDevice(hopper.line.SlavePath());
    StationLine line(QStringLiteral("bench"), std::move(port), hopper::TextsOf(kSet));
    std::optional<UnitRecord> unit;
    connect(&line, &StationLine::UnitFinished, this, [&unit](const UnitRecord& record) {
      if (!unit) unit = record;
    });
    QCOMPARE(line.Open().result, OpenResult::Opened);
    line.Start();
    QTRY_VERIFY_WITH_TIMEOUT(unit.has_value(), kWaitMs);
    QVERIFY(unit->verdict);
    QCOMPARE(Name(unit->verdict->kind), verdict);
    line.Stop();
  }
}

QTEST_MAIN(OneVerdictTest)
#include "tst_one_verdict.moc"
