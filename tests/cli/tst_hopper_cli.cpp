// hopper-cli as a script sees it: the real program against the emulated hopper on a
// pseudo-terminal, judged by its exit code, its output and what the hopper holds afterwards.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include "core/setting_frames.h"
#include "pg_cluster.h"
#include "platform/files/backup_store.h"
#include "platform/files/settings_store.h"
#include "platform/journal/journal_database.h"
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

void Start(QProcess& process, const QStringList& arguments) { process.start(QStringLiteral(HOPPER_CLI), arguments); }

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

// The journal's entries for `port` made since `since`, newest first, as hopper-cli history lists them.
QJsonArray JournalSince(const QString& port, const QDateTime& since) {
  const Run run = Cli({"history", "--port", port, "--json"});
  QJsonArray recent;
  for (const QJsonValue& entry : QJsonDocument::fromJson(run.out.toUtf8()).array())
    if (QDateTime::fromString(entry["utc"].toString(), Qt::ISODateWithMs) >= since) recent.append(entry);
  return recent;
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
  void portsListsEveryDevice();
  void refusals_data();
  void refusals();
  void namesThatCannotBeKeptAreRefused();
  void settingsPipeIsNotOpened();
  void logThatFillsUpIsToldOnce();
  void twoPortsSideBySide();
  void samePortIsBusyAndInterruptCloses();
  void historyIsEscapedAndStreamed();
  void fullDiskLosesNoEntrySilently();
  void lockedServerHoldsNothingUp();
  void portableCopiesKeepTheirOwnFiles();
  void writeAfterAKilledCopyEnds();

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
  const QDateTime began = QDateTime::currentDateTimeUtc();
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
  // The journal holds the report and the save, newest first, with all three sets.
  const QJsonArray journal = JournalSince(hopper.line.SlavePath(), began);
  QCOMPARE(journal.size(), 2);
  const QJsonObject save = journal[0].toObject();
  QCOMPARE(save["result"].toString(), QStringLiteral("verified"));
  QCOMPARE(save["sent"], result.value("written"));
  QCOMPARE(save["read_back"], result.value("readBack"));
  QCOMPARE(save["reported"], result.value("reported"));
  QCOMPARE(save["backup"].toString(), backup.fileName());
  QCOMPARE(save["program"].toString(), QStringLiteral("hopper-cli"));
  QCOMPARE(journal[1]["result"].toString(), QStringLiteral("read"));
  QCOMPARE(journal[1]["header"].toString(), QStringLiteral("01 10 04"));
  // --no-journal keeps none.
  HopperLine again;
  const qsizetype before = JournalSince(again.line.SlavePath(), began).size();
  QCOMPARE(Cli({"read", "--port", again.line.SlavePath(), "--no-journal"}).code, 0);
  QCOMPARE(JournalSince(again.line.SlavePath(), began).size(), before);
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
  QTest::addColumn<QString>("timeout");
  QTest::addColumn<QString>("journal");  // the newest entry's result; empty: no entry

  Faults f;
  QTest::newRow("hopper stays off") << f << false << 4 << QString("No report from the hopper") << QString()
                                    << QString("");
  // Rounded to the millisecond this would be 0, which waits for ever.
  QTest::newRow("hopper stays off, sub-millisecond timeout")
      << f << false << 4 << QString("No report from the hopper") << QString("0.0004") << QString("");
  f = {};
  f.badReportChecksum = true;
  QTest::newRow("bad report checksum") << f << true << 5 << QString("Checksum Error,Reset hopper") << QString()
                                       << QString("");
  f = {};
  f.wrongReady = 0x85;
  QTest::newRow("wrong ready byte") << f << true << 5 << QString("Comunication Error,Reset hopper") << QString()
                                    << QString("read");
  f = {};
  f.cutReportAfter = 20;
  QTest::newRow("report cut off") << f << true << 5 << QString("Receive Error perhaps incorrect interface") << QString()
                                  << QString("");
  f = {};
  f.cutReportAfter = 2;
  QTest::newRow("report cut in its header")
      << f << true << 4 << QString("No report from the hopper") << QString() << QString("");
  f = {};
  f.noAck = true;
  QTest::newRow("no acknowledgement") << f << true << 6 << QString("No Response") << QString()
                                      << QString("no response");
  f = {};
  f.wrongAck = 0x85;
  QTest::newRow("wrong acknowledgement") << f << true << 6 << QString("Save faild,Reset hopper") << QString()
                                         << QString("failed");
  f = {};
  f.badReadBackChecksum = true;
  QTest::newRow("bad read-back checksum")
      << f << true << 5 << QString("Checksum Error,Reset hopper") << QString() << QString("unverified");
  f = {};
  f.pullCableAfter = 2;
  QTest::newRow("pulled cable") << f << true << 3 << QString("The port went away") << QString() << QString("");
  f = {};
  f.noEchoWait = true;
  QTest::newRow("no echo wait") << f << true << 0 << QString("") << QString() << QString("verified");
  f = {};
  f.infoLengthZero = true;
  QTest::newRow("info length zero") << f << true << 0 << QString("") << QString() << QString("verified");
}

