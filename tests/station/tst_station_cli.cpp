// hopper-cli station with four emulated hoppers on four pseudo-terminals at once, one of them
// faulty: each unit's result per port, the summary after SIGINT and the exit code. A PASS is on
// record before it is printed; refusals are JSON too; a locked shared journal neither holds the
// station up nor keeps it from ending, and its password is not left readable in ps.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <memory>

#include "json_lines.h"
#include "pg_cluster.h"
#include "platform/journal/journal_database.h"
#include "settings_sandbox.h"
#include "tests/emulator/line_test_support.h"
#include "tools/emulator/hopper_emulator.h"
#include "tools/emulator/pty_channel.h"

using namespace hopper;
using namespace hopper::emulator;

Q_DECLARE_METATYPE(hopper::emulator::Faults)

namespace {
constexpr int kWaitMs = 30000;
constexpr int kUnits = 3;
constexpr int kPorts = 4;
constexpr int kFaulty = 2;  // the port whose hopper misbehaves

// One fixture: the emulated hopper on a line reached through a link of a fixed name.
struct Fixture {
  Fixture(const QString& path, const HopperConfig& config) : link(path) { PlugIn(config); }
  void PlugIn(const HopperConfig& config) {
    hopper.reset();
    line = std::make_unique<PtyChannel>();
    openError = line->Open(link);
    hopper = std::make_unique<HopperEmulator>(config, *line, log.log);
    hopper->SetByteTimeUs(0);
    hopper->PowerOnWhenOpened(20);
  }
  QString link;
  test::MemoryLog log;
  std::unique_ptr<PtyChannel> line;
  std::unique_ptr<HopperEmulator> hopper;
  QString openError;
  QStringList results;  // "PASS", "FAIL no-acknowledgement", …
  bool gone = false;
};
}  // namespace

class StationCli : public QObject {
  Q_OBJECT
 private slots:
  void unitsPerPort_data();
  void unitsPerPort();
  void interruptedSaveIsUnverified();
  void passIsOnRecordBeforeItIsShown_data();
  void passIsOnRecordBeforeItIsShown();
  void refusalsAreJsonToo_data();
  void refusalsAreJsonToo();
  void lockedServerNeitherHoldsUpNorShowsThePassword();
};

void StationCli::unitsPerPort_data() {
  QTest::addColumn<Faults>("faults");
  QTest::addColumn<QStringList>("expected");  // the faulty port's units
  QTest::addColumn<int>("code");
  Faults none;
  Faults noAck;
  noAck.noAck = true;
  Faults differs;
  differs.readBackChange = 3;
  Faults cut;  // switched off half-way through its report
  cut.cutReportAfter = 20;
  Faults pulled;
  pulled.pullCableAfter = 20;
  const auto times = [](const QString& result) { return QStringList(kUnits, result); };
  QTest::newRow("all good") << none << times("PASS") << 0;
  QTest::newRow("no acknowledgement") << noAck << times("FAIL no-acknowledgement") << 6;
  QTest::newRow("differing read-back") << differs << times("FAIL read-back-differs") << 7;
  QTest::newRow("switched off in the report") << cut << times("FAIL report-cut") << 5;
  Faults badReadBack;
  badReadBack.badReadBackChecksum = true;
  QTest::newRow("spoilt read-back") << badReadBack << times("FAIL read-back-checksum") << 5;
  Faults wrongAck;
  wrongAck.wrongAck = 0x85;
  QTest::newRow("wrong acknowledgement") << wrongAck << times("FAIL wrong-acknowledgement") << 6;
  // The adapter comes back (without the fault) and the port carries on.
  QTest::newRow("pulled cable") << pulled << QStringList{"FAIL adapter-gone", "PASS", "PASS"} << 3;
}

namespace {

// The parameter file the station writes, in `dir`; empty when it could not be made.
QString WriteSet(const QTemporaryDir& dir, const QByteArray& text) {
  const QString path = dir.filePath(QStringLiteral("set.txt"));
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) return {};
  return path;
}

// The verified entries in the journal of the sandbox's data folder.
int VerifiedEntries() {
  QProcess history;
  history.start(QStringLiteral(HOPPER_CLI), {QStringLiteral("history"), QStringLiteral("--json")});
  if (!history.waitForFinished(kWaitMs)) return -1;
  int verified = 0;
  for (const QJsonValue& entry : QJsonDocument::fromJson(history.readAllStandardOutput()).array())
    verified += entry[QStringLiteral("result")].toString() == QLatin1String("verified");
  return verified;
}

}  // namespace

