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
