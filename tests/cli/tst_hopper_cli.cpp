// hopper-cli as a script sees it: the real program against the emulated hopper on a
// pseudo-terminal, judged by its exit code, its output and what the hopper holds afterwards.

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "core/setting_frames.h"
#include "platform/files/settings_store.h"
#include "pty_peer.h"
#include "settings_sandbox.h"
#include "tests/emulator/line_test_support.h"
#include "tools/emulator/hopper_emulator.h"
#include "tools/emulator/pty_channel.h"

using namespace hopper;
using namespace hopper::emulator;

Q_DECLARE_METATYPE(hopper::emulator::Faults)

namespace {
constexpr int kWaitMs = 20000;
const CoinNumbers kFileSet{1234, 500, 250, 100, 50, 20, 10, 5, 2, 1, 0, 0, 0, 0, 7, 65535};

// The emulated hopper on a line of its own, switched on once the program opens the port.
struct HopperLine {
  explicit HopperLine(const HopperConfig& config = {}, bool powerOn = true) {
    openError = line.Open();
    hopper = std::make_unique<HopperEmulator>(config, line, log.log);
    hopper->SetByteTimeUs(0);
    if (powerOn) hopper->PowerOnWhenOpened(20);
  }
  test::MemoryLog log;
  PtyChannel line;
  QString openError;
  std::unique_ptr<HopperEmulator> hopper;
};

struct Run {
  int code = -1;
  QString out;
  QString err;
};

void Start(QProcess& process, const QStringList& arguments) {
  process.start(QStringLiteral(HOPPER_CLI), arguments);
}

Run Finish(QProcess& process) {
  Run run;
  if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, kWaitMs)) process.kill();
  process.waitForFinished(kWaitMs);
  run.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  run.out = QString::fromUtf8(process.readAllStandardOutput());
  run.err = QString::fromUtf8(process.readAllStandardError());
  return run;
}

Run Cli(const QStringList& arguments) {
  QProcess process;
  Start(process, arguments);
  return Finish(process);
}

QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& text) {
  const QString path = dir.filePath(name);
  QFile file(path);
  file.open(QIODevice::WriteOnly);
  file.write(text);
  return path;
}

QByteArray SetText(const CoinNumbers& coins) {
  QByteArray text;
  for (std::uint16_t v : coins) text += " " + QByteArray::number(v) + "\r\n";
  return text;
}
}  // namespace

class HopperCliTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { QVERIFY(sandbox_.IsValid() && dir_.isValid()); }
  void readPrintsTheReport();
  void writeLeavesTheFileInTheHopper();
  void differingReadBackNamesTheChannel();
  void faults_data();
  void faults();
  void refusals_data();
  void refusals();
  void twoPortsSideBySide();
  void samePortIsBusyAndInterruptCloses();

 private:
  test::SettingsSandbox sandbox_;
  QTemporaryDir dir_;
};

void HopperCliTest::readPrintsTheReport() {
  HopperLine hopper;
  QCOMPARE(hopper.openError, QString());
  const QString out = dir_.filePath(QStringLiteral("read.TXT"));
  const Run printed = Cli({"read", "--port", hopper.line.SlavePath()});
  QCOMPARE(printed.code, 0);
  QVERIFY(printed.out.startsWith(QStringLiteral("Channel1 1000\nChannel2 500\n")));
  QVERIFY(printed.out.endsWith(QStringLiteral("Channel16 0\n")));
  QCOMPARE(printed.err.count(QStringLiteral("switch the hopper on")), 1);
  QVERIFY(hopper.log.Has("tool -> hopper  82  echo"));

  // Through the tool's port map, into a parameter file.
  HopperLine mapped;
  SettingsStore().SetMappedDevice(3, mapped.line.SlavePath());
  QCOMPARE(Cli({"read", "--port", "COM3", "--out", out}).code, 0);
  QFile file(out);
  QVERIFY(file.open(QIODevice::ReadOnly));
  QCOMPARE(file.readAll(), SetText(mapped.hopper->Side().Coins()));
}

