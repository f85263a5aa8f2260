#include "platform/journal/journal_database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <algorithm>

#include "core/channel_changes.h"
#include "platform/files/backup_store.h"
#include "platform/files/portable_folder.h"
#include "platform/journal/journal_schema.h"

namespace hopper {

namespace {

const QStringList kColumns = {
    QStringLiteral("entry_id"),   QStringLiteral("time_utc"),    QStringLiteral("time_local"),
    QStringLiteral("station"),    QStringLiteral("user_name"),   QStringLiteral("port"),
    QStringLiteral("device"),     QStringLiteral("stable_name"), QStringLiteral("usb_serial"),
    QStringLiteral("header_hex"), QStringLiteral("info_hex"),    QStringLiteral("reported"),
    QStringLiteral("sent"),       QStringLiteral("read_back"),   QStringLiteral("result"),
    QStringLiteral("detail"),     QStringLiteral("backup"),      QStringLiteral("program"),
    QStringLiteral("version"),    QStringLiteral("detail_kind"), QStringLiteral("unit"),
};

QVariant ValuesOrNull(const std::optional<CoinNumbers>& values) {
  return values ? QVariant(QString::fromStdString(CoinNumbersText(*values))) : QVariant(QMetaType(QMetaType::QString));
}

std::optional<CoinNumbers> ValuesOf(const QVariant& value) {
  if (value.isNull()) return std::nullopt;
  return CoinNumbersFromText(value.toString().toStdString());
}

}  // namespace

QString JournalColumns() { return kColumns.join(QStringLiteral(", ")); }

JournalEntry EntryOfRow(const QSqlQuery& query) {
  JournalEntry e;
  int i = 0;
  const auto next = [&query, &i] { return query.value(i++); };
  e.id = next().toString();
  e.utc = QDateTime::fromString(next().toString(), Qt::ISODateWithMs);
  for (QString* text :
       {&e.local, &e.station, &e.user, &e.port, &e.device, &e.stableName, &e.usbSerial, &e.header, &e.info})
    *text = next().toString();
  e.reported = ValuesOf(next());
  e.sent = ValuesOf(next());
  e.readBack = ValuesOf(next());
  e.result = ResultNamed(next().toString()).value_or(JournalResult::Failed);
  for (QString* text : {&e.detail, &e.backup, &e.program, &e.version, &e.detailKind, &e.unit})
    *text = next().toString();
  return e;
}

JournalDatabase::JournalDatabase(QString connectionName) : name_(std::move(connectionName)) {}

JournalDatabase::~JournalDatabase() {
  Close();
  QSqlDatabase::removeDatabase(name_);
}

void JournalDatabase::Close() {
  insert_.reset();  // a statement left on the connection would keep it in use
  if (QSqlDatabase::contains(name_)) Database().close();
  open_ = false;
}

QString JournalDatabase::Failed(const QSqlQuery& query) const {
  return QStringLiteral("%1: %2").arg(where_, query.lastError().text());
}

QString JournalDatabase::Open(const JournalTarget& target, Use use) {
  Close();
  where_ = target.Label();
  if (QString missing = MissingDriver(target); !missing.isEmpty()) return missing;
  const bool reading = use == Use::Read;
  bool made = false;
  if (!target.Shared()) {
    const QFileInfo file(target.database);
    // SQLite would take a folder's name and fail only at the first write, with less to say.
    if (file.isDir()) return QStringLiteral("%1: a folder stands where the journal file belongs").arg(where_);
    // Reading never makes a journal: a name mistyped is said, not answered with an empty list.
    if (reading && !file.exists()) return QStringLiteral("%1: there is no journal file").arg(where_);
    made = !reading && !file.exists();
    if (made) {
      // On a fresh machine the data folder is made with the first entry, as with the first
      // backup; the folder and the file are this user's alone.
      if (!MakePrivateFolder(file.absolutePath()))
        return QStringLiteral("%1: its folder cannot be created").arg(where_);
      QFile created(file.absoluteFilePath());
      if (!created.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFile::ReadOwner | QFile::WriteOwner) &&
          !created.exists())
        return QStringLiteral("%1: %2").arg(where_, created.errorString());
    } else if (!reading && PortableFolder().isEmpty() &&
               file.absoluteFilePath() == QFileInfo(LocalJournalPath()).absoluteFilePath()) {
      // The journal in the user's data folder, made open to every user by an earlier version
      // (a portable copy's journal sits in the program's folder, which is left as it is).
      MakePrivateFolder(file.absolutePath(), true);
      MakePrivateFile(file.absoluteFilePath());
    }
  }
  QSqlDatabase db = QSqlDatabase::contains(name_) ? Database() : QSqlDatabase::addDatabase(target.driver, name_);
  db.setDatabaseName(target.database);
  db.setHostName(target.host);
  db.setPort(target.port);
  db.setUserName(target.user);
  db.setPassword(target.password);
  QString options = target.options;
  if (reading && !target.Shared()) options += QStringLiteral(";QSQLITE_OPEN_READONLY");
  db.setConnectOptions(options);
  if (!db.open()) return QStringLiteral("%1: %2").arg(where_, OpenFailure(target, db.lastError().text()));
  if (!reading && !target.Shared()) {
    // A station writes an entry every few tenths of a second: in write-ahead mode each is one
    // append and one flush, not a journal file made, flushed and deleted around every entry.
    // Where the file system cannot have it, SQLite keeps the mode it had.
    QSqlQuery(db).exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    // Entries are only ever appended: a small page cache does, and the program does not grow by
    // SQLite's default two megabytes over a long day of entries.
    QSqlQuery(db).exec(QStringLiteral("PRAGMA cache_size=-256"));
  }
  QString why = reading ? CheckReadable() : Migrate();
  if (why.isEmpty() && reading && NeedsMigration()) {
    // A journal of an earlier version lacks columns the reading asks for: it is brought up to
    // date as a writer would (it is a journal already; nothing new is made).
    if (!target.Shared()) {
      db.close();
      db.setConnectOptions(target.options);
      if (!db.open()) return QStringLiteral("%1: %2").arg(where_, OpenFailure(target, db.lastError().text()));
    }
    why = Migrate();
  }
  if (!why.isEmpty()) {
    db.close();
    // A file made just now that could not even take the tables (a full disk) is no journal.
    if (made)
      for (const char* beside : {"", "-journal", "-wal", "-shm"})
        QFile::remove(target.database + QLatin1String(beside));
    return why;
  }
  open_ = true;
  return {};
}

