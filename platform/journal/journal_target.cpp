#include "platform/journal/journal_target.h"

#include <QDir>
#include <QRegularExpression>
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

namespace {

// How long a shared server may take: to answer at all, for one statement, and to give a lock
// another session holds. A locked table or a slow server then fails a write within moments,
// the entry waits in the local file, and nothing that ends the program waits longer.
constexpr int kConnectSeconds = 3;
constexpr int kStatementMs = 5000;
constexpr int kLockMs = 1000;

// A value in a libpq connection string: quoted, with its quotes and backslashes escaped.
QString Quoted(QString value) {
  value.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('\''), QStringLiteral("\\'"));
  return QLatin1Char('\'') + value + QLatin1Char('\'');
}

}  // namespace

QString RedactedUrl(const QString& text) {
  // Also in a URL too broken to parse: "user:secret@" and "password=secret" lose the secret.
  static const QRegularExpression userInfo(QStringLiteral("(://[^/@?#]*?:)[^/?#]*@"));
  static const QRegularExpression passwordItem(QStringLiteral("((?:^|[?&;\\s])password=)[^&;\\s]*"),
                                               QRegularExpression::CaseInsensitiveOption);
  QString redacted = text;
  redacted.replace(userInfo, QStringLiteral("\\1***@"));
  redacted.replace(passwordItem, QStringLiteral("\\1***"));
  return redacted;
}

JournalTarget ParseJournalTarget(const QString& text) {
  const QUrl url(text.trimmed(), QUrl::StrictMode);
  const QString scheme = url.scheme().toLower();
  if (scheme.isEmpty() || (scheme.size() == 1 && text.contains(QLatin1Char(':'))))
    return LocalJournal(text.trimmed());  // a plain path, or a Windows drive letter
  if (scheme == QLatin1String("sqlite") || scheme == QLatin1String("file")) return LocalJournal(url.path());
  JournalTarget target;
  if (!url.isValid() || (scheme != QLatin1String("postgresql") && scheme != QLatin1String("postgres"))) {
    target.error =
        QStringLiteral("%1 is no journal: say postgresql://user@host/database or a file path").arg(RedactedUrl(text));
    return target;
  }
  target.driver = QStringLiteral("QPSQL");
  target.database = url.path().mid(1);
  target.host = url.host();
  target.port = url.port(-1);
  target.user = url.userName();
  target.password = url.password();
  QString serverOptions = QStringLiteral("-c client_min_messages=warning -c statement_timeout=%1 -c lock_timeout=%2")
                              .arg(kStatementMs)
                              .arg(kLockMs);
  QStringList options{QStringLiteral("connect_timeout=%1").arg(kConnectSeconds)};
  // Every other libpq setting the URL names is honoured as libpq reads it: sslmode,
  // sslrootcert, application_name, … (a later setting of the same name wins).
  for (const auto& [key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
    if (key == QLatin1String("host")) target.host = value;
    else if (key == QLatin1String("user")) target.user = value;
    else if (key == QLatin1String("password")) target.password = value;
    else if (key == QLatin1String("port")) target.port = value.toInt();
    else if (key == QLatin1String("dbname")) target.database = value;
    else if (key == QLatin1String("options")) serverOptions += QLatin1Char(' ') + value;
    else if (!key.isEmpty() && key.contains(QRegularExpression(QStringLiteral("^[a-z_]+$"))))
      options << key + QLatin1Char('=') + Quoted(value);
    else target.error = QStringLiteral("%1: %2 is no connection setting").arg(RedactedUrl(text), key);
  }
  options << QStringLiteral("options=") + Quoted(serverOptions);
  target.options = options.join(QLatin1Char(';'));
  if (target.database.isEmpty()) target.error = QStringLiteral("%1 names no database").arg(RedactedUrl(text));
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