void StationCli::unitsPerPort() {
  QFETCH(Faults, faults);
  QFETCH(QStringList, expected);
  QFETCH(int, code);
  test::SettingsSandbox sandbox;
  QTemporaryDir dir;
  const QString setPath = WriteSet(dir, "1234\n500\n250\n100\n50\n20\n10\n5\n2\n1\n0\n0\n0\n0\n7\n65535\n");
  QVERIFY(!setPath.isEmpty());

  std::vector<std::unique_ptr<Fixture>> fixtures;
  QStringList arguments{QStringLiteral("station"), setPath, QStringLiteral("--json")};
  for (int i = 0; i < kPorts; ++i) {
    HopperConfig config;
    if (i == kFaulty) config.faults = faults;
    fixtures.push_back(std::make_unique<Fixture>(dir.filePath(QStringLiteral("hopper%1").arg(i)), config));
    QVERIFY2(fixtures.back()->openError.isEmpty(), qPrintable(fixtures.back()->openError));
    arguments << QStringLiteral("--port") << fixtures.back()->link;
  }

  QProcess station;
  QJsonObject summary;
  QByteArray pending;
  QObject::connect(&station, &QProcess::readyReadStandardOutput, [&] {
    test::TakeJsonLines(pending, station.readAllStandardOutput(), [&](const QJsonObject& event) {
      const QString name = event.value(QStringLiteral("event")).toString();
      if (name == QLatin1String("summary")) summary = event;
      int port = 0;
      while (port < kPorts && fixtures[port]->link != event.value(QStringLiteral("port")).toString()) ++port;
      if (port == kPorts) return;
      Fixture& f = *fixtures[port];
      if (name == QLatin1String("state") && event.value(QStringLiteral("state")).toString() == "adapter gone")
        f.gone = true;
      if (name != QLatin1String("unit")) return;
      const QString fault = event.value(QStringLiteral("fault")).toString();
      f.results << (event.value(QStringLiteral("result")).toString() + (fault.isEmpty() ? "" : " " + fault));
      // The next hopper is switched on as soon as the last one is done, up to kUnits of them.
      if (f.results.size() < kUnits && !f.gone) f.hopper->PowerOn();
    });
  });
  station.start(QStringLiteral(HOPPER_CLI), arguments);
  QVERIFY(station.waitForStarted(kWaitMs));

  Fixture& faulty = *fixtures[kFaulty];
  if (faults.pullCableAfter) {
    QTRY_VERIFY_WITH_TIMEOUT(faulty.gone && !faulty.results.isEmpty(), kWaitMs);
    faulty.gone = false;
    faulty.PlugIn({});  // a new hopper on the same adapter, switched on once the port reopens
  }
  for (const auto& f : fixtures) QTRY_COMPARE_WITH_TIMEOUT(f->results.size(), kUnits, kWaitMs);
  for (int i = 0; i < kPorts; ++i)
    QCOMPARE(fixtures[i]->results, i == kFaulty ? expected : QStringList(kUnits, QStringLiteral("PASS")));

  ::kill(static_cast<pid_t>(station.processId()), SIGINT);
  QTRY_VERIFY_WITH_TIMEOUT(station.state() == QProcess::NotRunning, kWaitMs);
  QCOMPARE(station.exitStatus(), QProcess::NormalExit);
  QCOMPARE(station.exitCode(), code);
  QCOMPARE(summary.value(QStringLiteral("exitCode")).toInt(), code);
  const QJsonArray ports = summary.value(QStringLiteral("ports")).toArray();
  QCOMPARE(ports.size(), kPorts);
  for (int i = 0; i < kPorts; ++i) {
    const QJsonObject p = ports[i].toObject();
    QCOMPARE(p.value(QStringLiteral("port")).toString(), fixtures[i]->link);
    QCOMPARE(p.value(QStringLiteral("passed")).toInt(), fixtures[i]->results.count(QStringLiteral("PASS")));
    QCOMPARE(p.value(QStringLiteral("failed")).toInt(), kUnits - fixtures[i]->results.count(QStringLiteral("PASS")));
    QCOMPARE(p.value(QStringLiteral("unverified")).toInt(), 0);
  }
  // Each passed unit is in the journal as a verified save.
  QProcess history;
  history.start(QStringLiteral(HOPPER_CLI), {QStringLiteral("history"), QStringLiteral("--json")});
  QVERIFY(history.waitForFinished(kWaitMs));
  int verified = 0, passed = 0;
  for (const QJsonValue& entry : QJsonDocument::fromJson(history.readAllStandardOutput()).array())
    verified += entry[QStringLiteral("result")].toString() == QLatin1String("verified");
  for (const auto& f : fixtures) passed += int(f->results.count(QStringLiteral("PASS")));
  QCOMPARE(verified, passed);
}

