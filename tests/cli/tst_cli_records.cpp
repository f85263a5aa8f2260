// What hopper-cli hands over from the journal and the backups: diff between any two sets,
// the visit report as a PDF read back as text, the history as CSV read back by Python's csv
// module, and --unit carried into the journal by a real write to the emulated hopper.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

#include "core/save_check.h"
#include "platform/files/backup_store.h"
#include "platform/journal/journal_csv.h"
#include "platform/journal/journal_database.h"
#include "settings_sandbox.h"
#include "tests/emulator/line_test_support.h"
#include "tools/emulator/hopper_emulator.h"
#include "tools/emulator/pty_channel.h"

using namespace hopper;
using namespace hopper::emulator;

namespace {
constexpr int kWaitMs = 30000;
const CoinNumbers kBefore{1000, 500, 250, 100, 50, 20, 10, 5, 2, 1, 0, 0, 0, 0, 7, 65535};
const CoinNumbers kAfter{1000, 500, 260, 100, 50, 20, 10, 5, 2, 1, 0, 0, 0, 0, 9, 65535};
// Names a spreadsheet and a report must keep whole: a comma, quotes, non-Latin text.
const QString kUnit = QStringLiteral("Gerät \"Ω-7\", 東京");

struct Run {
  int code = -1;
  QByteArray out;
  QString err;
};

Run Cli(const QStringList& arguments, const std::function<void()>& child = {}, const QString& outFile = {}) {
  QProcess process;
  if (child) process.setChildProcessModifier(child);
  if (!outFile.isEmpty()) process.setStandardOutputFile(outFile);
  process.start(QStringLiteral(HOPPER_CLI), arguments);
  // The emulated hopper answers from this process's event loop meanwhile.
  if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, kWaitMs)) process.kill();
  process.waitForFinished(kWaitMs);
  Run run;
  run.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  run.out = process.readAllStandardOutput();
  run.err = QString::fromUtf8(process.readAllStandardError());
  return run;
}

QByteArray SetText(const CoinNumbers& coins) {
  QByteArray text;
  for (std::uint16_t v : coins) text += " " + QByteArray::number(v) + "\r\n";
  return text;
}

QString Write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
  QFile file(dir.filePath(name));
  if (file.open(QIODevice::WriteOnly)) file.write(bytes);
  return file.fileName();
}

// The disk is full after `bytes`.
std::function<void()> FullAfter(rlim_t bytes) {
  return [bytes] {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit cap{};
    getrlimit(RLIMIT_FSIZE, &cap);
    cap.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &cap);
  };
}
}  // namespace

class CliRecordsTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase();
  void diff_data();
  void diff();
  void diffAsJson();
  void reportReadsBackAsText();
  void reportRefusals_data();
  void reportRefusals();
  void csvRoundTripsEveryField();
  void readingMakesNoJournal();
  void csvOnAFullDisk();
  void unitGoesWithTheEntries();

 private:
  QString Journal() const { return dir_.filePath(QStringLiteral("journal.sqlite")); }
  test::SettingsSandbox sandbox_;
  QTemporaryDir dir_;
  JournalEntry save_;  // a save from kBefore to kAfter on a named unit
  JournalEntry read_;  // a report of kAfter, no unit
  QString before_, after_, broken_;
};