void HopperCliTest::faults() {
  QFETCH(Faults, faults);
  QFETCH(bool, powerOn);
  QFETCH(int, code);
  QFETCH(QString, said);
  QFETCH(QString, timeout);
  QFETCH(QString, journal);
  const QDateTime began = QDateTime::currentDateTimeUtc();
  HopperConfig config;
  config.faults = faults;
  HopperLine hopper(config, powerOn);
  const QString file = WriteFile(dir_, QStringLiteral("fault.TXT"), SetText(kFileSet));
  const Run run =
      Cli({"write", file, "--port", hopper.line.SlavePath(), "--timeout", timeout.isEmpty() ? "2" : timeout});
  QCOMPARE(run.code, code);
  QVERIFY2(run.err.contains(said), qPrintable(run.err));
  const QJsonArray entries = JournalSince(hopper.line.SlavePath(), began);
  QCOMPARE(entries.isEmpty() ? QString() : entries[0]["result"].toString(), journal);
}

void HopperCliTest::portsListsEveryDevice() {
  const Run plain = Cli({"ports"});
  QCOMPARE(plain.code, 0);
  QVERIFY2(!plain.out.isEmpty(), qPrintable(plain.err));  // a device a line, or "no serial devices"
  const Run run = Cli({"ports", "--json"});
  QCOMPARE(run.code, 0);
  const QJsonObject o = QJsonDocument::fromJson(run.out.toUtf8()).object();
  QCOMPARE(o.value("command").toString(), QStringLiteral("ports"));
  QCOMPARE(o.value("result").toString(), QStringLiteral("done"));
  QVERIFY(o.value("devices").isArray() && o.value("findings").isArray());
  for (const QJsonValue& device : o.value("devices").toArray())
    QVERIFY(!device.toObject().value("device").toString().isEmpty() &&
            !device.toObject().value("assignAs").toString().isEmpty());
}