QString JournalDatabase::OpenFailure(const JournalTarget& target, const QString& why) {
  // libpq's own words for a server without TLS are terse; the technician needs to know that
  // nothing went to it in plain text.
  static const QRegularExpression strict(QStringLiteral("sslmode='(require|verify-ca|verify-full)'"));
  const QRegularExpressionMatch mode = strict.match(target.options);
  if (target.Shared() && mode.hasMatch() && why.contains(QStringLiteral("SSL"), Qt::CaseInsensitive))
    return QStringLiteral("the server offers no TLS, and the URL asks for it (sslmode=%1); nothing was sent (%2)")
        .arg(mode.captured(1), why.trimmed());
  return why.trimmed();
}

QString JournalDatabase::CheckReadable() {
  QSqlQuery query(Database());
  if (!query.exec(QStringLiteral("SELECT COUNT(*) FROM journal_migrations")))
    return QStringLiteral("%1: this is no journal (%2)").arg(where_, query.lastError().text().trimmed());
  return {};
}

bool JournalDatabase::NeedsMigration() {
  QSqlDatabase db = Database();
  const bool postgres = db.driverName() == QLatin1String("QPSQL");
  QSqlQuery query(db);
  if (!query.exec(QStringLiteral("SELECT version FROM journal_migrations"))) return false;
  QList<int> applied;
  while (query.next()) applied << query.value(0).toInt();
  for (int version = 1; version <= kSchemaVersion; ++version)
    if (!applied.contains(version) && !MigrationSteps(version, postgres).isEmpty()) return true;
  return false;
}