void CliRecordsTest::initTestCase() {
  QVERIFY(sandbox_.IsValid() && dir_.isValid());
  before_ = Write(dir_, QStringLiteral("before.TXT"), SetText(kBefore));
  after_ = Write(dir_, QStringLiteral("after.TXT"), SetText(kAfter));
  broken_ = Write(dir_, QStringLiteral("broken.TXT"), " 1\r\n x\r\n");
  // The newest backup holds the set before.
  QVERIFY(BackupStore().Write(TextsOf(kBefore), QStringLiteral("COM1")).ok());
  JournalDatabase db(QStringLiteral("made"));
  QCOMPARE(db.Open(LocalJournal(Journal())), QString());
  read_ = NewJournalEntry(QDateTime::currentDateTime().addSecs(-60));
  read_.port = QStringLiteral("COM1");
  read_.reported = kAfter;
  read_.program = QStringLiteral("window");
  save_ = NewJournalEntry();
  save_.station = QStringLiteral("bench, \"east\"\nrow 2");
  save_.user = QStringLiteral("Σοφία");
  save_.unit = kUnit;
  save_.port = QStringLiteral("COM1");
  save_.device = QStringLiteral("/dev/ttyUSB0");
  save_.reported = kBefore;
  save_.sent = save_.readBack = kAfter;
  save_.result = JournalResult::Verified;
  save_.detail = QStringLiteral("first line\r\nsecond, \"quoted\"");
  save_.backup = QStringLiteral("/data/backup-1.txt");
  save_.program = QStringLiteral("hopper-cli");
  save_.version = QStringLiteral("1.0");
  QCOMPARE(db.Add(read_), QString());
  QCOMPARE(db.Add(save_), QString());
}

void CliRecordsTest::diff_data() {
  QTest::addColumn<QString>("a");
  QTest::addColumn<QString>("b");
  QTest::addColumn<int>("code");
  QTest::addColumn<QString>("said");
  const QString save = QStringLiteral("journal:") + save_.id;
  QTest::newRow("file, same file") << before_ << before_ << 0 << "equal";
  QTest::newRow("file, file") << before_ << after_ << 1 << "2 channels differ: Channel3 and Channel15";
  QTest::newRow("file, backup") << before_ << "backup:last" << 0 << "equal";
  QTest::newRow("backup, file") << "backup:last" << after_ << 1 << "2 channels differ";
  QTest::newRow("backup, journal") << "backup:last" << save << 1 << "Channel3 and Channel15";
  QTest::newRow("journal, file") << save << after_ << 0 << "equal";
  QTest::newRow("journal, journal") << "journal:last" << QStringLiteral("journal:") + read_.id << 0 << "equal";
  QTest::newRow("missing file") << before_ << dir_.filePath("none.TXT") << 2 << "does not exist";
  QTest::newRow("a folder") << dir_.path() << before_ << 2 << "is not a regular file";
  QTest::newRow("not a set") << broken_ << before_ << 2 << "Channel2 is not a number";
  QTest::newRow("no such entry") << "journal:nope" << before_ << 2 << "no entry nope";
}

void CliRecordsTest::diff() {
  QFETCH(QString, a);
  QFETCH(QString, b);
  QFETCH(int, code);
  QFETCH(QString, said);
  const Run run = Cli({"diff", a, b, "--journal", Journal()});
  QCOMPARE(run.code, code);
  QVERIFY2((QString::fromUtf8(run.out) + run.err).contains(said), qPrintable(run.out + run.err));
  if (code == 1) {
    // Marked in words on the channel's own line, not by colour.
    QVERIFY(run.out.contains("\nChannel3   250    260    differs\n") ||
            run.out.contains("\nChannel3   260    250    differs\n"));
    QVERIFY(run.out.contains("\nChannel4   100    100\n"));
  }
}

void CliRecordsTest::diffAsJson() {
  const Run run = Cli({"diff", before_, after_, "backup:last", "--json"});
  QCOMPARE(run.code, 1);
  const QJsonObject o = QJsonDocument::fromJson(run.out).object();
  QCOMPARE(o["sources"].toArray().size(), 3);
  QCOMPARE(o["differing"].toArray(), (QJsonArray{3, 15}));
  QCOMPARE(o["channels"].toArray().at(2)["values"].toArray(), (QJsonArray{250, 260, 250}));
  QCOMPARE(o["equal"].toBool(), false);
}

