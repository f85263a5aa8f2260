#include "platform/journal/set_sources.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "core/parameter_file.h"
#include "core/save_check.h"
#include "platform/files/backup_store.h"
#include "platform/files/parameter_file_io.h"
#include "platform/journal/journal_database.h"
#include "platform/journal/journal_query.h"
#include "platform/journal/journal_target.h"

namespace hopper {

SetSource FileSet(const QString& path) {
  SetSource set{path, path, {}, {}};
  const QString shown = QDir::toNativeSeparators(path);
  if (!IsOrdinaryFile(path)) {
    set.error = QFileInfo::exists(path) ? shown + QStringLiteral(" is not a regular file")
                                        : shown + QStringLiteral(" does not exist");
    return set;
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    set.error = shown + QStringLiteral(": ") + file.errorString();
    return set;
  }
  ItemReader reader(ChunksOf(file));
  const LoadResult loaded = LoadParameterItems(reader);
  if (loaded.outcome == LoadOutcome::Rejected)
    set.error =
        QStringLiteral("%1: Channel%2 is not a number of at most five digits").arg(shown).arg(loaded.channel + 1);
  else if (reader.ReadErrorSeen())
    set.error = shown + QStringLiteral(" could not be read to its end: ") + file.errorString();
  else set.texts = loaded.entries;
  return set;
}

SetSource NewestBackup(const BackupStore& store, const QString& port) {
  const QStringList backups = port.isEmpty() ? store.Backups() : store.BackupsOf(port);
  if (backups.isEmpty()) {
    SetSource none{QStringLiteral("backup:last"), {}, {}, {}};
    none.error = port.isEmpty()
                     ? QStringLiteral("there is no backup in %1").arg(QDir::toNativeSeparators(store.Folder()))
                     : QStringLiteral("there is no backup of the hopper on %1").arg(port);
    return none;
  }
  SetSource set = FileSet(backups.first());
  set.name = QStringLiteral("backup:last");
  return set;
}

SetSource JournalSet(const QSqlDatabase& db, const QString& id) {
  SetSource set{QStringLiteral("journal:") + id, {}, {}, {}};
  const EntryLookup found = FindEntry(db, id);
  switch (found.kind) {
    case EntryLookup::Kind::Unreadable:
      set.error = QStringLiteral("the journal could not be read: ") + found.why;
      break;
    case EntryLookup::Kind::NoSuchEntry: set.error = QStringLiteral("the journal has no entry %1").arg(id); break;
    case EntryLookup::Kind::Found:
      if (const std::optional<CoinNumbers> values = ValuesOf(*found.entry)) set.texts = TextsOf(*values);
      else set.error = QStringLiteral("the journal entry %1 holds no set").arg(id);
      break;
  }
  return set;
}

bool NoJournalYet(const JournalTarget& journal) { return !journal.Shared() && !QFileInfo::exists(journal.database); }

SetSource NamedSet(const QString& word, const BackupStore& store, const JournalTarget& journal) {
  if (word == QLatin1String("backup:last")) return NewestBackup(store);
  if (!word.startsWith(QLatin1String("journal:"))) return FileSet(word);
  const QString id = word.mid(8);
  if (NoJournalYet(journal)) {
    SetSource none{word, {}, {}, {}};
    none.error = QStringLiteral("there is no journal yet");
    return none;
  }
  JournalDatabase db(QStringLiteral("set-source"));
  if (const QString why = db.Open(journal); !why.isEmpty()) {
    SetSource set{word, {}, {}, {}};
    set.error = QStringLiteral("the journal could not be opened: ") + why;
    return set;
  }
  return JournalSet(db.Database(), id);
}

}  // namespace hopper
