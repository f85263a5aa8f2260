#include "tools/cli/report_command.h"

#include <QDir>
#include <cstdio>

#include "platform/journal/journal_database.h"
#include "platform/journal/journal_query.h"
#include "platform/journal/set_sources.h"
#include "platform/report/visit_report.h"
#include "tools/cli/cli_history.h"
#include "tools/cli/exit_codes.h"

namespace hopper::cli {

namespace {
int Fail(ExitCode code, const QString& text) {
  std::fputs(QStringLiteral("hopper-cli: %1\n").arg(text).toUtf8().constData(), stderr);
  return ToInt(code);
}
}  // namespace

int RunReport(const CliOptions& options) {
  const JournalSetup setup = CliJournalSetup(options);
  if (!setup.refused.isEmpty())
    std::fputs(("hopper-cli: warning: " + setup.refused + '\n').toUtf8().constData(), stderr);
  const JournalTarget target = setup.shared.value_or(setup.local);
  if (NoJournalYet(target)) return Fail(ExitCode::NoSuchEntry, QStringLiteral("the journal holds no entry yet"));
  JournalDatabase db(QStringLiteral("report"));
  if (const QString why = db.Open(target); !why.isEmpty())
    return Fail(ExitCode::JournalUnusable, QStringLiteral("the journal could not be read: ") + why);
  const EntryLookup found = FindEntry(db.Database(), options.entry);
  if (found.kind == EntryLookup::Kind::Unreadable)
    return Fail(ExitCode::JournalUnusable, QStringLiteral("the journal could not be read: ") + found.why);
  if (found.kind == EntryLookup::Kind::NoSuchEntry)
    return Fail(ExitCode::NoSuchEntry, options.entry == QLatin1String("last")
                                           ? QStringLiteral("the journal holds no entry yet")
                                           : QStringLiteral("the journal holds no entry %1").arg(options.entry));
  if (const QString failed = WriteVisitReport({*found.entry}, options.pdf); !failed.isEmpty())
    return Fail(
        ExitCode::OutputFailed,
        QStringLiteral("the report could not be written: %1: %2").arg(QDir::toNativeSeparators(options.pdf), failed));
  return ToInt(ExitCode::Done);
}

}  // namespace hopper::cli
