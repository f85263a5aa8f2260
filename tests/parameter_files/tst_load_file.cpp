// The "Open" command against sixteen fake boxes: what a file loads as, and what each bad file costs.

#include <sys/stat.h>
#include <unistd.h>
#include <QFileInfo>
#include <QtTest>

#include "load_rows.h"
#include "test_support.h"

using namespace hopper;
using testing::Boxes;
using testing::kUnable;

class LoadFileTest : public testing::CommandsTest {
  Q_OBJECT

 private slots:
  void init() {
    ResetAll();
    MakeCommands();
    table_.Fill(Boxes(QStringLiteral("9,9,9,9,9,9,9,9,9,9,9,9,9,9,9,9")));
    table_.onSet = nullptr;
  }
  void cleanup() { sandbox_.Reset(); }

  void loadsFile_data() { testing::AddLoadRows(); }
  void loadsFile() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);
    QFETCH(QString, message);
    const QStringList before = table_.All();
    QVERIFY(testing::WriteFile(Path("set.txt"), bytes));
    Load(Path("set.txt"));
    QCOMPARE(table_.All(), expected.isEmpty() ? before : expected);
    QCOMPARE(boxes_.Texts(), message.isEmpty() ? QStringList() : QStringList{message});
    if (!message.isEmpty()) {
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
    QTest::newRow("device") << QStringLiteral("/dev/zero");
  }
  void missingOrNotAFile() {
    QFETCH(QString, name);
    QVERIFY(QDir(work_.path()).mkpath(QStringLiteral("folder")));
    QFile::remove(Path("pipe"));
    QCOMPARE(mkfifo(QFile::encodeName(Path("pipe")).constData(), 0600), 0);
    QVERIFY(testing::WriteFile(Path(".hidden.txt"), "1\r\n"));
    const QStringList before = table_.All();
    Load(name.startsWith('/') ? name : Path(name));
    QCOMPARE(boxes_.Texts(), QStringList{name == QStringLiteral("missing.txt")
                                             ? QStringLiteral("File Does Not Exist")
                                             : QStringLiteral("This is not a regular file; choose a parameter file.")});
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

  void hiddenFileLoads() {
    QVERIFY(testing::WriteFile(Path(".hidden.txt"), QByteArray("3\r\n").repeated(16)));
    Load(Path(".hidden.txt"));
    QCOMPARE(table_.All(), Boxes("3,3,3,3,3,3,3,3,3,3,3,3,3,3,3,3"));
  }

  void fileWithoutReadPermission() {
    if (geteuid() == 0) QSKIP("root reads every file; covered by fileThatCannotBeOpened");
    QVERIFY(testing::WriteFile(Path("locked.txt"), "5\r\n"));
    QVERIFY(QFile::setPermissions(Path("locked.txt"), QFileDevice::WriteOwner));
    const QStringList before = table_.All();
    Load(Path("locked.txt"));
    QCOMPARE(table_.All(), before);
    QCOMPARE(boxes_.shown.size(), 1);
  }

  // /proc/self/mem opens but fails on the first read: no box changes and the user is told.
  void readErrorIsReported() {
    const QStringList before = table_.All();
    Load(QStringLiteral("/proc/self/mem"));
    QCOMPARE(table_.All(), before);
    QCOMPARE(boxes_.shown.size(), 1);
    QVERIFY(boxes_.shown[0].text.contains(QStringLiteral("could not be read")));
  }

  void loadAfterEarlyStopWorks() {
    QVERIFY(testing::WriteFile(Path("bad.txt"), "1\r\nx\r\n"));
    QVERIFY(testing::WriteFile(Path("good.txt"), "4\r\n5\r\n"));
    Load(Path("bad.txt"));
    Load(Path("good.txt"));
    QCOMPARE(table_.All(), Boxes("4,5"));
    QCOMPARE(boxes_.Texts(), (QStringList{kUnable, QString::fromStdString(ShortFileText(2))}));
  }
};

#include "tst_load_file.moc"

int RunLoadFileTests(int argc, char** argv) {
  LoadFileTest test;
  return QTest::qExec(&test, argc, argv);
}