void HopperCliTest::refusals_data() {
  QTest::addColumn<QStringList>("arguments");
  QTest::addColumn<int>("code");
  QTest::addColumn<QString>("said");

  const QString gone = QStringLiteral("/dev/no-such-adapter");
  const auto file = [this](const char* name, const QByteArray& text) { return WriteFile(dir_, name, text); };
  QTest::newRow("no command") << QStringList{} << 2 << QString("say read, write, ports or history");
  QTest::newRow("ports with a port") << QStringList{"ports", "--port", "3"} << 2 << QString("--port belongs to read");
  QTest::newRow("ports with a word more") << QStringList{"ports", "all"} << 2 << QString("unexpected argument: all");
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
  QTest::newRow("diff with one set") << QStringList{"diff", "a.TXT"} << 2 << QString("diff needs two sets or more");
  QTest::newRow("report of nothing") << QStringList{"report", "--pdf", "x.pdf"} << 2
                                     << QString("report needs a journal");
  QTest::newRow("report without a PDF") << QStringList{"report", "last"} << 2 << QString("report needs --pdf FILE");
  QTest::newRow("csv beside json") << QStringList{"history", "--csv", "--json"} << 2 << QString("--csv belongs");
  QTest::newRow("unit on ports") << QStringList{"ports", "--unit", "HX-1"} << 2 << QString("--unit belongs");
  QTest::newRow("unit of nothing but spaces") << QStringList{"read", "--unit", " \t "} << 2 << QString("--unit needs");
  QTest::newRow("pdf on history") << QStringList{"history", "--pdf", "x.pdf"} << 2 << QString("--pdf belongs");
  QTest::newRow("port on diff") << QStringList{"diff", "a", "b", "--port", "3"} << 2
                                << QString("--port does not belong to diff");
  // With --json a script always gets its object, also for a line that is wrong.
  QTest::newRow("json, bad timeout") << QStringList{"read", "--json", "--timeout", "soon"} << 2 << QString("--timeout");
  QTest::newRow("json, unknown option") << QStringList{"--json", "--fast"} << 2 << QString("fast");
  QTest::newRow("json, no command") << QStringList{"--json"} << 2 << QString("say read, write, ports or history");
  QTest::newRow("json, refused file") << QStringList{"write", dir_.filePath("none.TXT"), "--json"} << 8
                                      << QString("File Does Not Exist");
  // Escape codes and line breaks from outside are shown, not obeyed.
  QTest::newRow("forged line in --port") << QStringList{"read", "--port", "x\x1b[31mFAKE\nhopper-cli: verified"} << 3
                                         << QString("x\\x1b[31mFAKE\\nhopper-cli: verified");
  QTest::newRow("forged line in a station's port")
      << QStringList{"station", file("station.TXT", " 1\r\n"), "--port", "/dev/x\x1b[31mFAKE\nhopper-cli: verified"}
      << 3 << QString("/dev/x\\x1b[31mFAKE\\nhopper-cli: verified");
  QTest::newRow("forged line in a station's file")
      << QStringList{"station", dir_.filePath("a\nhopper-cli: verified"), "--port", gone} << 8
      << QString("a\\nhopper-cli: verified");
  QTest::newRow("forged line in a file name")
      << QStringList{"write", dir_.filePath("a\nhopper-cli: verified")} << 8 << QString("a\\nhopper-cli: verified");
  // A log is a regular file or a new one: a pipe would keep the open waiting for a reader for good.
  const QString pipe = dir_.filePath(QStringLiteral("log.pipe"));
  // history answers from the journal asked for or not at all, and never makes one.
  const QString typo = dir_.filePath("typo/journal.sqlite");
  QTest::newRow("history of a journal not there")
      << QStringList{"history", "--journal", typo} << 11 << QString("there is no journal file");
  QTest::newRow("history of a journal not there, json")
      << QStringList{"history", "--journal", typo, "--json"} << 11 << QString("there is no journal file");
  QTest::newRow("history of a broken URL") << QStringList{"history", "--journal", "postgresql://line:s3cret@db:x/j"}
                                           << 11 << QString("postgresql://line:***@db:x/j is no journal");
  QTest::newRow("history of a file that is no journal")
      << QStringList{"history", "--journal", file("plain.TXT", " 1\r\n")} << 11 << QString("this is no journal");
  QTest::newRow("log is a pipe") << QStringList{"read", "--log", pipe, "--port", gone} << 9
                                 << QString("It is not an ordinary file.");
  QTest::newRow("log is a device") << QStringList{"read", "--log", "/dev/full", "--port", gone} << 9
                                   << QString("It is not an ordinary file.");
  QTest::newRow("log is a folder") << QStringList{"read", "--log", dir_.path(), "--port", gone} << 9
                                   << QString("It is a folder.");
}

void HopperCliTest::refusals() {
  QFETCH(QStringList, arguments);
  QFETCH(int, code);
  QFETCH(QString, said);
  const QString pipe = dir_.filePath(QStringLiteral("log.pipe"));
  if (!QFileInfo::exists(pipe)) QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
  const Run run = Cli(arguments);
  QCOMPARE(run.code, code);
  QVERIFY2(run.err.contains(said), qPrintable(run.err));
  QVERIFY2(!run.err.contains(QChar(0x1b)) && !run.err.contains(QStringLiteral("\nhopper-cli: verified")),
           qPrintable(run.err));
  QVERIFY(!run.err.contains(QStringLiteral("s3cret")) && !run.out.contains(QStringLiteral("s3cret")));
  QVERIFY(!QFileInfo::exists(dir_.filePath(QStringLiteral("typo"))));
  if (arguments.contains(QStringLiteral("--json"))) {
    QJsonParseError error{};
    const QJsonDocument object = QJsonDocument::fromJson(run.out.toUtf8(), &error);
    QVERIFY2(error.error == QJsonParseError::NoError && object.isObject(), qPrintable(run.out));
    QCOMPARE(object.object().value("exitCode").toInt(), code);
    QVERIFY(!object.object().value("result").toString().isEmpty());
    QVERIFY(object.object().value("error").toString().contains(said));
  }
}

