#include "platform/journal/journal_query.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariantList>
#include <optional>

#include "platform/journal/journal_database.h"

namespace hopper {

namespace {

struct Conditions {
  QStringList where;
  QVariantList values;
};

Conditions ConditionsOf(const HistoryFilter& filter) {
  Conditions c;
  const auto when = [](const QDateTime& t) { return t.toUTC().toString(Qt::ISODateWithMs); };
  if (filter.since.isValid()) {
    c.where << QStringLiteral("time_utc >= ?");
    c.values << when(filter.since);
  }
  if (filter.until.isValid()) {
    c.where << QStringLiteral("time_utc < ?");
    c.values << when(filter.until);
  }
  if (!filter.port.isEmpty()) {
    c.where << QStringLiteral("(port = ? OR device = ? OR stable_name = ?)");
    c.values << filter.port << filter.port << filter.port;
  }
  if (filter.result) {
    c.where << QStringLiteral("result = ?");
    c.values << ResultName(*filter.result);
  }
  if (!filter.unit.isEmpty()) {
    c.where << QStringLiteral("unit = ?");
    c.values << filter.unit;
  }
  return c;
}

QString WhereClause(const QStringList& where) {
  return where.isEmpty() ? QString() : QStringLiteral("WHERE ") + where.join(QStringLiteral(" AND "));
}

}  // namespace

std::vector<JournalEntry> ReadHistory(const QSqlDatabase& db, const HistoryFilter& filter, int limit, int offset,
                                      QString* error) {
  const Conditions c = ConditionsOf(filter);
  QSqlQuery query(db);
  query.setForwardOnly(true);
  query.prepare(QStringLiteral("SELECT %1 FROM journal_entries %2 ORDER BY time_utc DESC, seq DESC LIMIT %3 OFFSET %4")
                    .arg(JournalColumns(), WhereClause(c.where))
                    .arg(qMax(0, limit))
                    .arg(qMax(0, offset)));
  for (const QVariant& value : c.values) query.addBindValue(value);
  std::vector<JournalEntry> entries;
  if (!query.exec()) {
    if (error) *error = query.lastError().text();
    return entries;
  }
  while (query.next()) entries.push_back(EntryOfRow(query));
  return entries;
}

QString EachHistoryEntry(const QSqlDatabase& db, const HistoryFilter& filter,
                         const std::function<void(const JournalEntry&)>& take, int page) {
  // Each page starts after the last entry of the one before (not at an offset, which the
  // database would count through again for every page).
  std::optional<std::pair<QString, qint64>> after;
  const int seqColumn = int(JournalColumns().count(QLatin1Char(',')) + 1);
  for (;;) {
    Conditions c = ConditionsOf(filter);
    if (after) {
      c.where << QStringLiteral("(time_utc < ? OR (time_utc = ? AND seq < ?))");
      c.values << after->first << after->first << after->second;
    }
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT %1, seq, time_utc FROM journal_entries %2 ORDER BY time_utc DESC, seq DESC "
                                 "LIMIT %3")
                      .arg(JournalColumns(), WhereClause(c.where))
                      .arg(qMax(1, page)));
    for (const QVariant& value : c.values) query.addBindValue(value);
    if (!query.exec()) return query.lastError().text();
    int rows = 0;
    while (query.next()) {
      ++rows;
      take(EntryOfRow(query));
      after = std::pair(query.value(seqColumn + 1).toString(), query.value(seqColumn).toLongLong());
    }
    if (query.lastError().isValid()) return query.lastError().text();
    if (rows < page) return {};
  }
}

EntryLookup FindEntry(const QSqlDatabase& db, const QString& id) {
  using Kind = EntryLookup::Kind;
  if (id == QLatin1String("last")) {
    QString why;
    std::vector<JournalEntry> newest = ReadHistory(db, {}, 1, 0, &why);
    if (!why.isEmpty()) return {Kind::Unreadable, std::nullopt, why};
    if (newest.empty()) return {};
    return {Kind::Found, newest.front(), {}};
  }
  QSqlQuery query(db);
  query.setForwardOnly(true);
  query.prepare(QStringLiteral("SELECT %1 FROM journal_entries WHERE entry_id = ?").arg(JournalColumns()));
  query.addBindValue(id);
  if (!query.exec()) return {Kind::Unreadable, std::nullopt, query.lastError().text()};
  if (!query.next()) return {};
  return {Kind::Found, EntryOfRow(query), {}};
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
