// The backup folder: one parameter file per save, the newest kept, other files left alone.
#include <QtTest>

#include <fstream>

#include "core/parameter_file.h"
#include "platform/files/backup_store.h"
#include "settings_sandbox.h"

using namespace hopper;

namespace {
ChannelTexts Texts(int first) {
  ChannelTexts texts;
  for (int i = 0; i < kChannelCount; ++i) texts[std::size_t(i)] = std::to_string(first + i);
  return texts;
}
}  // namespace

class BackupStoreTest : public QObject {
  Q_OBJECT
 private slots:
  void writesParameterFilesAndKeepsTheNewest() {
    test::SettingsSandbox sandbox;
    const BackupStore store(BackupStore::DefaultFolder(), 3);
    QVERIFY(store.Folder().startsWith(sandbox.path()));
    QVERIFY(QDir().mkpath(store.Folder()));
    QFile foreign(store.Folder() + "/notes.txt");
    QVERIFY(foreign.open(QIODevice::WriteOnly));
    foreign.close();

    const QDateTime start(QDate(2026, 12, 7), QTime(14, 20, 31, 123));
    QStringList written;
    for (int n = 0; n < 5; ++n) {
      const BackupResult result =
          store.Write(Texts(n), QStringLiteral("COM3"), start.addSecs(n == 4 ? 3 : n));  // two in one second
      QVERIFY2(result.ok(), qPrintable(result.error));
      written << result.path;
    }
    QCOMPARE(QFileInfo(written[0]).fileName(), "backup-2026-12-07-142031-123-COM3.txt");
    QCOMPARE(QFileInfo(written[4]).fileName(), "backup-2026-12-07-142034-123-COM3-2.txt");
    QCOMPARE(store.Backups().size(), 3);
    QVERIFY(!QFile::exists(written[0]) && !QFile::exists(written[1]) && QFile::exists(written[3]));
    QVERIFY(foreign.exists());

    // Read back exactly as Parameter > Open reads it.
    std::ifstream in(written[3].toStdString(), std::ios::binary);
    ItemReader reader = ItemReader::FromStream(in);
    const LoadResult loaded = LoadParameterItems(reader);
    QCOMPARE(loaded.outcome, LoadOutcome::Complete);
    QVERIFY(loaded.entries == Texts(3));
  }

  // After the clock was set back, the backups written before carry names and times in the
  // future; the new one is still the one kept, and the stale ones go first.
  void clockSetBackKeepsTheNewBackup() {
    QTemporaryDir dir;
    const BackupStore store(dir.filePath(QStringLiteral("data/backups")), 3);
    const QDateTime ahead = QDateTime::currentDateTime().addYears(1);
    QStringList future;
    for (int n = 0; n < 3; ++n) {
      const BackupResult result = store.Write(Texts(n), QStringLiteral("COM1"), ahead.addSecs(n));
      QVERIFY2(result.ok(), qPrintable(result.error));
      QFile file(result.path);
      QVERIFY(file.open(QIODevice::ReadWrite) && file.setFileTime(ahead.addSecs(n), QFileDevice::FileModificationTime));
      future << result.path;
    }
    QStringList now;
    for (int n = 0; n < 3; ++n) {
      const BackupResult result = store.Write(Texts(10 + n), QStringLiteral("COM1"));
      QVERIFY2(result.ok(), qPrintable(result.error));
      QVERIFY2(QFile::exists(result.path), qPrintable(result.path));
      now << result.path;
    }
    QCOMPARE(store.Backups().size(), 3);
    for (const QString& path : now) QVERIFY2(QFile::exists(path), qPrintable(path));
    for (const QString& path : future) QVERIFY2(!QFile::exists(path), qPrintable(path));
  }

  // A technician's records are theirs alone: the folders made and the files written.
  void backupsAreTheUsersAlone() {
    QTemporaryDir dir;
    const BackupStore store(dir.filePath(QStringLiteral("data/backups")));
    const BackupResult result = store.Write(Texts(0), QStringLiteral("COM1"));
    QVERIFY2(result.ok(), qPrintable(result.error));
    const QFile::Permissions others =
        QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    QCOMPARE(QFile::permissions(result.path) & others, QFile::Permissions());
    for (const QString& folder : {dir.filePath(QStringLiteral("data")), store.Folder()})
      QCOMPARE(QFile::permissions(folder) & others, QFile::Permissions());
  }

  void folderThatCannotBeMade() {
    QTemporaryDir dir;
    QFile blocker(dir.filePath("file"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const BackupResult result = BackupStore(dir.filePath("file/backups")).Write(Texts(0), QStringLiteral("COM1"));
    QVERIFY(!result.ok());
    QVERIFY(result.path.isEmpty());
  }
};

QTEST_GUILESS_MAIN(BackupStoreTest)
#include "tst_backup_store.moc"