// A name is used as the bytes given: one that the conversion to text would change (not valid in
// the system's encoding) is refused, rather than a file of another name written or "not found".
void HopperCliTest::namesThatCannotBeKeptAreRefused() {
  QTemporaryDir work;
  // QProcess would convert the arguments to text; the shell passes them as bytes.
  const auto viaShell = [&](const QByteArray& script) {
    QProcess process;
    process.setWorkingDirectory(work.path());
    process.start(QStringLiteral("/bin/sh"),
                  {QStringLiteral("-c"), QString::fromLatin1(script), QStringLiteral(HOPPER_CLI)});
    return Finish(process);
  };
  // Qt cannot name such files either: the shell counts and removes them.
  const auto entries = [&] { return viaShell("ls -A | wc -l").out.trimmed(); };
  const Run out = viaShell("exec \"$0\" read --json --port /dev/no-such-adapter --out \"$(printf 'x\\377\\376.txt')\"");
  QCOMPARE(out.code, 2);
  QVERIFY2(out.err.contains(QStringLiteral("x\\xff\\xfe.txt")), qPrintable(out.err));
  QVERIFY2(QJsonDocument::fromJson(out.out.toUtf8()).isObject(), qPrintable(out.out));
  QCOMPARE(entries(), QStringLiteral("0"));

  const Run log = viaShell("exec \"$0\" read --port /dev/no-such-adapter --log \"$(printf 'l\\377.log')\"");
  QCOMPARE(log.code, 2);
  QCOMPARE(entries(), QStringLiteral("0"));

  const Run write = viaShell(
      "printf ' 1\\r\\n' > \"$(printf 'x\\377\\376.txt')\" && "
      "exec \"$0\" write \"$(printf 'x\\377\\376.txt')\" --port /dev/no-such-adapter");
  QCOMPARE(viaShell("rm -f ./*").code, 0);
  QCOMPARE(write.code, 2);
  QVERIFY2(!write.err.contains(QStringLiteral("File Does Not Exist")), qPrintable(write.err));
}

// A settings file that is a pipe is not opened (that would wait for a writer for good): the
// defaults are used, and it is said.
void HopperCliTest::settingsPipeIsNotOpened() {
  const QString path = SettingsStore::FilePath();
  const QString kept = path + QStringLiteral(".kept");
  QFile::remove(kept);
  QVERIFY(!QFileInfo::exists(path) || QFile::rename(path, kept));
  QVERIFY(QDir().mkpath(SettingsStore::Folder()));
  QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
  const Run run = Cli({"read", "--port", "COM200", "--json"});
  QFile::remove(path);
  if (QFileInfo::exists(kept)) QVERIFY(QFile::rename(kept, path));
  QCOMPARE(run.code, 3);
  QCOMPARE(run.err.count(QStringLiteral("It is not an ordinary file.")), 1);
  QVERIFY2(run.out.contains(QStringLiteral("It is not an ordinary file.")), qPrintable(run.out));
}

