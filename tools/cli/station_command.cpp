#include "tools/cli/station_command.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <algorithm>
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

// With --json a refusal is a JSON line on stdout too, as an argument error is.
int Refuse(bool json, ExitCode code, const QString& error, const QString& detail, const QString& port = {}) {
  Complain(error, detail);
  if (json) {
    QJsonObject o{{"event", "refused"},
                  {"result", QString::fromLatin1(ExitCodeName(code))},
                  {"exitCode", ToInt(code)},
                  {"error", error},
                  {"detail", detail}};
    if (!port.isEmpty()) o[QStringLiteral("port")] = port;
    std::fputs(QJsonDocument(o).toJson(QJsonDocument::Compact).constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
  }
  return ToInt(code);
}

// Whether the line has just finished a unit: its verdict waits until the unit's entry is kept.
bool JustFinished(const Station& station, int index) {
  const LineState state = station.Lines()[static_cast<std::size_t>(index)]->State();
  return state == LineState::Passed || state == LineState::Failed;
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
  if (!set.refusal.isEmpty()) return Refuse(json, ExitCode::FileRefused, set.refusal, set.detail);
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
    JournalSetup setup = CliJournalSetup(where);
    if (!setup.refused.isEmpty()) Complain(QStringLiteral("warning: ") + setup.refused, {});
    journal = std::make_unique<Journal>(std::move(setup));
    QObject::connect(journal.get(), &Journal::Trouble,
                     [](const QString& why) { Complain(QStringLiteral("warning: journal: ") + why, {}); });
    QObject::connect(journal.get(), &Journal::Rescued, [](const QString& path, int count) {
      Complain(QStringLiteral("warning: journal: %1 entries could not go into the journal file; they are in %2")
                   .arg(count)
                   .arg(path),
               {});
    });
    QObject::connect(journal.get(), &Journal::Lost, [](const QStringList& entries) {
      Complain(QStringLiteral("warning: journal: %1 entries could be kept nowhere; here they are:").arg(entries.size()),
               {});
      for (const QString& entry : entries) std::fprintf(stderr, "%s\n", entry.toUtf8().constData());
    });
  }
  Station station(set.entries, ports);
  if (journal) JournalStation(station, *journal, QStringLiteral("hopper-cli"));
  const std::vector<Station::Refusal> refused = station.Start();
  for (const Station::Refusal& r : refused) {
    const PortProblem problem = DescribeOpenFailure(choices[static_cast<std::size_t>(r.index)], r.outcome);
    Refuse(json, ExitCode::PortError, problem.error, problem.advice, ports[static_cast<std::size_t>(r.index)].name);
  }
  if (!refused.empty()) return ToInt(ExitCode::PortError);

  StationReport report(station, StationReport::StyleFor(json));
  // A unit's verdict is shown only once its entry is in the local journal file: a station
  // killed right after a PASS has that unit on record.
  std::vector<int> holding(ports.size(), 0);
  QObject::connect(&station, &Station::LineChanged, [&](int index) {
    // Only the verdict's own state waits; the states after it (adapter gone, the next hopper)
    // are shown as they come.
    if (journal && JustFinished(station, index)) ++holding[static_cast<std::size_t>(index)];
    else report.LineChanged(index);
  });
  QObject::connect(&station, &Station::UnitFinished, [&](int index, const UnitRecord& record) {
    if (!journal) return report.UnitFinished(index, record);
    // After this event the line's journal has recorded the unit; then wait for the file.
    QMetaObject::invokeMethod(
        &station,
        [&, index, record] {
          journal->WhenKept([&, index, record](bool kept) {
            if (!kept)
              Complain(QStringLiteral("warning: journal: %1 unit %2 is not in the journal file yet")
                           .arg(record.port)
                           .arg(record.unit),
                       {});
            int& held = holding[static_cast<std::size_t>(index)];
            held = std::max(0, held - 1);
            report.UnitFinished(index, record);
            if (held == 0 && JustFinished(station, index)) report.LineChanged(index);
          });
        },
        Qt::QueuedConnection);
  });
  report.Started();
  QEventLoop loop;
  InterruptNotifier interrupts;
  QObject::connect(&interrupts, &InterruptNotifier::Interrupted, &loop, [&station, &loop] {
    station.Stop();
    loop.quit();
  });
  loop.exec();
  // Units the stop finished are shown too: their entries go into the journal file first, as
  // far as it takes them, then the summary.
  QCoreApplication::sendPostedEvents();
  if (journal) journal->Close();
  return report.Finish();
}

}  // namespace hopper::cli
