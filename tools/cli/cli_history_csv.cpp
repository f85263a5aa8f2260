// hopper-cli history --csv: the entries as comma-separated values on standard output, a page
// at a time.

#include <QFile>
#include <cstdio>

#include "platform/journal/journal_csv.h"
#include "platform/journal/journal_database.h"
#include "platform/journal/set_sources.h"
#include "tools/cli/cli_history.h"
#include "tools/cli/exit_codes.h"

namespace hopper::cli {

int RunHistoryCsv(const CliOptions& options) {
  const auto fail = [](const QString& why, ExitCode code = ExitCode::OutputFailed) {
    std::fputs(QStringLiteral("hopper-cli: %1\n").arg(why).toUtf8().constData(), stderr);
    return ToInt(code);
  };
  const JournalSetup setup = CliJournalSetup(options);
  if (!setup.refused.isEmpty())
    std::fputs(("hopper-cli: warning: " + setup.refused + '\n').toUtf8().constData(), stderr);
  const JournalTarget target = setup.shared.value_or(setup.local);
  QFile out;
  if (!out.open(stdout, QIODevice::WriteOnly)) return fail(QStringLiteral("standard output: ") + out.errorString());
  // No journal yet: the names of the columns and no row, and no journal made by reading.
  if (NoJournalYet(target))
    return out.write(CsvHead()) == CsvHead().size() && out.flush()
               ? ToInt(ExitCode::Done)
               : fail(QStringLiteral("the CSV could not be written: ") + out.errorString());
  JournalDatabase db(QStringLiteral("history-csv"));
  if (const QString why = db.Open(target); !why.isEmpty())
    return fail(QStringLiteral("the journal could not be read: ") + why, ExitCode::JournalUnusable);
  HistoryFilter filter;
  filter.since = options.since.isEmpty() ? QDateTime() : HistoryDate(options.since);
  filter.unit = options.unit;
  // "3" and "com3" name COM3, as for the listing.
  bool number = false;
  const int n = QString(options.port).remove(QStringLiteral("COM"), Qt::CaseInsensitive).toInt(&number);
  filter.port = number && n > 0 ? QStringLiteral("COM%1").arg(n) : options.port;
  QString why = WriteHistoryCsv(db.Database(), filter, out);
  if (why.isEmpty() && !out.flush()) why = out.errorString();
  return why.isEmpty() ? ToInt(ExitCode::Done) : fail(QStringLiteral("the CSV could not be written: ") + why);
}

}  // namespace hopper::cli