// A log that fills the disk is told once, at the first line that could not be written; the
// run itself goes on.
void HopperCliTest::logThatFillsUpIsToldOnce() {
  HopperLine hopper;
  const QString log = dir_.filePath(QStringLiteral("full.log"));
  QProcess process;
  process.setChildProcessModifier([] {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit cap{};
    getrlimit(RLIMIT_FSIZE, &cap);
    cap.rlim_cur = 150;  // the disk is full after a few lines
    setrlimit(RLIMIT_FSIZE, &cap);
  });
  Start(process, {"read", "--port", hopper.line.SlavePath(), "--log", log, "--json"});
  const Run run = Finish(process);
  QCOMPARE(run.code, 0);
  QCOMPARE(run.err.count(QStringLiteral("the log file could not be written")), 1);
  const QJsonObject result = QJsonDocument::fromJson(run.out.toUtf8()).object();
  QVERIFY2(result.value("warnings").toArray().at(0).toString().contains("could not be written"), qPrintable(run.out));
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

// What the journal holds is shown escaped, a line each; as JSON it is one document however
// many entries there are, written as they are read.
void HopperCliTest::historyIsEscapedAndStreamed() {
  const QString file = dir_.filePath(QStringLiteral("many.sqlite"));
  constexpr int kEntries = 1200;  // more than one page
  {
    JournalDatabase db(QStringLiteral("many"));
    QCOMPARE(db.Open(LocalJournal(file)), QString());
    QVERIFY(db.Database().transaction());
    for (int n = 0; n < kEntries; ++n) {
      JournalEntry entry = NewJournalEntry(QDateTime::currentDateTime().addSecs(-n));
      entry.port = n == 7 ? QStringLiteral("x\x1b[2J\nhopper-cli: forged") : QStringLiteral("COM1");
      entry.detail = QString::number(n);
      QCOMPARE(db.Add(entry), QString());
    }
    QVERIFY(db.Database().commit());
  }
  const Run lines = Cli({"history", "--journal", file});
  QCOMPARE(lines.code, 0);
  QVERIFY(!lines.out.contains(QChar(0x1b)) && !lines.out.contains(QStringLiteral("\nhopper-cli: forged")));
  QVERIFY2(lines.out.contains(QStringLiteral("x\\x1b[2J\\nhopper-cli: forged")), qPrintable(lines.out.left(2000)));
  QCOMPARE(lines.out.count(QLatin1Char('\n')), kEntries);

  const Run json = Cli({"history", "--journal", file, "--json"});
  QCOMPARE(json.code, 0);
  QJsonParseError error{};
  const QJsonArray all = QJsonDocument::fromJson(json.out.toUtf8(), &error).array();
  QCOMPARE(error.error, QJsonParseError::NoError);
  QCOMPARE(all.size(), kEntries);
  for (int n = 0; n < kEntries; ++n) QCOMPARE(all[n]["detail"].toString(), QString::number(n));  // newest first
  QCOMPARE(all[7]["port"].toString(), QStringLiteral("x\x1b[2J\nhopper-cli: forged"));
}

// A disk with no room for the journal (a file-size limit stands in for it): the hopper is
// written, and the entries that could be kept nowhere are reported lost, whole, never as
// "waiting"; no empty rescue file is left.
void HopperCliTest::fullDiskLosesNoEntrySilently() {
  HopperLine hopper;
  QTemporaryDir folder;
  const QString file = WriteFile(dir_, QStringLiteral("full.TXT"), SetText(kFileSet));
  QProcess process;
  process.setChildProcessModifier([] {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit cap{};
    getrlimit(RLIMIT_FSIZE, &cap);
    cap.rlim_cur = 4096;  // one database page: a journal can take no table
    setrlimit(RLIMIT_FSIZE, &cap);
  });
  Start(process, {"write", file, "--port", hopper.line.SlavePath(), "--json", "--journal",
                  folder.filePath(QStringLiteral("journal.sqlite"))});
  const Run run = Finish(process);
  QCOMPARE(run.code, 0);
  QCOMPARE(hopper.hopper->Side().Coins(), kFileSet);
  QString warnings;
  for (const QJsonValue& w : QJsonDocument::fromJson(run.out.toUtf8()).object().value("warnings").toArray())
    warnings += w.toString() + QLatin1Char('\n');
  QVERIFY2(warnings.contains(QStringLiteral("2 entries could be kept nowhere and are lost")), qPrintable(warnings));
  QVERIFY2(warnings.contains(QStringLiteral("\"result\":\"verified\"")), qPrintable(warnings));
  QVERIFY2(!warnings.contains(QStringLiteral("waiting")), qPrintable(warnings));
  QCOMPARE(QDir(folder.path()).entryList({QStringLiteral("*.rescued-*")}), QStringList());
}

// The line's server holds the journal's table locked: write ends on its own once the hopper is
// verified, with its entries in the local file and said to wait.
void HopperCliTest::lockedServerHoldsNothingUp() {
  test::PgCluster server;
  if (!server.Problem().isEmpty()) QSKIP(qPrintable(server.Problem()));
  QVERIFY(server.Start());
  const JournalTarget shared = ParseJournalTarget(server.Url());
  {
    JournalDatabase made(QStringLiteral("made"));
    QCOMPARE(made.Open(shared), QString());
  }
  test::TableLock lock(shared);
  QVERIFY2(lock.Problem().isEmpty(), qPrintable(lock.Problem()));

  const QDateTime began = QDateTime::currentDateTimeUtc();
  HopperLine hopper;
  const QString file = WriteFile(dir_, QStringLiteral("locked.TXT"), SetText(kFileSet));
  const Run run = Cli({"write", file, "--port", hopper.line.SlavePath(), "--json", "--journal", server.Url()});
  QCOMPARE(run.code, 0);
  QVERIFY2(run.err.contains(QStringLiteral("journal: 2 entries waiting")), qPrintable(run.err));
  const QJsonArray journal = JournalSince(hopper.line.SlavePath(), began);
  QCOMPARE(journal.size(), 2);
  QCOMPARE(journal[0]["result"].toString(), QStringLiteral("verified"));
}

// Two copies of the program, each in a folder with portable.ini beside it: each reads the
// settings of its own folder (which port COM5 is), and keeps its backups and journal there.
void HopperCliTest::portableCopiesKeepTheirOwnFiles() {
  HopperLine first;
  HopperLine second;
  CoinNumbers other = kFileSet;
  other[0] = 42;
  const qsizetype userBackups = BackupStore().Backups().size();
  QTemporaryDir folders[2];
  const HopperLine* const lines[2] = {&first, &second};
  const QString sets[2] = {WriteFile(dir_, QStringLiteral("portable-a.TXT"), SetText(kFileSet)),
                           WriteFile(dir_, QStringLiteral("portable-b.TXT"), SetText(other))};
  for (int i = 0; i < 2; ++i) {
    const QDir folder(folders[i].path());
    QVERIFY(QFile::copy(QStringLiteral(HOPPER_CLI), folder.filePath(QStringLiteral("hopper-cli"))));
    WriteFile(folders[i], QStringLiteral("portable.ini"), "");
    QSettings settings(folder.filePath(QStringLiteral("Hopper kit.ini")), QSettings::IniFormat);
    settings.setValue(QStringLiteral("Setting/COMPORT"), QStringLiteral("5"));
    settings.setValue(QStringLiteral("Ports/COM5"), lines[i]->line.SlavePath());
  }
  for (int i = 0; i < 2; ++i) {
    QProcess copy;
    copy.start(QDir(folders[i].path()).filePath(QStringLiteral("hopper-cli")), {"write", sets[i]});
    const Run run = Finish(copy);
    QVERIFY2(run.code == 0, qPrintable(run.err));
  }
  QCOMPARE(first.hopper->Side().Coins(), kFileSet);
  QCOMPARE(second.hopper->Side().Coins(), other);
  for (int i = 0; i < 2; ++i) {
    const QDir folder(folders[i].path());
    QCOMPARE(BackupStore(folder.filePath(QStringLiteral("backups"))).Backups().size(), 1);
    QVERIFY(QFileInfo(folder.filePath(QStringLiteral("journal.sqlite"))).isFile());
    // The copy's journal holds its own hopper's save and nothing of the other's.
    QProcess history;
    history.start(folder.filePath(QStringLiteral("hopper-cli")), {"history", "--json"});
    const Run listed = Finish(history);
    QCOMPARE(listed.code, 0);
    const QJsonArray entries = QJsonDocument::fromJson(listed.out.toUtf8()).array();
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries[0]["sent"].toArray().at(0).toInt(), i == 0 ? 1234 : 42);
  }
  // The user's own folders got nothing.
  QCOMPARE(BackupStore().Backups().size(), userBackups);
  QCOMPARE(SettingsStore().MappedDevice(5), QString());
}