void StationCli::interruptedSaveIsUnverified() {
  // Ctrl+C while the save waits for its acknowledgement: that hopper's set is nobody's guess.
  test::SettingsSandbox sandbox;
  QTemporaryDir dir;
  const QString setPath = WriteSet(dir, "1\n2\n");
  QVERIFY(!setPath.isEmpty());
  HopperConfig silent;
  silent.faults.noAck = true;
  Fixture fixture(dir.filePath(QStringLiteral("hopper")), silent);
  QProcess station;
  QByteArray pending;
  QJsonObject summary;
  bool writing = false;
  QObject::connect(&station, &QProcess::readyReadStandardOutput, [&] {
    test::TakeJsonLines(pending, station.readAllStandardOutput(), [&](const QJsonObject& event) {
      if (event.value(QStringLiteral("state")).toString() == QLatin1String("writing")) writing = true;
      if (event.value(QStringLiteral("event")).toString() == QLatin1String("summary")) summary = event;
    });
  });
  station.start(QStringLiteral(HOPPER_CLI), {"station", setPath, "--json", "--port", fixture.link});
  QTRY_VERIFY_WITH_TIMEOUT(writing, kWaitMs);
  ::kill(static_cast<pid_t>(station.processId()), SIGTERM);
  QTRY_VERIFY_WITH_TIMEOUT(station.state() == QProcess::NotRunning, kWaitMs);
  QCOMPARE(station.exitCode(), 130);
  const QJsonObject port = summary.value(QStringLiteral("ports")).toArray().at(0).toObject();
  QCOMPARE(port.value(QStringLiteral("unverified")).toInt(), 1);
  QCOMPARE(port.value(QStringLiteral("failed")).toInt(), 0);
}

void StationCli::passIsOnRecordBeforeItIsShown_data() {
  QTest::addColumn<int>("units");
  QTest::newRow("killed after the first PASS") << 1;
  QTest::newRow("killed after the third PASS") << 3;
}

void StationCli::passIsOnRecordBeforeItIsShown() {
  QFETCH(int, units);
  test::SettingsSandbox sandbox;
  QTemporaryDir dir;
  const QString setPath = WriteSet(dir, "1\n2\n");
  QVERIFY(!setPath.isEmpty());
  Fixture fixture(dir.filePath(QStringLiteral("hopper")), {});
  QVERIFY2(fixture.openError.isEmpty(), qPrintable(fixture.openError));
  QProcess station;
  QByteArray pending;
  int passes = 0;
  bool killed = false;
  QObject::connect(&station, &QProcess::readyReadStandardOutput, [&] {
    test::TakeJsonLines(pending, station.readAllStandardOutput(), [&](const QJsonObject& event) {
      if (killed || event.value(QStringLiteral("event")).toString() != QLatin1String("unit")) return;
      if (event.value(QStringLiteral("result")).toString() != QLatin1String("PASS")) return;
      if (++passes < units) return fixture.hopper->PowerOn();
      // At once, before the program can do anything more.
      ::kill(static_cast<pid_t>(station.processId()), SIGKILL);
      killed = true;
    });
  });
  station.start(QStringLiteral(HOPPER_CLI), {"station", setPath, "--json", "--port", fixture.link});
  QTRY_VERIFY_WITH_TIMEOUT(killed, kWaitMs);
  QTRY_VERIFY_WITH_TIMEOUT(station.state() == QProcess::NotRunning, kWaitMs);
  QCOMPARE(VerifiedEntries(), units);
}

void StationCli::refusalsAreJsonToo_data() {
  QTest::addColumn<QString>("refusal");
  QTest::addColumn<int>("code");
  QTest::newRow("the set file refused") << "file" << 8;
  QTest::newRow("a port in use") << "port" << 3;
}

