#include "tools/cli/cli_run.h"

#include <QDir>
#include <QEventLoop>
#include <memory>

#include "core/parameter_file.h"
#include "platform/serial/backup_store.h"
#include "platform/serial/line_recorder.h"
#include "platform/serial/parameter_file_io.h"
#include "platform/serial/recording_serial_port.h"
#include "platform/serial/system_serial.h"
#include "tools/cli/cli_report.h"
#include "tools/cli/hopper_session.h"
#include "tools/cli/interrupt_notifier.h"
#include "tools/cli/port_choice.h"
#include "tools/cli/set_file.h"

namespace hopper::cli {

namespace {

int Stop(Reporter& reporter, RunSummary& summary, ExitCode code, const QString& error, const QString& advice) {
  summary.session.code = code;
  summary.session.error = error;
  summary.session.advice = advice;
  return reporter.Finish(summary);
}

ChannelTexts TextsOf(const CoinNumbers& coins) {
  ChannelTexts texts;
  for (std::size_t i = 0; i < kCoinCount; ++i) texts[i] = std::to_string(coins[i]);
  return texts;
}

}  // namespace

int RunCommand(const CliOptions& options) {
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

  std::unique_ptr<LineRecorder> recorder;
  if (!options.logPath.isEmpty()) {
    recorder = std::make_unique<LineRecorder>();
    if (QString why; !recorder->LogTo(options.logPath, &why))
      return Stop(reporter, summary, ExitCode::OutputFailed, QStringLiteral("The log file could not be opened"),
                  QDir::toNativeSeparators(options.logPath) + QStringLiteral(": ") + why);
  }

  const PortChoice choice = ChoosePort(options.port);
  summary.port = choice.name;
  summary.device = choice.device;
  if (!choice.refusal.isEmpty()) return Stop(reporter, summary, ExitCode::PortError, choice.refusal, {});

  // A number resolves as in the window; a device given by its path is opened as it is.
  std::unique_ptr<SerialPort> port = MakeSystemSerialPort(choice.number == 0 ? choice.device : QString());
  port->SetPortNumber(choice.number);
  if (recorder) port = std::make_unique<RecordingSerialPort>(std::move(port), *recorder, LineRole::SettingLink);
  const OpenOutcome opened = port->Open();
  if (opened.result != OpenResult::Opened) {
    const PortProblem problem = DescribeOpenFailure(choice, opened);
    return Stop(reporter, summary, ExitCode::PortError, problem.error, problem.advice);
  }

  HopperSession session(*port, recorder.get());
  // The set the hopper held goes where the tool keeps its backups, before anything replaces it.
  session.beforeSave = [&summary, &choice](const CoinNumbers& reported) {
    const BackupResult backup = BackupStore().Write(TextsOf(reported), choice.name);
    summary.backup = backup.path;
    return backup.error;
  };
  const QString where = choice.name == choice.device ? choice.device : QStringLiteral("%1 (%2)").arg(choice.name, choice.device);
  QObject::connect(&session, &HopperSession::Progress, [&reporter, &where](Step step) { reporter.Progress(step, where); });
  InterruptNotifier interrupts;
  QObject::connect(&interrupts, &InterruptNotifier::Interrupted, &session, &HopperSession::Interrupt);
  QEventLoop loop;
  QObject::connect(&session, &HopperSession::Finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
  session.Run(options.timeoutMs, toWrite);
  if (!session.IsFinished()) loop.exec();
  summary.session = session.Result();

  if (options.command == Command::Read && summary.session.code == ExitCode::Done && !options.out.isEmpty()) {
    const std::string text = ParameterFileText(TextsOf(*summary.session.reported));
    if (const QString why = WriteWholeFile(options.out, QByteArray::fromStdString(text)); !why.isEmpty())
      return Stop(reporter, summary, ExitCode::OutputFailed, QStringLiteral("The parameter file could not be written"),
                  QDir::toNativeSeparators(options.out) + QStringLiteral(": ") + why);
  }
  return reporter.Finish(summary);
}

}  // namespace hopper::cli
