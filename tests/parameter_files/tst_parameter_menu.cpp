// The "Parameter" menu of the real main window, with the file dialog answered by the test.

#include <QAction>
#include <QMimeData>
#include <QtTest>

#include "load_rows.h"
#include "test_support.h"
#include "tests/support/windows_controls.h"
#include "ui/channel_box.h"
#include "ui/main_window.h"

using namespace hopper;
using namespace hopper::test;
using testing::Boxes;
using testing::kUnable;
using testing::SixteenZeros;

class ParameterMenuTest : public testing::FileTest {
  Q_OBJECT
  std::unique_ptr<MainWindow> window_;

 public:
  ParameterMenuTest() : FileTest(QStringLiteral("/tmp/pm-XXXXXX")) {}  // short: the stored folder stays small

 private:
  QStringList Shown() const {
    QStringList texts;
    for (int i = 0; i < kChannelCount; ++i) texts << window_->EntryText(i);
    return texts;
  }
  void Fill(const QStringList& values) {
    for (int i = 0; i < kChannelCount; ++i) ChannelBoxAt(*window_, i)->setText(values[i]);
  }
  void Open(const QString& path) {
    dialog_.Answer(path);
    window_->findChild<QAction*>(QStringLiteral("Openfile"))->trigger();
  }
  // Drags `data` onto box `index` as the desktop does; true when the box took the drop.
  bool Drop(int index, QMimeData* data) {
    ChannelBox* box = ChannelBoxAt(*window_, index);
    const QPoint at = box->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &drop);
    return drop.isAccepted();
  }
  void DropFile(const QString& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    data.setText(QUrl::fromLocalFile(path).toString());  // file managers send both
    QVERIFY(Drop(3, &data));
  }
  void Save(const QString& path) {
    dialog_.Answer(path);
    window_->findChild<QAction*>(QStringLiteral("Savefile"))->trigger();
  }

 private slots:
  void init() {
    ResetAll();
    window_ = std::make_unique<MainWindow>(boxes_);
    AttachParameterCommands(*window_, dialog_, boxes_, QStringLiteral("/opt/hopper"));
    for (const QString& name : QDir(work_.path()).entryList(QDir::Files | QDir::Hidden)) QFile::remove(Path(name));
  }
  void cleanup() {
    window_.reset();
    sandbox_.Reset();
  }

  void loadsFile_data() { testing::AddLoadRows(); }
  void loadsFile() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);
    QFETCH(QString, message);
    Fill(Boxes("9,9,9,9,9,9,9,9,9,9,9,9,9,9,9,9"));
    QVERIFY(testing::WriteFile(Path("set.txt"), bytes));
    Open(Path("set.txt"));
    QCOMPARE(Shown(), expected.isEmpty() ? Boxes("9,9,9,9,9,9,9,9,9,9,9,9,9,9,9,9") : expected);
    QCOMPARE(boxes_.Texts(), message.isEmpty() ? QStringList() : QStringList{message});
  }

  // A file dropped onto a box is loaded as "Open" loads it: same checks, same messages.
  void droppedFileLoads_data() { testing::AddLoadRows(); }
  void droppedFileLoads() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);
    QFETCH(QString, message);
    Fill(Boxes("9,9,9,9,9,9,9,9,9,9,9,9,9,9,9,9"));
    QVERIFY(testing::WriteFile(Path("set.txt"), bytes));
    DropFile(Path("set.txt"));
    QCOMPARE(Shown(), expected.isEmpty() ? Boxes("9,9,9,9,9,9,9,9,9,9,9,9,9,9,9,9") : expected);
    QCOMPARE(boxes_.Texts(), message.isEmpty() ? QStringList() : QStringList{message});
  }

  void droppedMissingFileIsReportedAsOpenDoes() {
    Fill(Boxes("9,9"));
    DropFile(Path("nothing.txt"));
    QCOMPARE(boxes_.Texts(), QStringList{QStringLiteral("File Does Not Exist")});
    QCOMPARE(Shown(), Boxes("9,9"));
  }

  void droppedTextOnlyWhenTheFilterTakesIt_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("taken");
    QTest::newRow("digits") << "42" << true;
    QTest::newRow("letters") << "file" << false;
    QTest::newRow("a sign") << "-1" << false;
    QTest::newRow("a space") << "1 2" << false;
  }
  void droppedTextOnlyWhenTheFilterTakesIt() {
    QFETCH(QString, text);
    QFETCH(bool, taken);
    Fill(Boxes(""));
    ChannelBoxAt(*window_, 5)->clear();
    QMimeData data;
    data.setText(text);
    QCOMPARE(Drop(5, &data), taken);
    QCOMPARE(window_->EntryText(5), taken ? text : QString());
    QVERIFY(boxes_.shown.isEmpty());  // never "Hey man~~!Just number only"
  }

  void roundTripNormalises() {
    Fill(Boxes("0012,,65535,99999"));
    Save(Path("round.txt"));
    QCOMPARE(testing::ReadFile(Path("round.txt")),
             QByteArray(" 12\r\n 0\r\n 65535\r\n 99999\r\n") + QByteArray(" 0\r\n").repeated(12));
    Fill(Boxes("5,5,5,5,5,5,5,5,5,5,5,5,5,5,5,5"));
    Open(Path("round.txt"));
    QCOMPARE(Shown(), Boxes("12,0,65535,99999"));
    QVERIFY(boxes_.shown.isEmpty());
  }

  void sixteenZerosAre64Bytes() {
    Save(Path("zeros.txt"));  // a new window shows "0" in every box
    QCOMPARE(testing::ReadFile(Path("zeros.txt")), SixteenZeros());
  }

  void nameWithoutExtension() {
    Save(Path("plain"));
    QVERIFY(QFileInfo(Path("plain")).isFile());
    QVERIFY(!QFileInfo::exists(Path("plain.txt")) && !QFileInfo::exists(Path("plain.TXT")));
  }

  void loadAfterEarlyStopThenSave() {
    QVERIFY(testing::WriteFile(Path("bad.txt"), "1\r\n+2\r\n"));
    QVERIFY(testing::WriteFile(Path("good.txt"), "4\r\n5\r\n6\r\n"));
    Open(Path("bad.txt"));
    QCOMPARE(Shown(), Boxes(""));
    Open(Path("good.txt"));
    QCOMPARE(Shown(), Boxes("4,5,6"));
    Save(Path("bad.txt"));
    QCOMPARE(testing::ReadFile(Path("bad.txt")), QByteArray(" 4\r\n 5\r\n 6\r\n") + QByteArray(" 0\r\n").repeated(13));
    QCOMPARE(boxes_.Texts(), (QStringList{kUnable, QString::fromStdString(ShortFileText(3))}));
  }

  void storedPaths() {
    QVERIFY(testing::WriteFile(Path("a.txt"), "3\r\n"));
    Open(Path("a.txt"));
    Save(Path("b.txt"));
    QCOMPARE(settings_.LoadPath(QString()), Path("a.txt"));
    QCOMPARE(settings_.SavePath(QString()), work_.path() + QStringLiteral("/*.txt"));
    QCOMPARE(QDir::currentPath(), work_.path());
    QCOMPARE(dialog_.asked.size(), 2);
    QCOMPARE(dialog_.asked[0].request.title, QStringLiteral("LOAD FILE"));
    QCOMPARE(dialog_.asked[1].request.title, QStringLiteral("SAVE FIEL"));
    QCOMPARE(dialog_.asked[1].request.initialFileName, work_.path() + QStringLiteral("/*.TXT"));
    QCOMPARE(dialog_.asked[1].parent, window_.get());
  }

  // After a restart the dialogs open where the last run loaded and saved; once a file is
  // chosen, both follow it.
  void restartOpensStoredFolders() {
    QVERIFY(QDir(work_.path()).mkpath(QStringLiteral("in")) && QDir(work_.path()).mkpath(QStringLiteral("out")));
    QVERIFY(testing::WriteFile(Path("in/a.txt"), "3\r\n"));
    Open(Path("in/a.txt"));
    Save(Path("out/b.txt"));
    window_.reset();
    QVERIFY(QDir::setCurrent(sandbox_.StartFolder()));  // the next run starts elsewhere, settings kept
    window_ = std::make_unique<MainWindow>(boxes_);
    AttachParameterCommands(*window_, dialog_, boxes_, QStringLiteral("/opt/hopper"));
    dialog_.asked.clear();
    window_->findChild<QAction*>(QStringLiteral("Savefile"))->trigger();  // cancelled
    Open(Path("in/a.txt"));
    window_->findChild<QAction*>(QStringLiteral("Savefile"))->trigger();
    QCOMPARE(dialog_.asked.size(), 3);
    QCOMPARE(dialog_.asked[0].request.initialFileName, Path("out/*.TXT"));
    QCOMPARE(dialog_.asked[1].request.initialFileName, Path("in/*.TXT"));
    QCOMPARE(dialog_.asked[2].request.initialFileName, Path("in/*.TXT"));
    QCOMPARE(Shown(), Boxes("3"));
    for (const QString& name : {QStringLiteral("in"), QStringLiteral("out")}) QDir(Path(name)).removeRecursively();
  }

  void missingFile() {
    const QStringList before = Shown();
    Open(Path("nothing.txt"));
    QCOMPARE(boxes_.Texts(), QStringList{QStringLiteral("File Does Not Exist")});
    QCOMPARE(Shown(), before);
  }

  // The system refuses files over 100 bytes once the stored folder has been written: the
  // 128-byte set fails part-way and the old file stays as it was.
  void saveFailingPartWayKeepsOldFile() {
    const QByteArray old(" 1\r\n");
    QVERIFY(testing::WriteFile(Path("keep.txt"), old));
    Fill(Boxes("11111,22222,33333,44444,55555,66666,77777,88888,99999,11111,22222,33333,44444,55555,66666,77777"));
    {
      const testing::FileSizeCap cap(100);
      Save(Path("keep.txt"));
    }
    QCOMPARE(testing::ReadFile(Path("keep.txt")), old);
    QCOMPARE(QDir(work_.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("keep.txt")});
    QCOMPARE(boxes_.shown.size(), 1);
    QCOMPARE(boxes_.shown[0].icon, MessageIcon::Exclamation);
    QCOMPARE(settings_.SavePath(QString()), work_.path() + QStringLiteral("/*.txt"));
  }
};

#include "tst_parameter_menu.moc"

int RunParameterMenuTests(int argc, char** argv) {
  ParameterMenuTest test;
  return QTest::qExec(&test, argc, argv);
}
