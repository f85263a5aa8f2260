#include "platform/journal/journal_target.h"

#include <QDir>
#include <QSqlDatabase>
#include <QUrl>
#include <QUrlQuery>

#include "platform/files/backup_store.h"

namespace hopper {

QString JournalTarget::Label() const {
  if (!Shared()) return QDir::toNativeSeparators(database);
  QUrl url;
  url.setScheme(QStringLiteral("postgresql"));
  url.setUserName(user);
  url.setHost(host.startsWith(QLatin1Char('/')) ? QString() : host);
  url.setPort(port);
  url.setPath(QLatin1Char('/') + database);
  if (host.startsWith(QLatin1Char('/'))) url.setQuery(QStringLiteral("host=") + host);
  return url.toString();
}

QString LocalJournalPath() {
  // The backups' folder sits in the data folder; the journal beside it.
  return QDir(BackupStore::DefaultFolder() + QStringLiteral("/..")).filePath(QStringLiteral("journal.sqlite"));
}

JournalTarget LocalJournal(const QString& path) {
  JournalTarget target;
  target.driver = QStringLiteral("QSQLITE");
  target.database = QDir::cleanPath(path);
  // A second station or program writing at the same moment waits its turn instead of failing.
  target.options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000");
  return target;
}

JournalTarget ParseJournalTarget(const QString& text) {
  const QUrl url(text.trimmed(), QUrl::StrictMode);
  const QString scheme = url.scheme().toLower();
  if (scheme.isEmpty() || (scheme.size() == 1 && text.contains(QLatin1Char(':'))))
    return LocalJournal(text.trimmed());  // a plain path, or a Windows drive letter
  if (scheme == QLatin1String("sqlite") || scheme == QLatin1String("file")) return LocalJournal(url.path());
  JournalTarget target;
  if (!url.isValid() || (scheme != QLatin1String("postgresql") && scheme != QLatin1String("postgres"))) {
    target.error = QStringLiteral("%1 is no journal: say postgresql://user@host/database or a file path").arg(text);
    return target;
  }
  target.driver = QStringLiteral("QPSQL");
  target.database = url.path().mid(1);
  target.host = url.host();
  target.port = url.port(-1);
  target.user = url.userName();
  target.password = url.password();
  const QUrlQuery query(url);
  if (query.hasQueryItem(QStringLiteral("host"))) target.host = query.queryItemValue(QStringLiteral("host"));
  if (query.hasQueryItem(QStringLiteral("user"))) target.user = query.queryItemValue(QStringLiteral("user"));
  // An unreachable server must not hold the journal's worker for long.
  target.options = QStringLiteral("connect_timeout=3;options='-c client_min_messages=warning'");
  if (target.database.isEmpty()) target.error = QStringLiteral("%1 names no database").arg(text);
  return target;
}

QString MissingDriver(const JournalTarget& target) {
  if (QSqlDatabase::isDriverAvailable(target.driver)) return {};
  return target.Shared() ? QStringLiteral(
                               "This program has no PostgreSQL driver (Qt's QPSQL); "
                               "the journal is kept in the local file only.")
                         : QStringLiteral("This program has no SQLite driver (Qt's QSQLITE).");
}

}  // namespace hopper
