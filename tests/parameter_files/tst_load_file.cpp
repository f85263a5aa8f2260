// The "Open" command against sixteen fake boxes: what a file loads as, and what each bad file costs.

#include <QFileInfo>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

#include "fake_channel_table.h"
#include "platform/scripted_file_dialog.h"
#include "test_support.h"
#include "ui/parameter_commands.h"

using namespace hopper;
using testing::Boxes;

namespace {
const QString kUnable = QStringLiteral("Unable to load , Please check file");
}

class LoadFileTest : public QObject {
  Q_OBJECT
  testing::Sandbox sandbox_;
  QTemporaryDir work_;
  FakeChannelTable table_;
  ScriptedFileDialog dialog_;
  RecordingMessageBoxes boxes_;
  std::unique_ptr<ParameterCommands> commands_;
  SettingsStore settings_;

  QString Path(const QString& name) const { return work_.filePath(name); }
  void Load(const QString& path) {
    dialog_.Answer(path);
    commands_->LoadFile();
  }

 private slots:
  void init() {
    sandbox_.Reset();
    commands_ = std::make_unique<ParameterCommands>(table_, dialog_, boxes_, QStringLiteral("/opt/hopper"));
    table_.Fill(Boxes(QStringLiteral("9,9,9,9,9,9,9,9,9,9,9,9,9,9,9,9")));
    table_.onSet = nullptr;
    boxes_.shown.clear();
    dialog_.asked.clear();
  }
  void cleanup() { sandbox_.Reset(); }

