#include "platform/journal/journal_csv.h"

#include <QFileInfo>
#include <QSaveFile>

#include "core/channel_table.h"
#include "core/csv_text.h"

namespace hopper {

namespace {

constexpr int kPage = 500;

const QStringList kSets = {QStringLiteral("reported"), QStringLiteral("sent"), QStringLiteral("read_back")};

void AddValues(std::vector<std::string>& fields, const std::optional<CoinNumbers>& values) {
  for (int i = 0; i < kChannelCount; ++i)
    fields.push_back(values ? std::to_string((*values)[std::size_t(i)]) : std::string());
}

}  // namespace

QStringList CsvColumns() {
  QStringList columns{"id",   "utc",    "local",       "station",    "user",   "unit",
                      "port", "device", "stable_name", "usb_serial", "header", "info"};
  for (const QString& set : kSets)
    for (int i = 1; i <= kChannelCount; ++i) columns << QStringLiteral("%1_%2").arg(set).arg(i);
  columns << QStringList{"result", "detail", "backup", "program", "version"};
  return columns;
}

QByteArray CsvHead() {
  std::vector<std::string> names;
  for (const QString& column : CsvColumns()) names.push_back(column.toStdString());
  return QByteArray(kUtf8Bom.data(), qsizetype(kUtf8Bom.size())) + QByteArray::fromStdString(CsvRow(names));
}

QByteArray CsvRowOf(const JournalEntry& e) {
  std::vector<std::string> fields;
  const auto text = [&fields](const QString& t) { fields.push_back(t.toStdString()); };
  text(e.id);
  text(e.utc.toString(Qt::ISODateWithMs));
  for (const QString* t :
       {&e.local, &e.station, &e.user, &e.unit, &e.port, &e.device, &e.stableName, &e.usbSerial, &e.header, &e.info})
    text(*t);
  AddValues(fields, e.reported);
  AddValues(fields, e.sent);
  AddValues(fields, e.readBack);
  text(ResultName(e.result));
  for (const QString* t : {&e.detail, &e.backup, &e.program, &e.version}) text(*t);
  return QByteArray::fromStdString(CsvRow(fields));
}

QString WriteHistoryCsv(const QSqlDatabase& db, const HistoryFilter& filter, QIODevice& out) {
  const auto put = [&out](const QByteArray& bytes) {
    return out.write(bytes) == bytes.size() ? QString() : out.errorString();
  };
  if (QString why = put(CsvHead()); !why.isEmpty()) return why;
  for (int offset = 0;; offset += kPage) {
    QString why;
    const std::vector<JournalEntry> page = ReadHistory(db, filter, kPage, offset, &why);
    if (!why.isEmpty()) return QStringLiteral("the journal could not be read: ") + why;
    for (const JournalEntry& entry : page)
      if (why = put(CsvRowOf(entry)); !why.isEmpty()) return why;
    if (int(page.size()) < kPage) return {};
  }
}

QString SaveHistoryCsv(const QSqlDatabase& db, const HistoryFilter& filter, const QString& path) {
  if (QFileInfo(path).isDir()) return QStringLiteral("a folder stands there");
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return file.errorString();
  if (QString why = WriteHistoryCsv(db, filter, file); !why.isEmpty()) {
    file.cancelWriting();
    return why;
  }
  return file.commit() ? QString() : file.errorString();
}

}  // namespace hopper
