#include "tools/cli/cli_history.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <cstdio>

#include "core/escaped_text.h"
#include "platform/files/settings_store.h"
#include "platform/journal/journal_database.h"
#include "platform/journal/journal_json.h"
#include "platform/journal/journal_query.h"
#include "tools/cli/cli_report.h"
#include "tools/cli/exit_codes.h"

namespace hopper::cli {

namespace {

// "2026-12-08T07:30:01.123+01:00  COM3  verified  Channel3 250 → 251"
QString LineOf(const JournalEntry& e) {
  const QString changes = ChangesText(e);
  QString line = QStringLiteral("%1  %2  %3").arg(e.local, e.port, ResultName(e.result));
  if (!e.detail.isEmpty()) line += QStringLiteral(" (%1)").arg(e.detail);
  if (!changes.isEmpty()) line += QStringLiteral("  ") + changes;
  return line;
}

// What the journal holds came from ports and programs beyond this one: its control characters
// are shown escaped, so a stored name can neither clear the screen nor forge a line.
void Print(const QString& text, FILE* stream) {
  std::fputs(EscapeControls(text.toUtf8().toStdString()).c_str(), stream);
  std::fputc('\n', stream);
}

}  // namespace

JournalSetup CliJournalSetup(const CliOptions& options) {
  return JournalSetupFor(options.journalUrl.isEmpty() ? SettingsStore().JournalUrl() : options.journalUrl);
}

int RunHistory(const CliOptions& options) {
  const auto fail = [&options](const QString& why) {
    if (options.json)
      std::puts(QJsonDocument(QJsonObject{{"result", QString::fromLatin1(ExitCodeName(ExitCode::JournalUnusable))},
                                          {"exitCode", ToInt(ExitCode::JournalUnusable)},
                                          {"error", why}})
                    .toJson(QJsonDocument::Compact)
                    .constData());
    Print(QStringLiteral("hopper-cli: the journal could not be read: ") + why, stderr);
    return ToInt(ExitCode::JournalUnusable);
  };
  // The journal asked for, or none: never another one in its place.
  const JournalSetup setup = CliJournalSetup(options);
  if (!setup.refused.isEmpty()) return fail(setup.refused);
  JournalDatabase db(QStringLiteral("history"));
  if (const QString why = db.Open(setup.shared.value_or(setup.local), JournalDatabase::Use::Read); !why.isEmpty())
    return fail(why);
  HistoryFilter filter;
  filter.since = options.since.isEmpty() ? QDateTime() : HistoryDate(options.since);
  // "3" and "com3" name COM3, as for read and write.
  bool number = false;
  const int n = QString(options.port).remove(QStringLiteral("COM"), Qt::CaseInsensitive).toInt(&number);
  filter.port = number && n > 0 ? QStringLiteral("COM%1").arg(n) : options.port;
  filter.unit = options.unit;
  // JSON is written as it is read, one entry at a time, and stays one valid document.
  bool first = true;
  if (options.json) std::fputc('[', stdout);
  const QString why = EachHistoryEntry(db.Database(), filter, [&](const JournalEntry& entry) {
    if (!options.json) return Print(LineOf(entry), stdout);
    if (!first) std::fputc(',', stdout);
    first = false;
    std::fputs(JournalJsonLine(entry).toUtf8().constData(), stdout);
  });
  if (options.json) std::fputs("]\n", stdout);
  if (!why.isEmpty()) {
    Print(QStringLiteral("hopper-cli: the journal could not be read to its end: ") + why, stderr);
    return ToInt(ExitCode::JournalUnusable);
  }
  return ToInt(ExitCode::Done);
}

}  // namespace hopper::cli
