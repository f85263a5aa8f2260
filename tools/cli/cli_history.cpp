#include "tools/cli/cli_history.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <cstdio>

#include "platform/files/settings_store.h"
#include "platform/journal/journal_database.h"
#include "platform/journal/journal_query.h"
#include "tools/cli/exit_codes.h"

namespace hopper::cli {

namespace {

constexpr int kPage = 500;

QJsonValue Values(const std::optional<CoinNumbers>& values) {
  if (!values) return QJsonValue::Null;
  QJsonArray array;
  for (std::uint16_t v : *values) array.append(int(v));
  return array;
}

QJsonObject JsonOf(const JournalEntry& e) {
  return {{"id", e.id},
          {"utc", e.utc.toString(Qt::ISODateWithMs)},
          {"local", e.local},
          {"station", e.station},
          {"user", e.user},
          {"port", e.port},
          {"device", e.device},
          {"stable_name", e.stableName},
          {"usb_serial", e.usbSerial},
          {"header", e.header},
          {"info", e.info},
          {"reported", Values(e.reported)},
          {"sent", Values(e.sent)},
          {"read_back", Values(e.readBack)},
          {"result", ResultName(e.result)},
          {"detail", e.detail},
          {"detail_kind", e.detailKind},
          {"backup", e.backup},
          {"program", e.program},
          {"version", e.version},
          {"unit", e.unit}};
}

// "2026-12-08T07:30:01.123+01:00  COM3  verified  Channel3 250 → 251"
QString LineOf(const JournalEntry& e) {
  const QString changes = ChangesText(e);
  QString line = QStringLiteral("%1  %2  %3").arg(e.local, e.port, ResultName(e.result));
  if (!e.detail.isEmpty()) line += QStringLiteral(" (%1)").arg(e.detail);
  if (!changes.isEmpty()) line += QStringLiteral("  ") + changes;
  return line;
}

void Print(const QString& text, FILE* stream) {
  std::fputs(text.toUtf8().constData(), stream);
  std::fputc('\n', stream);
}

}  // namespace

JournalSetup CliJournalSetup(const CliOptions& options, QString* problem) {
  return JournalSetupFor(options.journalUrl.isEmpty() ? SettingsStore().JournalUrl() : options.journalUrl, problem);
}

int RunHistory(const CliOptions& options) {
  QString problem;
  const JournalSetup setup = CliJournalSetup(options, &problem);
  if (!problem.isEmpty()) Print(QStringLiteral("hopper-cli: warning: ") + problem, stderr);
  JournalDatabase db(QStringLiteral("history"));
  QString why = db.Open(setup.shared.value_or(setup.local));
  HistoryFilter filter;
  filter.since = options.since.isEmpty() ? QDateTime() : HistoryDate(options.since);
  // "3" and "com3" name COM3, as for read and write.
  bool number = false;
  const int n = QString(options.port).remove(QStringLiteral("COM"), Qt::CaseInsensitive).toInt(&number);
  filter.port = number && n > 0 ? QStringLiteral("COM%1").arg(n) : options.port;
  filter.unit = options.unit;
  QJsonArray all;
  for (int offset = 0; why.isEmpty(); offset += kPage) {
    const std::vector<JournalEntry> page = ReadHistory(db.Database(), filter, kPage, offset, &why);
    for (const JournalEntry& entry : page) {
      if (options.json) all.append(JsonOf(entry));
      else Print(LineOf(entry), stdout);
    }
    if (int(page.size()) < kPage) break;
  }
  if (!why.isEmpty()) {
    if (options.json) Print(QJsonDocument(QJsonObject{{"error", why}}).toJson(QJsonDocument::Compact), stdout);
    Print(QStringLiteral("hopper-cli: the journal could not be read: ") + why, stderr);
    return ToInt(ExitCode::OutputFailed);
  }
  if (options.json) Print(QString::fromUtf8(QJsonDocument(all).toJson(QJsonDocument::Compact)), stdout);
  return ToInt(ExitCode::Done);
}

}  // namespace hopper::cli