void HopperCliTest::writeLeavesTheFileInTheHopper() {
  HopperLine hopper;
  const QString file = WriteFile(dir_, QStringLiteral("sets.TXT"), SetText(kFileSet));
  const QString log = dir_.filePath(QStringLiteral("traffic.log"));
  const Run run = Cli({"write", file, "--port", hopper.line.SlavePath(), "--json", "--log", log});
  QCOMPARE(run.code, 0);
  QCOMPARE(hopper.hopper->Side().Coins(), kFileSet);
  const QJsonObject result = QJsonDocument::fromJson(run.out.toUtf8()).object();
  QCOMPARE(result.value("result").toString(), QStringLiteral("done"));
  QCOMPARE(result.value("readBack").toArray().at(15).toInt(), 65535);
  QCOMPARE(result.value("reported").toArray().at(0).toInt(), 1000);
  QVERIFY(hopper.log.Has("save frame: 1234 500 250 100 50 20 10 5 2 1 0 0 0 0 7 65535"));
  QFile traffic(log);
  QVERIFY(traffic.open(QIODevice::ReadOnly));
  const QByteArray logged = traffic.readAll();
  QVERIFY(logged.contains("tool -> hopper  83  save frame: lead byte 0x83"));
  QVERIFY(logged.contains(hopper.line.SlavePath().toUtf8()) && !logged.contains("COM0"));
  // The set the hopper held before is kept as a parameter file named after the device.
  QFile backup(result.value("backup").toString());
  QVERIFY(backup.fileName().endsWith(QString(hopper.line.SlavePath()).mid(5).replace('/', '-') + ".txt"));
  QVERIFY(backup.open(QIODevice::ReadOnly));
  QCOMPARE(backup.readAll(), SetText(HopperConfig().coins));
}

void HopperCliTest::differingReadBackNamesTheChannel() {
  // A hopper that stores Channel3 as 251 whatever it is sent.
  test::PtyPeer peer;
  QVERIFY(peer.IsValid());
  const QString file = WriteFile(dir_, QStringLiteral("differs.TXT"), SetText(kFileSet));
  QProcess process;
  Start(process, {"write", file, "--port", peer.path()});
  QVERIFY(QTest::qWaitFor([&] { return process.readAllStandardError().contains("switch the hopper on"); }, kWaitMs));
  const std::vector<std::uint8_t> report = BuildReportFrame(1, 2, std::vector<std::uint8_t>{9}, CoinNumbers{1});
  peer.write(QByteArray(reinterpret_cast<const char*>(report.data()), static_cast<qsizetype>(report.size())) + "\x82");
  QCOMPARE(peer.waitForBytes(1, kWaitMs), QByteArray("\x82"));
  peer.write("\x83");
  QCOMPARE(peer.waitForBytes(static_cast<int>(kSaveFrameSize), kWaitMs).size(), qsizetype(kSaveFrameSize));
  CoinNumbers stored = kFileSet;
  stored[2] = 251;
  const ReadBackBlock block = BuildReadBackBlock(stored);
  peer.write("\x84" + QByteArray(reinterpret_cast<const char*>(block.data()), static_cast<qsizetype>(block.size())));
  const Run run = Finish(process);
  QCOMPARE(run.code, 7);
  QCOMPARE(run.out, QStringLiteral("Channel3 written 250 read back 251\n"));
}

void HopperCliTest::faults_data() {
  QTest::addColumn<Faults>("faults");
  QTest::addColumn<bool>("powerOn");
  QTest::addColumn<int>("code");
  QTest::addColumn<QString>("said");

  Faults f;
  QTest::newRow("hopper stays off") << f << false << 4 << QString("No report from the hopper");
  f = {}; f.badReportChecksum = true;
  QTest::newRow("bad report checksum") << f << true << 5 << QString("Checksum Error,Reset hopper");
  f = {}; f.wrongReady = 0x85;
  QTest::newRow("wrong ready byte") << f << true << 5 << QString("Comunication Error,Reset hopper");
  f = {}; f.cutReportAfter = 20;
  QTest::newRow("report cut off") << f << true << 5 << QString("Receive Error perhaps incorrect interface");
  f = {}; f.cutReportAfter = 2;
  QTest::newRow("report cut in its header") << f << true << 4 << QString("No report from the hopper");
  f = {}; f.noAck = true;
  QTest::newRow("no acknowledgement") << f << true << 6 << QString("No Response");
  f = {}; f.wrongAck = 0x85;
  QTest::newRow("wrong acknowledgement") << f << true << 6 << QString("Save faild,Reset hopper");
  f = {}; f.badReadBackChecksum = true;
  QTest::newRow("bad read-back checksum") << f << true << 5 << QString("Checksum Error,Reset hopper");
  f = {}; f.pullCableAfter = 2;
  QTest::newRow("pulled cable") << f << true << 3 << QString("The port went away");
  f = {}; f.noEchoWait = true;
  QTest::newRow("no echo wait") << f << true << 0 << QString("");
  f = {}; f.infoLengthZero = true;
  QTest::newRow("info length zero") << f << true << 0 << QString("");
}

