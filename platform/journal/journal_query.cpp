#include "platform/journal/journal_query.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariantList>

#include "platform/journal/journal_database.h"

namespace hopper {

std::vector<JournalEntry> ReadHistory(const QSqlDatabase& db, const HistoryFilter& filter, int limit, int offset,
                                      QString* error) {
  QStringList where;
  QVariantList values;
  const auto when = [](const QDateTime& t) { return t.toUTC().toString(Qt::ISODateWithMs); };
  if (filter.since.isValid()) {
    where << QStringLiteral("time_utc >= ?");
    values << when(filter.since);
  }
  if (filter.until.isValid()) {
    where << QStringLiteral("time_utc < ?");
    values << when(filter.until);
  }
  if (!filter.port.isEmpty()) {
    where << QStringLiteral("(port = ? OR device = ? OR stable_name = ?)");
    values << filter.port << filter.port << filter.port;
  }
  if (filter.result) {
    where << QStringLiteral("result = ?");
    values << ResultName(*filter.result);
  }
  if (!filter.unit.isEmpty()) {
    where << QStringLiteral("unit = ?");
    values << filter.unit;
  }
  QSqlQuery query(db);
  query.setForwardOnly(true);
  query.prepare(QStringLiteral("SELECT %1 FROM journal_entries %2 ORDER BY time_utc DESC, seq DESC LIMIT %3 OFFSET %4")
                    .arg(JournalColumns(),
                         where.isEmpty() ? QString() : QStringLiteral("WHERE ") + where.join(QStringLiteral(" AND ")))
                    .arg(qMax(0, limit))
                    .arg(qMax(0, offset)));
  for (const QVariant& value : values) query.addBindValue(value);
  std::vector<JournalEntry> entries;
  if (!query.exec()) {
    if (error) *error = query.lastError().text();
    return entries;
  }
  while (query.next()) entries.push_back(EntryOfRow(query));
  return entries;
}

std::optional<JournalEntry> FindEntry(const QSqlDatabase& db, const QString& id, QString* error) {
  if (id == QLatin1String("last")) {
    std::vector<JournalEntry> newest = ReadHistory(db, {}, 1, 0, error);
    if (newest.empty()) return std::nullopt;
    return newest.front();
  }
  QSqlQuery query(db);
  query.setForwardOnly(true);
  query.prepare(QStringLiteral("SELECT %1 FROM journal_entries WHERE entry_id = ?").arg(JournalColumns()));
  query.addBindValue(id);
  if (!query.exec()) {
    if (error) *error = query.lastError().text();
    return std::nullopt;
  }
  if (!query.next()) return std::nullopt;
  return EntryOfRow(query);
}

QDateTime HistoryDate(const QString& text) {
  const QString t = text.trimmed();
  for (const QString& format :
       {QStringLiteral("yyyy-MM-dd"), QStringLiteral("yyyy-MM-dd HH:mm"), QStringLiteral("yyyy-MM-dd HH:mm:ss")}) {
    const QDateTime parsed = QDateTime::fromString(t, format);
    if (parsed.isValid()) return parsed;
  }
  return QDateTime::fromString(t, Qt::ISODateWithMs);
}

}  // namespace hopper