void CliRecordsTest::reportReadsBackAsText() {
  const QString pdf = dir_.filePath(QStringLiteral("visit.pdf"));
  const Run run = Cli({"report", save_.id, "--pdf", pdf, "--journal", Journal()});
  QCOMPARE(run.code, 0);
  QProcess text;
  text.start(QStringLiteral("pdftotext"), {"-layout", pdf, "-"});
  QVERIFY2(text.waitForFinished(kWaitMs) && text.exitCode() == 0, "pdftotext (poppler-utils) is needed");
  const QString words = QString::fromUtf8(text.readAllStandardOutput());
  for (const QString& expected :
       {QStringLiteral("Gerät \"Ω-7\", 東京"), QStringLiteral("Σοφία"), save_.local, QStringLiteral("/dev/ttyUSB0"),
        QStringLiteral("/data/backup-1.txt"), QStringLiteral("Saved and verified")})
    QVERIFY2(words.contains(expected), qPrintable(expected + QStringLiteral(" missing in:\n") + words));
  // The changed channels, before and after, marked in words.
  const QRegularExpression channel3(QStringLiteral("Channel3\\s+250\\s+260\\s+260\\s+changed"));
  QVERIFY2(channel3.match(words).hasMatch(), qPrintable(words));
  QVERIFY(QRegularExpression(QStringLiteral("Channel15\\s+7\\s+9\\s+9\\s+changed")).match(words).hasMatch());
  QVERIFY(QRegularExpression(QStringLiteral("Channel4\\s+100\\s+100\\s+100\\s*\\n")).match(words).hasMatch());
}

void CliRecordsTest::reportRefusals_data() {
  QTest::addColumn<QString>("entry");
  QTest::addColumn<QString>("pdf");
  QTest::addColumn<bool>("fullDisk");
  QTest::addColumn<int>("code");
  QTest::addColumn<QString>("said");
  const QString kept = Write(dir_, QStringLiteral("kept.pdf"), "an earlier report");
  QTest::newRow("no such entry") << "nope" << dir_.filePath("nope.pdf") << false << 10 << "no entry nope";
  QDir(dir_.path()).mkdir(QStringLiteral("folder.pdf"));
  QTest::newRow("a folder") << "last" << dir_.filePath("folder.pdf") << false << 9 << "a folder stands there";
  QTest::newRow("no such folder") << "last" << dir_.filePath("none/x.pdf") << false << 9 << "could not be written";
  QTest::newRow("read-only place") << "last"
                                   << "/proc/visit.pdf" << false << 9 << "could not be written";
  // On a full disk the journal, in write-ahead mode, cannot even be read (its index file is
  // written by readers too): the report stops there, and the earlier file stays as it was.
  QTest::newRow("full disk") << "last" << kept << true << 11 << "could not be";
}

// The files in the report's folder, less the journal's own (its write-ahead files come and go).
static QStringList FilesBesides(const QString& pdf) {
  QStringList files = QDir(QFileInfo(pdf).absolutePath()).entryList(QDir::Files);
  files.removeIf([](const QString& name) { return name.startsWith(QLatin1String("journal.sqlite")); });
  return files;
}

void CliRecordsTest::reportRefusals() {
  QFETCH(QString, entry);
  QFETCH(QString, pdf);
  QFETCH(bool, fullDisk);
  QFETCH(int, code);
  QFETCH(QString, said);
  const QStringList before = FilesBesides(pdf);
  const Run run = Cli({"report", entry, "--pdf", pdf, "--journal", Journal()}, fullDisk ? FullAfter(600) : nullptr);
  QCOMPARE(run.code, code);
  QVERIFY2(run.err.contains(said), qPrintable(run.err));
  // Nothing half-written: no new file, an earlier one as it was.
  QCOMPARE(FilesBesides(pdf), before);
  if (fullDisk) {
    QFile kept(pdf);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("an earlier report"));
  }
}

