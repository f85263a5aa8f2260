#include "tools/cli/station_command.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QSet>
#include <cstdio>

#include "core/escaped_text.h"
#include "platform/journal/journal.h"
#include "platform/journal/station_journal.h"
#include "platform/serial/interrupt_notifier.h"
#include "platform/station/set_file.h"
#include "tools/cli/cli_history.h"
#include "tools/cli/cli_options.h"
#include "tools/cli/cli_report.h"
#include "tools/cli/port_choice.h"
#include "tools/cli/station_report.h"

namespace hopper::cli {

namespace {

// Names from outside (files, ports) can hold control characters: they are shown escaped.
void Complain(const QString& error, const QString& detail) {
  std::fprintf(stderr, "hopper-cli: %s\n", EscapeControls(error.toLocal8Bit().toStdString()).c_str());
  if (!detail.isEmpty()) std::fprintf(stderr, "  %s\n", EscapeControls(detail.toLocal8Bit().toStdString()).c_str());
}

}  // namespace

int RunStation(int argc, const char* const* argv) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QFile::decodeName(argv[i]);
  QCommandLineParser p;
  p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  p.addOptions({{{"p", "port"}, "A port of the station, by COM number or path; give one for each fixture.", "P"},
                {"json", "One JSON object a line for each event."},
                {"no-journal", "Keep no entry in the service journal."},
                {"journal", "The journal's database, as for read and write.", "URL"},
                {{"h", "help"}, "Show the help."}});
  const bool parsed = p.parse(arguments);
  const bool json = p.isSet(QStringLiteral("json"));
  if (!parsed) return ReportBadArguments(json, p.errorText());
  if (p.isSet(QStringLiteral("help"))) {
    std::fputs(HelpText().toLocal8Bit().constData(), stdout);
    return ToInt(ExitCode::Done);
  }
  const QStringList words = p.positionalArguments();  // "station" FILE
  if (words.size() != 2) return ReportBadArguments(json, QStringLiteral("station needs one parameter file"));
  if (p.values(QStringLiteral("port")).isEmpty())
    return ReportBadArguments(json, QStringLiteral("station needs at least one --port"));

  // Everything is checked before any port is touched.
  const SetFile set = ReadSetFile(words[1]);
  if (!set.refusal.isEmpty()) {
    Complain(set.refusal, set.detail);
    return ToInt(ExitCode::FileRefused);
  }
  for (const QString& warning : set.warnings) Complain(QStringLiteral("warning: ") + warning, {});
  std::vector<StationPort> ports;
  std::vector<PortChoice> choices;
  QSet<QString> seen;
  for (const QString& given : p.values(QStringLiteral("port"))) {
    const PortChoice choice = ChoosePort(given.trimmed().isEmpty() ? QStringLiteral("?") : given);
    if (!choice.refusal.isEmpty()) return ReportBadArguments(json, choice.refusal);
    if (seen.contains(choice.device))
      return ReportBadArguments(json, QStringLiteral("%1 is given twice").arg(choice.name));
    seen.insert(choice.device);
    ports.push_back({choice.name, choice.device, choice.number});
    choices.push_back(choice);
  }

  // Every unit is kept in the journal, as read and write keep theirs.
  std::unique_ptr<Journal> journal;
  if (JournalWanted(p)) {
    CliOptions where;
    where.journalUrl = p.value(QStringLiteral("journal"));
    QString problem;
    journal = std::make_unique<Journal>(CliJournalSetup(where, &problem));
    if (!problem.isEmpty()) Complain(QStringLiteral("warning: ") + problem, {});
    QObject::connect(journal.get(), &Journal::Trouble,
                     [](const QString& why) { Complain(QStringLiteral("warning: journal: ") + why, {}); });
  }
  Station station(set.entries, ports);
  if (journal) JournalStation(station, *journal, QStringLiteral("hopper-cli"));
  const std::vector<Station::Refusal> refused = station.Start();
  for (const Station::Refusal& r : refused) {
    const PortProblem problem = DescribeOpenFailure(choices[static_cast<std::size_t>(r.index)], r.outcome);
    Complain(problem.error, problem.advice);
  }
  if (!refused.empty()) return ToInt(ExitCode::PortError);

  StationReport report(station, StationReport::StyleFor(json));
  QObject::connect(&station, &Station::LineChanged, [&report](int index) { report.LineChanged(index); });
  QObject::connect(&station, &Station::UnitFinished,
                   [&report](int index, const UnitRecord& record) { report.UnitFinished(index, record); });
  report.Started();
  QEventLoop loop;
  InterruptNotifier interrupts;
  QObject::connect(&interrupts, &InterruptNotifier::Interrupted, &loop, [&station, &loop] {
    station.Stop();
    loop.quit();
  });
  loop.exec();
  return report.Finish();
}

}  // namespace hopper::cli
