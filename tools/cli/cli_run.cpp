#include "tools/cli/cli_run.h"

#include <QDir>
#include <QEventLoop>
#include <memory>

#include "core/parameter_file.h"
#include "core/save_check.h"
#include "platform/files/parameter_file_io.h"
#include "platform/files/settings_store.h"
#include "platform/journal/link_journal.h"
#include "platform/serial/interrupt_notifier.h"
#include "platform/serial/line_recorder.h"
#include "platform/serial/setting_link.h"
#include "platform/serial/system_serial.h"
#include "platform/station/set_file.h"
#include "tools/cli/cli_history.h"
#include "tools/cli/cli_report.h"
#include "tools/cli/diff_command.h"
#include "tools/cli/hopper_session.h"
#include "tools/cli/port_choice.h"
#include "tools/cli/ports_command.h"
#include "tools/cli/report_command.h"

namespace hopper::cli {

namespace {

int Stop(Reporter& reporter, RunSummary& summary, ExitCode code, const QString& error, const QString& advice) {
  summary.session.code = code;
  summary.session.error = error;
  summary.session.advice = advice;
  return reporter.Finish(summary);
}

}  // namespace

int RunCommand(const CliOptions& options) {
  if (options.command == Command::Ports) return RunPorts(options.json);
  if (options.command == Command::History) return options.csv ? RunHistoryCsv(options) : RunHistory(options);
  if (options.command == Command::Diff) return RunDiff(options);
  if (options.command == Command::Report) return RunReport(options);
  Reporter reporter(options.json, Reporter::StderrIsTerminal());
  RunSummary summary;
  summary.command = options.command;
  summary.file = options.command == Command::Write ? options.file : options.out;

  // A refused file changes nothing: it is read before the port is touched.
  std::optional<ChannelTexts> toWrite;
  if (options.command == Command::Write) {
    const SetFile set = ReadSetFile(options.file);
    summary.warnings = set.warnings;
    for (const QString& warning : set.warnings) reporter.Warn(warning);
    if (!set.refusal.isEmpty()) return Stop(reporter, summary, ExitCode::FileRefused, set.refusal, set.detail);
    toWrite = set.entries;
  }

  const auto warn = [&reporter, &summary](const QString& warning) {
    summary.warnings << warning;
    reporter.Warn(warning);
  };
  std::unique_ptr<LineRecorder> recorder;
  if (!options.logPath.isEmpty()) {
    recorder = std::make_unique<LineRecorder>();
    if (const FileOutcome log = recorder->LogTo(options.logPath); !log.ok())
      return Stop(reporter, summary, ExitCode::OutputFailed, QStringLiteral("The log file could not be opened"),
                  QDir::toNativeSeparators(options.logPath) + QStringLiteral(": ") + log.why);
    QObject::connect(recorder.get(), &LineRecorder::LogFailed, [&warn, &options](const QString& why) {
      warn(QStringLiteral("the log file could not be written; it ends here: %1: %2")
               .arg(QDir::toNativeSeparators(options.logPath), why));
    });
  }

  const PortChoice choice = ChoosePort(options.port);
  summary.port = choice.name;
  summary.device = choice.device;
  // The tool's settings name the port; a settings file that cannot be read leaves the defaults.
  if (const std::optional<SettingsTrouble> trouble = SettingsStore::TakeTrouble())
    warn(QStringLiteral("%1 %2: %3").arg(trouble->what, trouble->path, trouble->why));
  if (!choice.refusal.isEmpty()) return Stop(reporter, summary, ExitCode::PortError, choice.refusal, {});

  // A number resolves as in the window; a device given by its path is opened as it is.
  std::unique_ptr<SerialPort> port = MakeSystemSerialPort(choice.number == 0 ? choice.device : QString());
  port->SetPortNumber(choice.number);
  // The set the hopper held goes where the tool keeps its backups, before anything replaces it.
  SettingLink link(std::move(port));
  link.SetLineRecorder(recorder.get());
  const OpenOutcome opened = link.Open();
  if (opened.result != OpenResult::Opened) {
    const PortProblem problem = DescribeOpenFailure(choice, opened);
    return Stop(reporter, summary, ExitCode::PortError, problem.error, problem.advice);
  }

  // A driver that quietly kept other settings gives a line on which the hopper answers nothing.
  for (const QString& trouble : link.Port().LineTrouble()) {
    summary.lineTrouble << trouble;
    reporter.Warn(trouble);
  }

  // The journal hears the link before the session can end the run on the same event.
  std::unique_ptr<Journal> journal;
  std::unique_ptr<LinkJournal> linkJournal;
  if (options.journal) {
    JournalSetup setup = CliJournalSetup(options);
    if (!setup.refused.isEmpty()) warn(setup.refused);
    journal = std::make_unique<Journal>(std::move(setup));
    QObject::connect(journal.get(), &Journal::Trouble,
                     [&warn](const QString& why) { warn(QStringLiteral("journal: ") + why); });
    QObject::connect(journal.get(), &Journal::Rescued, [&warn](const QString& path, int count) {
      warn(QStringLiteral("journal: %1 entries could not go into the journal file; they are in %2")
               .arg(count)
               .arg(QDir::toNativeSeparators(path)));
    });
    // Nothing is lost without a trace: an entry kept nowhere is shown whole.
    QObject::connect(journal.get(), &Journal::Lost, [&warn](const QStringList& entries) {
      warn(QStringLiteral("journal: %1 entries could be kept nowhere and are lost; each follows").arg(entries.size()));
      for (const QString& entry : entries) warn(QStringLiteral("journal: lost entry: ") + entry);
    });
    linkJournal = std::make_unique<LinkJournal>(link, *journal, QStringLiteral("hopper-cli"));
    linkJournal->SetUnit(options.unit);
  }

  HopperSession session(link);
  const QString where =
      choice.name == choice.device ? choice.device : QStringLiteral("%1 (%2)").arg(choice.name, choice.device);
  QObject::connect(&session, &HopperSession::Progress,
                   [&reporter, &where](Step step) { reporter.Progress(step, where); });
  InterruptNotifier interrupts;
  QObject::connect(&interrupts, &InterruptNotifier::Interrupted, &session, &HopperSession::Interrupt);
  QEventLoop loop;
  QObject::connect(&session, &HopperSession::Finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
  session.Run(options.timeoutMs, toWrite);
  if (!session.IsFinished()) loop.exec();
  summary.session = session.Result();
  summary.backup = link.LastBackup().path;
  if (journal) {
    journal->Close();
    if (journal->Waiting() > 0) warn(Journal::WaitingText(journal->Waiting()));
  }

  if (options.command == Command::Read && summary.session.code == ExitCode::Done && !options.out.isEmpty()) {
    const std::string text = ParameterFileText(TextsOf(*summary.session.reported));
    if (const QString why = WriteWholeFile(options.out, QByteArray::fromStdString(text)); !why.isEmpty())
      return Stop(reporter, summary, ExitCode::OutputFailed, QStringLiteral("The parameter file could not be written"),
                  QDir::toNativeSeparators(options.out) + QStringLiteral(": ") + why);
  }
  if (recorder) recorder->FinishLog();  // a failure of its last line still goes into the summary
  return reporter.Finish(summary);
}

}  // namespace hopper::cli