void CliRecordsTest::csvRoundTripsEveryField() {
  const Run run = Cli({"history", "--csv", "--journal", Journal()});
  QCOMPARE(run.code, 0);
  QVERIFY(run.out.startsWith("\xEF\xBB\xBF"));
  const QString csv = Write(dir_, QStringLiteral("history.csv"), run.out);
  QProcess python;
  python.start(QStringLiteral("python3"), {"-c",
                                           "import csv, json, sys\n"
                                           "with open(sys.argv[1], encoding='utf-8-sig', newline='') as f:\n"
                                           "    json.dump(list(csv.reader(f)), sys.stdout)\n",
                                           csv});
  QVERIFY(python.waitForFinished(kWaitMs));
  QCOMPARE(python.exitCode(), 0);
  const QJsonArray rows = QJsonDocument::fromJson(python.readAllStandardOutput()).array();
  QCOMPARE(rows.size(), 3);  // the names, then the newest first
  QStringList names;
  for (const QJsonValue& v : rows[0].toArray()) names << v.toString();
  QCOMPARE(names, CsvColumns());
  QCOMPARE(names.size(), 12 + 3 * 16 + 5);
  const auto field = [&](int row, const QString& name) { return rows[row].toArray()[names.indexOf(name)].toString(); };
  QCOMPARE(field(1, "id"), save_.id);
  QCOMPARE(field(1, "unit"), kUnit);
  QCOMPARE(field(1, "station"), save_.station);
  QCOMPARE(field(1, "user"), save_.user);
  QCOMPARE(field(1, "detail"), save_.detail);  // CR LF inside a field kept as it was
  QCOMPARE(field(1, "local"), save_.local);
  QCOMPARE(field(1, "result"), QStringLiteral("verified"));
  QCOMPARE(field(1, "reported_3"), QStringLiteral("250"));
  QCOMPARE(field(1, "read_back_3"), QStringLiteral("260"));
  QCOMPARE(field(1, "read_back_16"), QStringLiteral("65535"));
  QCOMPARE(field(2, "sent_1"), QString());  // a report sends nothing
  QCOMPARE(field(2, "reported_15"), QStringLiteral("9"));

  // Filtered by unit, only that unit's entry.
  const Run one = Cli({"history", "--csv", "--unit", kUnit, "--journal", Journal()});
  QCOMPARE(one.code, 0);
  QCOMPARE(one.out.count(save_.id.toUtf8()), 1);
  QVERIFY(!one.out.contains(read_.id.toUtf8()));
}

void CliRecordsTest::readingMakesNoJournal() {
  const QString none = dir_.filePath(QStringLiteral("none.sqlite"));
  const Run report = Cli({"report", "last", "--pdf", dir_.filePath("none.pdf"), "--journal", none});
  QCOMPARE(report.code, 10);
  QVERIFY2(report.err.contains("no entry yet"), qPrintable(report.err));
  const Run csv = Cli({"history", "--csv", "--journal", none});
  QCOMPARE(csv.code, 0);
  QCOMPARE(csv.out, CsvHead());
  QCOMPARE(Cli({"diff", "journal:last", before_, "--journal", none}).code, 2);
  QVERIFY(!QFile::exists(none));
  QVERIFY(!QFile::exists(dir_.filePath("none.pdf")));
}

void CliRecordsTest::csvOnAFullDisk() {
  const Run run = Cli({"history", "--csv", "--journal", Journal()}, {}, QStringLiteral("/dev/full"));
  QCOMPARE(run.code, 9);
  QVERIFY2(run.err.contains("could not be written"), qPrintable(run.err));
}

void CliRecordsTest::unitGoesWithTheEntries() {
  test::MemoryLog log;
  PtyChannel line;
  QCOMPARE(line.Open(), QString());
  HopperEmulator hopper({}, line, log.log);
  hopper.SetByteTimeUs(0);
  hopper.PowerOnWhenOpened(20);
  const QString journal = dir_.filePath(QStringLiteral("unit.sqlite"));
  const Run run = Cli({"write", after_, "--port", line.SlavePath(), "--unit", "  HX-2031\t", "--journal", journal});
  QCOMPARE(run.code, 0);
  const Run listed = Cli({"history", "--json", "--unit", "HX-2031", "--journal", journal});
  const QJsonArray entries = QJsonDocument::fromJson(listed.out).array();
  QCOMPARE(entries.size(), 2);  // the report read and the save
  for (const QJsonValue& e : entries) QCOMPARE(e["unit"].toString(), QStringLiteral("HX-2031"));
}

QTEST_GUILESS_MAIN(CliRecordsTest)
#include "tst_cli_records.moc"