void StationCli::refusalsAreJsonToo() {
  QFETCH(QString, refusal);
  QFETCH(int, code);
  test::SettingsSandbox sandbox;
  QTemporaryDir dir;
  const QString setPath = WriteSet(dir, refusal == "file" ? "1\nx2\n" : "1\n2\n");
  Fixture fixture(dir.filePath(QStringLiteral("hopper")), {});
  QProcess holder;  // a first station holds the port
  QByteArray pending;
  bool started = false;
  if (refusal == "port") {
    QObject::connect(&holder, &QProcess::readyReadStandardOutput, [&] {
      test::TakeJsonLines(pending, holder.readAllStandardOutput(), [&](const QJsonObject& event) {
        started = started || event.value(QStringLiteral("event")).toString() == QLatin1String("started");
      });
    });
    holder.start(QStringLiteral(HOPPER_CLI), {"station", setPath, "--no-journal", "--json", "--port", fixture.link});
    QTRY_VERIFY_WITH_TIMEOUT(started, kWaitMs);
  }
  QProcess station;
  station.start(QStringLiteral(HOPPER_CLI), {"station", setPath, "--no-journal", "--json", "--port", fixture.link});
  QVERIFY(station.waitForFinished(kWaitMs));
  if (holder.state() != QProcess::NotRunning) {
    ::kill(static_cast<pid_t>(holder.processId()), SIGTERM);
    QVERIFY(holder.waitForFinished(kWaitMs));
  }
  QCOMPARE(station.exitCode(), code);
  const QList<QByteArray> lines = station.readAllStandardOutput().trimmed().split('\n');
  QCOMPARE(lines.size(), 1);
  const QJsonObject line = QJsonDocument::fromJson(lines[0]).object();
  QCOMPARE(line.value(QStringLiteral("event")).toString(), QStringLiteral("refused"));
  QCOMPARE(line.value(QStringLiteral("exitCode")).toInt(), code);
  QVERIFY(!line.value(QStringLiteral("error")).toString().isEmpty());
  if (refusal == "port") QCOMPARE(line.value(QStringLiteral("port")).toString(), fixture.link);
}

// The line's server holds its table locked: the units pass on their local record, SIGTERM
// ends the station all the same, and the password given with --journal is not left readable
// in the process's arguments, nor said anywhere.
void StationCli::lockedServerNeitherHoldsUpNorShowsThePassword() {
  test::PgCluster server;
  if (!server.Problem().isEmpty()) QSKIP(qPrintable(server.Problem()));
  QVERIFY(server.Start());
  const QString url = server.Url() + QStringLiteral("&password=s3cret");
  const JournalTarget shared = ParseJournalTarget(url);
  {
    JournalDatabase made(QStringLiteral("made"));
    QCOMPARE(made.Open(shared), QString());
  }
  test::TableLock lock(shared);
  QVERIFY2(lock.Problem().isEmpty(), qPrintable(lock.Problem()));

  test::SettingsSandbox sandbox;
  QTemporaryDir dir;
  const QString setPath = WriteSet(dir, "1\n2\n");
  Fixture fixture(dir.filePath(QStringLiteral("hopper")), {});
  QProcess station;
  QByteArray pending;
  int passes = 0;
  QObject::connect(&station, &QProcess::readyReadStandardOutput, [&] {
    test::TakeJsonLines(pending, station.readAllStandardOutput(), [&](const QJsonObject& event) {
      if (event.value(QStringLiteral("result")).toString() == QLatin1String("PASS") && ++passes < 2)
        fixture.hopper->PowerOn();
    });
  });
  station.start(QStringLiteral(HOPPER_CLI), {"station", setPath, "--json", "--journal", url, "--port", fixture.link});
  QTRY_COMPARE_WITH_TIMEOUT(passes, 2, kWaitMs);
  QFile arguments(QStringLiteral("/proc/%1/cmdline").arg(station.processId()));
  QVERIFY(arguments.open(QIODevice::ReadOnly));
  const QByteArray shown = arguments.readAll();
  QVERIFY2(!shown.contains("s3cret") && shown.contains("password=******"), shown.constData());
  ::kill(static_cast<pid_t>(station.processId()), SIGTERM);
  QTRY_VERIFY_WITH_TIMEOUT(station.state() == QProcess::NotRunning, kWaitMs);
  QCOMPARE(station.exitStatus(), QProcess::NormalExit);
  QCOMPARE(station.exitCode(), 0);
  QVERIFY(!station.readAllStandardError().contains("s3cret"));
  QCOMPARE(VerifiedEntries(), 2);
}

QTEST_GUILESS_MAIN(StationCli)
#include "tst_station_cli.moc"