QString JournalDatabase::Migrate() {
  QSqlDatabase db = Database();
  const bool postgres = db.driverName() == QLatin1String("QPSQL");
  QSqlQuery query(db);
  // One program at a time sets up and migrates: stations starting together would otherwise
  // race to create the same tables (PostgreSQL refuses the second, even with IF NOT EXISTS).
  const QStringList begin =
      postgres ? QStringList{QStringLiteral("BEGIN"), QStringLiteral("SELECT pg_advisory_xact_lock(2024120801)")}
               : QStringList{QStringLiteral("BEGIN IMMEDIATE")};
  for (const QString& sql : begin)
    if (!query.exec(sql)) return Failed(query);
  const auto fail = [&](const QSqlQuery& failed) {
    const QString why = Failed(failed);
    QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
    return why;
  };
  for (const QString& sql : SchemaSetup(postgres))
    if (!query.exec(sql)) return fail(query);
  if (!query.exec(QStringLiteral("SELECT version FROM journal_migrations"))) return fail(query);
  QList<int> applied;
  while (query.next()) applied << query.value(0).toInt();
  const int have = applied.isEmpty() ? 0 : *std::max_element(applied.begin(), applied.end());
  if (have > kSchemaVersion) {
    QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
    return QStringLiteral("%1 was made by a newer version of this program (schema %2)").arg(where_).arg(have);
  }
  // Each step not yet taken, by its number rather than after the highest: a step that came
  // into the program later than a higher one is still taken on files that have the higher.
  for (int version = 1; version <= kSchemaVersion; ++version) {
    const QStringList steps = MigrationSteps(version, postgres);
    if (applied.contains(version) || steps.isEmpty()) continue;
    for (const QString& sql : steps)
      if (!query.exec(sql)) return fail(query);
    query.prepare(QStringLiteral("INSERT INTO journal_migrations (version, applied_utc) VALUES (?, ?)"));
    query.addBindValue(version);
    query.addBindValue(QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs));
    if (!query.exec()) return fail(query);
  }
  if (!query.exec(QStringLiteral("COMMIT"))) return fail(query);
  return {};
}

QString JournalDatabase::Add(const JournalEntry& e, bool pending) {
  if (!insert_) {
    // Prepared once: a station adds entries all day, and the statement is the same each time.
    auto prepared = std::make_unique<QSqlQuery>(Database());
    QStringList marks;
    for (qsizetype i = 0; i <= kColumns.size(); ++i) marks << QStringLiteral("?");
    if (!prepared->prepare(
            QStringLiteral("INSERT INTO journal_entries (%1, pending) VALUES (%2) ON CONFLICT (entry_id) DO NOTHING")
                .arg(JournalColumns(), marks.join(QStringLiteral(", ")))))
      return Failed(*prepared);
    insert_ = std::move(prepared);
  }
  QSqlQuery& query = *insert_;
  query.addBindValue(e.id);
  query.addBindValue(e.utc.toUTC().toString(Qt::ISODateWithMs));
  for (const QString* text :
       {&e.local, &e.station, &e.user, &e.port, &e.device, &e.stableName, &e.usbSerial, &e.header, &e.info})
    query.addBindValue(*text);
  query.addBindValue(ValuesOrNull(e.reported));
  query.addBindValue(ValuesOrNull(e.sent));
  query.addBindValue(ValuesOrNull(e.readBack));
  query.addBindValue(ResultName(e.result));
  for (const QString* text : {&e.detail, &e.backup, &e.program, &e.version, &e.detailKind, &e.unit})
    query.addBindValue(*text);
  query.addBindValue(pending ? 1 : 0);
  return query.exec() ? QString() : Failed(query);
}

QString JournalDatabase::AddAll(const std::deque<JournalEntry>& entries, bool pending) {
  QSqlDatabase db = Database();
  if (entries.size() > 1 && !db.transaction()) return QStringLiteral("%1: %2").arg(where_, db.lastError().text());
  for (const JournalEntry& entry : entries) {
    if (QString why = Add(entry, pending); !why.isEmpty()) {
      if (entries.size() > 1) db.rollback();
      return why;
    }
  }
  if (entries.size() > 1 && !db.commit()) {
    const QString why = QStringLiteral("%1: %2").arg(where_, db.lastError().text());
    db.rollback();
    return why;
  }
  return {};
}

std::vector<JournalEntry> JournalDatabase::Pending(int limit, QString* error) {
  QSqlQuery query(Database());
  query.setForwardOnly(true);
  std::vector<JournalEntry> entries;
  if (!query.exec(QStringLiteral("SELECT %1 FROM journal_entries WHERE pending = 1 ORDER BY seq LIMIT %2")
                      .arg(JournalColumns())
                      .arg(limit))) {
    if (error) *error = Failed(query);
    return entries;
  }
  while (query.next()) entries.push_back(EntryOfRow(query));
  return entries;
}

int JournalDatabase::PendingCount() {
  QSqlQuery query(Database());
  if (!query.exec(QStringLiteral("SELECT COUNT(*) FROM journal_entries WHERE pending = 1")) || !query.next()) return 0;
  return query.value(0).toInt();
}

QString JournalDatabase::MarkSent(const QString& id) {
  QSqlQuery query(Database());
  query.prepare(QStringLiteral("UPDATE journal_entries SET pending = 0 WHERE entry_id = ?"));
  query.addBindValue(id);
  return query.exec() ? QString() : Failed(query);
}

}  // namespace hopper