  void loadsFile_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<bool>("rejected");
    QByteArray lines20, lines10;
    for (int i = 1; i <= 20; ++i) (i <= 10 ? lines10 : lines20) += QByteArray::number(i) + "\r\n";
    lines20.prepend(lines10);
    const QStringList oneTo16 = Boxes(QStringLiteral("1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16"));
    QTest::newRow("written form") << QByteArray(" 12\r\n 0\r\n 65535\r\n") << Boxes("12,0,65535") << false;
    QTest::newRow("commas then next line") << QByteArray("1,2,3\r\n4\r\n") << Boxes("1,2,3,4") << false;
    QTest::newRow("quoted items") << QByteArray("\"12\"\r\n\" 7 \",\"8\"\r\n") << Boxes("12,7,8") << false;
    QTest::newRow("quoted comma") << QByteArray("1\r\n\"3,4\"\r\n5\r\n") << Boxes("1") << true;
    QTest::newRow("blank line") << QByteArray("1\r\n\r\n3\r\n") << Boxes("1,0,3") << false;
    QTest::newRow("line of spaces") << QByteArray("1\r\n   \r\n3\r\n") << Boxes("1,0,3") << false;
    QTest::newRow("20 lines") << lines20 << oneTo16 << false;
    QTest::newRow("10 lines") << lines10 << Boxes("1,2,3,4,5,6,7,8,9,10") << false;
    QTest::newRow("empty file") << QByteArray() << Boxes("") << false;
    QTest::newRow("six digits") << QByteArray("123456\r\n") << Boxes("12345") << false;
    QTest::newRow("space inside") << QByteArray("1 2\r\n") << Boxes("12") << false;
    QTest::newRow("leading zeros") << QByteArray("007\n99999\n") << Boxes("007,99999") << false;
    QTest::newRow("LF and CR line ends") << QByteArray("1\n2\r3\r\n") << Boxes("1,2,3") << false;
    QTest::newRow("letter") << QByteArray("1\r\n2\r\nA\r\n4\r\n") << Boxes("1,2") << true;
    QTest::newRow("sign") << QByteArray("1\r\n-5\r\n") << Boxes("1") << true;
    QTest::newRow("decimal point") << QByteArray("1.5\r\n") << Boxes("") << true;
    QTest::newRow("tab between digits") << QByteArray("1\r\n2\t3\r\n") << Boxes("1") << true;
    QTest::newRow("NUL bytes") << QByteArray("1\r\n\0\0\0\r\n", 9) << Boxes("1") << true;
    QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\xff\xfe") << Boxes("") << true;
    QTest::newRow("non-ASCII letter") << QByteArray("1\r\n\xc3\xa9\r\n") << Boxes("1") << true;
    QTest::newRow("full-width digit") << QByteArray("\xef\xbc\x91\r\n") << Boxes("") << true;
  }
  void loadsFile() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);
    QFETCH(bool, rejected);
    QVERIFY(testing::WriteFile(Path("set.txt"), bytes));
    Load(Path("set.txt"));
    QCOMPARE(table_.All(), expected);
    QCOMPARE(boxes_.Texts(), rejected ? QStringList{kUnable} : QStringList());
    if (rejected) {
      QCOMPARE(boxes_.shown[0].icon, MessageIcon::Exclamation);
      QVERIFY(boxes_.shown[0].title.isEmpty());  // the application title
    }
    QCOMPARE(settings_.LoadPath(QString()), Path("set.txt"));
  }

  void missingOrNotAFile_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("missing") << QStringLiteral("missing.txt");
    QTest::newRow("folder") << QStringLiteral("folder");
    QTest::newRow("pipe") << QStringLiteral("pipe");
    QTest::newRow("hidden") << QStringLiteral(".hidden.txt");
  }
  void missingOrNotAFile() {
    QFETCH(QString, name);
    QVERIFY(QDir(work_.path()).mkpath(QStringLiteral("folder")));
    QFile::remove(Path("pipe"));
    QCOMPARE(mkfifo(QFile::encodeName(Path("pipe")).constData(), 0600), 0);
    QVERIFY(testing::WriteFile(Path(".hidden.txt"), "1\r\n"));
    const QStringList before = table_.All();
    Load(Path(name));
    QCOMPARE(boxes_.Texts(), QStringList{QStringLiteral("File Does Not Exist")});
    QCOMPARE(boxes_.shown[0].title, QStringLiteral("Error"));
    QCOMPARE(boxes_.shown[0].icon, MessageIcon::Exclamation);
    QCOMPARE(table_.All(), before);
    QCOMPARE(settings_.LoadPath(QStringLiteral("none")), QStringLiteral("none"));
  }

  void cancelChangesNothing() {
    const QStringList before = table_.All();
    dialog_.Cancel();
    commands_->LoadFile();
    QCOMPARE(table_.All(), before);
    QVERIFY(boxes_.shown.isEmpty());
    QCOMPARE(settings_.LoadPath(QStringLiteral("none")), QStringLiteral("none"));
    QCOMPARE(QDir::currentPath(), sandbox_.StartFolder());
  }

  // The file is there when chosen but gone when it is opened: the boxes were already set to 0.
  void fileThatCannotBeOpened() {
    QVERIFY(testing::WriteFile(Path("gone.txt"), "5\r\n"));
    table_.onSet = [this](int) { QFile::remove(Path("gone.txt")); };
    Load(Path("gone.txt"));
    QCOMPARE(table_.All(), Boxes(""));
    QCOMPARE(boxes_.shown.size(), 1);
    QCOMPARE(boxes_.shown[0].icon, MessageIcon::Exclamation);
    QVERIFY(boxes_.shown[0].informative.contains(Path("gone.txt")));
    QCOMPARE(settings_.LoadPath(QString()), Path("gone.txt"));
  }

  void fileWithoutReadPermission() {
    if (geteuid() == 0) QSKIP("root reads every file; covered by fileThatCannotBeOpened");
    QVERIFY(testing::WriteFile(Path("locked.txt"), "5\r\n"));
    QVERIFY(QFile::setPermissions(Path("locked.txt"), QFileDevice::WriteOwner));
    Load(Path("locked.txt"));
    QCOMPARE(table_.All(), Boxes(""));
    QCOMPARE(boxes_.shown.size(), 1);
  }

  // /proc/self/mem opens but fails on the first read: the boxes show 0 and the user is told.
  void readErrorIsReported() {
    Load(QStringLiteral("/proc/self/mem"));
    QCOMPARE(table_.All(), Boxes(""));
    QCOMPARE(boxes_.shown.size(), 1);
    QVERIFY(boxes_.shown[0].text.contains(QStringLiteral("could not be read")));
  }

  void loadAfterEarlyStopWorks() {
    QVERIFY(testing::WriteFile(Path("bad.txt"), "1\r\nx\r\n"));
    QVERIFY(testing::WriteFile(Path("good.txt"), "4\r\n5\r\n"));
    Load(Path("bad.txt"));
    Load(Path("good.txt"));
    QCOMPARE(table_.All(), Boxes("4,5"));
    QCOMPARE(boxes_.Texts(), QStringList{kUnable});
  }
};

#include "tst_load_file.moc"

int RunLoadFileTests(int argc, char** argv) {
  LoadFileTest test;
  return QTest::qExec(&test, argc, argv);
}