void HopperCliTest::faults() {
  QFETCH(Faults, faults);
  QFETCH(bool, powerOn);
  QFETCH(int, code);
  QFETCH(QString, said);
  HopperConfig config;
  config.faults = faults;
  HopperLine hopper(config, powerOn);
  const QString file = WriteFile(dir_, QStringLiteral("fault.TXT"), SetText(kFileSet));
  const Run run = Cli({"write", file, "--port", hopper.line.SlavePath(), "--timeout", "2"});
  QCOMPARE(run.code, code);
  QVERIFY2(run.err.contains(said), qPrintable(run.err));
}

void HopperCliTest::refusals_data() {
  QTest::addColumn<QStringList>("arguments");
  QTest::addColumn<int>("code");
  QTest::addColumn<QString>("said");

  const QString gone = QStringLiteral("/dev/no-such-adapter");
  const auto file = [this](const char* name, const QByteArray& text) { return WriteFile(dir_, name, text); };
  QTest::newRow("no command") << QStringList{} << 2 << QString("say read or write");
  QTest::newRow("write without a file") << QStringList{"write"} << 2 << QString("needs the parameter file");
  QTest::newRow("bad timeout") << QStringList{"read", "--timeout", "soon"} << 2 << QString("--timeout");
  QTest::newRow("no such port") << QStringList{"read", "--port", gone} << 3 << QString("Port Number Error");
  QTest::newRow("no port number") << QStringList{"read", "--port", "COMX"} << 3 << QString("neither a port number");
  // Files are refused before the port is looked at.
  QTest::newRow("missing file") << QStringList{"write", dir_.filePath("none.TXT"), "--port", gone} << 8
                                << QString("File Does Not Exist");
  QTest::newRow("letters") << QStringList{"write", file("letters.TXT", " 1\r\n x2\r\n"), "--port", gone} << 8
                           << QString("Unable to load , Please check file");
  QTest::newRow("above range") << QStringList{"write", file("range.TXT", " 1\r\n 70000\r\n"), "--port", gone} << 8
                               << QString("Channel2 is above 65535");
  QTest::newRow("all zero") << QStringList{"write", file("zero.TXT", " 0\r\n"), "--port", gone} << 8
                            << QString("Unavailable setting");
}

void HopperCliTest::refusals() {
  QFETCH(QStringList, arguments);
  QFETCH(int, code);
  QFETCH(QString, said);
  const Run run = Cli(arguments);
  QCOMPARE(run.code, code);
  QVERIFY2(run.err.contains(said), qPrintable(run.err));
}

void HopperCliTest::twoPortsSideBySide() {
  HopperLine first;
  HopperLine second;
  CoinNumbers other = kFileSet;
  other[0] = 42;
  const QString a = WriteFile(dir_, QStringLiteral("a.TXT"), SetText(kFileSet));
  const QString b = WriteFile(dir_, QStringLiteral("b.TXT"), SetText(other));
  QProcess one;
  QProcess two;
  Start(one, {"write", a, "--port", first.line.SlavePath()});
  Start(two, {"write", b, "--port", second.line.SlavePath()});
  QCOMPARE(Finish(one).code, 0);
  QCOMPARE(Finish(two).code, 0);
  QCOMPARE(first.hopper->Side().Coins(), kFileSet);
  QCOMPARE(second.hopper->Side().Coins(), other);
}

void HopperCliTest::samePortIsBusyAndInterruptCloses() {
  HopperLine hopper({}, false);
  QProcess first;
  Start(first, {"read", "--port", hopper.line.SlavePath()});
  QVERIFY(QTest::qWaitFor([&] { return first.readAllStandardError().contains("switch the hopper on"); }, kWaitMs));
  const Run second = Cli({"read", "--port", hopper.line.SlavePath()});
  QCOMPARE(second.code, 3);
  QVERIFY2(second.err.contains("Port Already In Use"), qPrintable(second.err));

  first.terminate();  // as Ctrl+C would
  const Run interrupted = Finish(first);
  QCOMPARE(interrupted.code, 130);
  QVERIFY(interrupted.err.contains("nothing was written"));
  QVERIFY(QTest::qWaitFor([&] { return hopper.log.Has("the tool closed the line"); }, kWaitMs));
}

QTEST_GUILESS_MAIN(HopperCliTest)
#include "tst_hopper_cli.moc"
