// The "Save" command against sixteen fake boxes: the exact bytes written, the stored folders,
// and saves that fail without costing the old file.

#include <sys/stat.h>
#include <unistd.h>
#include <QDirIterator>
#include <QtTest>

#include "platform/files/parameter_file_io.h"
#include "test_support.h"

using namespace hopper;
using testing::Boxes;
using testing::FileSizeCap;
using testing::SixteenZeros;

class SaveFileTest : public testing::CommandsTest {
  Q_OBJECT
  std::unique_ptr<FileSizeCap> cap_;

  QStringList FolderEntries() const {
    return QDir(work_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
  }

 private slots:
  void init() {
    ResetAll();
    MakeCommands();
    table_.Fill(Boxes(""));
    table_.onRead = nullptr;
    for (const QString& name : FolderEntries()) {
      QFileInfo(Path(name)).isDir() ? QDir(Path(name)).removeRecursively() : QFile::remove(Path(name));
    }
  }
  void cleanup() {
    cap_.reset();
    sandbox_.Reset();
  }

  void sixteenZerosAre64Bytes() {
    Save(Path("zeros.txt"));
    QCOMPARE(testing::ReadFile(Path("zeros.txt")), SixteenZeros());
    QCOMPARE(SixteenZeros().size(), 64);
    QVERIFY(boxes_.shown.isEmpty());
  }

  void roundTrip() {
    QStringList values = Boxes("0012,,65535,99999,7");
    table_.Fill(values);
    Save(Path("set.txt"));
    QCOMPARE(testing::ReadFile(Path("set.txt")),
             QByteArray(" 12\r\n 0\r\n 65535\r\n 99999\r\n 7\r\n") + QByteArray(" 0\r\n").repeated(11));
    table_.Fill(Boxes("5,5,5,5,5,5,5,5,5,5,5,5,5,5,5,5"));
    Load(Path("set.txt"));
    QCOMPARE(table_.All(), Boxes("12,0,65535,99999,7"));
    QVERIFY(boxes_.shown.isEmpty());
  }

  void storedPathsAndDialogQuestions() {
    QVERIFY(testing::WriteFile(Path("a.txt"), "1\r\n"));
    Load(Path("a.txt"));
    QCOMPARE(settings_.LoadPath(QString()), Path("a.txt"));
    QCOMPARE(QDir::currentPath(), work_.path());
    Save(Path("b.txt"));
    QCOMPARE(settings_.SavePath(QString()), work_.path() + QStringLiteral("/*.txt"));
    commands_->LoadFile();  // nothing queued: cancelled

    QCOMPARE(dialog_.asked.size(), 3);
    const FileDialogRequest& firstLoad = dialog_.asked[0].request;
    QCOMPARE(dialog_.asked[0].kind, ScriptedFileDialog::Kind::Open);
    QCOMPARE(firstLoad.title, QStringLiteral("LOAD FILE"));
    QCOMPARE(firstLoad.filter, QStringLiteral("TXT File(*.TXT)|*.TXT|"));
    QCOMPARE(firstLoad.initialFileName, QStringLiteral("/opt/hopper/*.TXT"));  // nothing stored yet
    QVERIFY(!firstLoad.confirmOverwrite && !firstLoad.folderMustExist);
    const FileDialogRequest& save = dialog_.asked[1].request;
    QCOMPARE(dialog_.asked[1].kind, ScriptedFileDialog::Kind::Save);
    QCOMPARE(save.title, QStringLiteral("SAVE FIEL"));
    QCOMPARE(save.initialFileName, work_.path() + QStringLiteral("/*.TXT"));
    QVERIFY(save.confirmOverwrite && save.folderMustExist);
    QVERIFY(dialog_.asked[2].request.folderMustExist);  // the dialog keeps the save's flags
    QCOMPARE(dialog_.asked[0].parent, &table_.window);
  }

  void cancelChangesNothing() {
    dialog_.Cancel();
    commands_->SaveFile();
    QVERIFY(FolderEntries().isEmpty());
    QCOMPARE(settings_.SavePath(QStringLiteral("none")), QStringLiteral("none"));
    QVERIFY(boxes_.shown.isEmpty());
  }

  void nameWithoutExtension() {
    Save(Path("params"));
    QCOMPARE(FolderEntries(), QStringList{QStringLiteral("params")});
    QCOMPARE(testing::ReadFile(Path("params")), SixteenZeros());
  }

  void replacesExistingFile() {
    QVERIFY(testing::WriteFile(Path("old.txt"), QByteArray(5000, 'x')));
    table_.Fill(Boxes("3"));
    Save(Path("old.txt"));
    QCOMPARE(testing::ReadFile(Path("old.txt")), QByteArray(" 3\r\n") + QByteArray(" 0\r\n").repeated(15));
  }

  // The file grows past what the system allows half-way through: the old content survives whole.
  void failurePartWayKeepsOldFile() {
    const QByteArray old("old content\r\n");
    QVERIFY(testing::WriteFile(Path("keep.txt"), old));
    table_.Fill(Boxes("11111,22222,33333,44444,55555,66666"));
    table_.onRead = [this](int) {
      if (!cap_) cap_ = std::make_unique<FileSizeCap>(20);
    };
    Save(Path("keep.txt"));
    cap_.reset();
    QCOMPARE(testing::ReadFile(Path("keep.txt")), old);
    QCOMPARE(FolderEntries(), QStringList{QStringLiteral("keep.txt")});  // no temporary left
    QCOMPARE(boxes_.shown.size(), 1);
    QCOMPARE(boxes_.shown[0].icon, MessageIcon::Exclamation);
    QCOMPARE(settings_.SavePath(QString()), work_.path() + QStringLiteral("/*.txt"));
  }

  // A save killed half-way leaves its temporary file; the next save into the folder removes it,
  // and nothing else: names that only look alike are the user's.
  void leftoverOfAKilledSaveIsRemoved() {
    const QStringList users{"old.txt.backup", "old.txt.Ab3dE9", "notes.hopper-save", "old.txt.Ab3d.hopper-save",
                            "old.txt.Ab3dE9.hopper-save.txt"};
    for (const QString& name : users) QVERIFY(testing::WriteFile(Path(name), "mine"));
    QVERIFY(testing::WriteFile(Path("old.txt.Ab3dE9.hopper-save"), " 1\r\n 2"));
    QVERIFY(testing::WriteFile(Path(".hidden.txt.zz99ZZ.hopper-save"), ""));
    Save(Path("other.txt"));
    QStringList expected = users;
    expected << QStringLiteral("other.txt");
    expected.sort();
    QCOMPARE(FolderEntries(), expected);
    QCOMPARE(testing::ReadFile(Path("other.txt")), SixteenZeros());
    QVERIFY(boxes_.shown.isEmpty());
  }

  // A link keeps naming the file it named, and that file gets the new content; a file this user
  // may not write is not replaced.
  void linkAndReadOnlyFile() {
    QVERIFY(testing::WriteFile(Path("real.txt"), "old"));
    QVERIFY(QFile::link(Path("real.txt"), Path("link.txt")));
    Save(Path("link.txt"));
    QVERIFY(QFileInfo(Path("link.txt")).isSymLink());
    QCOMPARE(testing::ReadFile(Path("real.txt")), SixteenZeros());

    QVERIFY(testing::WriteFile(Path("locked.txt"), "keep"));
    QVERIFY(QFile::setPermissions(Path("locked.txt"), QFileDevice::ReadOwner));
    if (QFileInfo(Path("locked.txt")).isWritable()) QSKIP("running as a user who may write any file");
    Save(Path("locked.txt"));
    QCOMPARE(testing::ReadFile(Path("locked.txt")), QByteArray("keep"));
    QCOMPARE(boxes_.shown.size(), 1);
  }

  void failedNewFileLeavesNothing() {
    table_.onRead = [this](int) {
      if (!cap_) cap_ = std::make_unique<FileSizeCap>(20);
    };
    table_.Fill(Boxes("11111,22222,33333,44444,55555,66666"));
    Save(Path("new.txt"));
    QVERIFY(FolderEntries().isEmpty());
    QCOMPARE(boxes_.shown.size(), 1);
  }

  void cannotCreate_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("folder") << QStringLiteral("folder");
    QTest::newRow("missing folder") << QStringLiteral("nowhere/x.txt");
  }
  void cannotCreate() {
    QFETCH(QString, name);
    QVERIFY(QDir(work_.path()).mkpath(QStringLiteral("folder")));
    Save(Path(name));
    QCOMPARE(boxes_.shown.size(), 1);
    QVERIFY(boxes_.shown[0].text.contains(QStringLiteral("could not be created")));
    QCOMPARE(settings_.SavePath(QStringLiteral("none")), QStringLiteral("none"));
    QVERIFY(QFileInfo(Path("folder")).isDir());
  }