// A copy killed while its journal is open (as a technician ends a hung window) leaves nothing
// that keeps the next write from ending, its entries in the same journal.
void HopperCliTest::writeAfterAKilledCopyEnds() {
  const QDateTime began = QDateTime::currentDateTimeUtc();
  HopperLine idle({}, false);
  QProcess killed;
  Start(killed, {"read", "--port", idle.line.SlavePath()});
  QVERIFY(QTest::qWaitFor([&] { return killed.readAllStandardError().contains("switch the hopper on"); }, kWaitMs));
  killed.kill();
  QVERIFY(killed.waitForFinished(kWaitMs));

  HopperLine hopper;
  const QString file = WriteFile(dir_, QStringLiteral("after-kill.TXT"), SetText(kFileSet));
  const Run run = Cli({"write", file, "--port", hopper.line.SlavePath()});
  QVERIFY2(run.code == 0, qPrintable(run.err));
  QCOMPARE(hopper.hopper->Side().Coins(), kFileSet);
  const QJsonArray journal = JournalSince(hopper.line.SlavePath(), began);
  QCOMPARE(journal.size(), 2);
  QCOMPARE(journal[0]["result"].toString(), QStringLiteral("verified"));
}

QTEST_GUILESS_MAIN(HopperCliTest)
#include "tst_hopper_cli.moc"