  void pipeIsNeitherOpenedNorReplaced() {
    QCOMPARE(mkfifo(QFile::encodeName(Path("pipe")).constData(), 0600), 0);
    Save(Path("pipe"));
    QCOMPARE(boxes_.shown.size(), 1);
    QVERIFY(!QFileInfo(Path("pipe")).isFile());
  }

  void createAfileEmptiesFile() {
    QVERIFY(testing::WriteFile(Path("full.txt"), "something"));
    QVERIFY(commands_->CreateAfile(Path("full.txt")).ok());
    QCOMPARE(QFileInfo(Path("full.txt")).size(), 0);
    QVERIFY(commands_->CreateAfile(Path("fresh.txt")).ok());
    QVERIFY(QFileInfo(Path("fresh.txt")).isFile());
    const FileOutcome nowhere = commands_->CreateAfile(Path("nowhere/x.txt"));
    QCOMPARE(nowhere.kind, FileOutcome::Kind::Failed);
    QVERIFY(!nowhere.why.isEmpty());
    QVERIFY(QDir().mkpath(Path("folder")));
    QCOMPARE(commands_->CreateAfile(Path("folder")).kind, FileOutcome::Kind::NotAPlainFile);
  }

  // A new run starts each dialog in the folder its stored value names, while that folder exists;
  // otherwise in the default folder, never in whatever folder the program was started from.
  void startsInStoredFolder_data() {
    QTest::addColumn<QString>("loadPath");
    QTest::addColumn<QString>("savePath");
    QTest::addColumn<QString>("loadStart");
    QTest::addColumn<QString>("saveStart");
    const QString fallback = QStringLiteral("/opt/hopper");
    QTest::newRow("nothing stored") << QString() << QString() << fallback << fallback;
    QTest::newRow("as the commands store them") << QStringLiteral("sets/a.txt") << QStringLiteral("out/*.txt")
                                                << QStringLiteral("sets") << QStringLiteral("out");
    QTest::newRow("stored file gone, folder kept") << QStringLiteral("sets/gone.txt") << QStringLiteral("sets/*.txt")
                                                   << QStringLiteral("sets") << QStringLiteral("sets");
    QTest::newRow("a folder written by hand")
        << QStringLiteral("sets") << QStringLiteral("out/") << QStringLiteral("sets") << QStringLiteral("out");
    QTest::newRow("folder removed since")
        << QStringLiteral("removed/a.txt") << QStringLiteral("removed/*.txt") << fallback << fallback;
    QTest::newRow("relative or foreign values")
        << QStringLiteral("=a.txt") << QStringLiteral("=C:\\sets\\*.txt") << fallback << fallback;
  }
  void startsInStoredFolder() {
    QFETCH(QString, loadPath);
    QFETCH(QString, savePath);
    QFETCH(QString, loadStart);
    QFETCH(QString, saveStart);
    QVERIFY(QDir(work_.path()).mkpath(QStringLiteral("sets")) && QDir(work_.path()).mkpath(QStringLiteral("out")));
    QVERIFY(testing::WriteFile(Path("sets/a.txt"), "1\r\n"));
    // "=" marks a value stored as written; any other is a name in the scratch folder.
    const auto stored = [this](const QString& value) { return value.startsWith('=') ? value.mid(1) : Path(value); };
    if (!loadPath.isEmpty()) settings_.SetLoadPath(stored(loadPath));
    if (!savePath.isEmpty()) settings_.SetSavePath(stored(savePath));
    const auto folder = [this](const QString& name) { return name.startsWith('/') ? name : Path(name); };
    MakeCommands();  // a restart
    commands_->LoadFile();
    commands_->SaveFile();
    QCOMPARE(dialog_.asked.size(), 2);
    QCOMPARE(dialog_.asked[0].request.initialFileName, folder(loadStart) + QStringLiteral("/*.TXT"));
    QCOMPARE(dialog_.asked[1].request.initialFileName, folder(saveStart) + QStringLiteral("/*.TXT"));
  }

  // With nothing stored, the dialogs start in a folder the technician can save into.
  void startFolderIsWritable() {
    QCOMPARE(DefaultParameterFolder(work_.path()), work_.path());
    const QString instead = DefaultParameterFolder(Path("not-there"));
    QVERIFY(instead != Path("not-there"));
    QVERIFY(QFileInfo(instead).isDir() && QFileInfo(instead).isWritable());
  }
};

#include "tst_save_file.moc"

int RunSaveFileTests(int argc, char** argv) {
  SaveFileTest test;
  return QTest::qExec(&test, argc, argv);
}
