#include <QApplication>
#include <cstdio>

#include "app/command_line.h"
#include "app/tool_app.h"
#include "core/escaped_text.h"
#include "platform/files/file_checks.h"
#include "platform/journal/regex_jit.h"
#include "ui/deferred_icon_style.h"

namespace {

// Outside text (a file name, a --port value) goes to the console with its control characters
// escaped, so it cannot forge lines or colours.
std::string Shown(const QString& text) { return hopper::EscapeControls(text.toLocal8Bit().toStdString()); }

// Prints the usage (and what was wrong); the exit code, or -1 to go on.
int Answer(const hopper::CommandLine& line) {
  if (!line.help && line.error.isEmpty()) return -1;
  if (!line.error.isEmpty()) std::fprintf(stderr, "hopper-setting-tool: %s\n\n", Shown(line.error).c_str());
  std::fputs(qPrintable(hopper::UsageText()), line.error.isEmpty() ? stdout : stderr);
  return line.error.isEmpty() ? 0 : 2;
}

void ReportLog(const QString& path, const QString& why) {
  std::fprintf(stderr, "--log %s: %s\n", Shown(path).c_str(), Shown(why).c_str());
}

}  // namespace

int main(int argc, char* argv[]) {
  hopper::KeepRegexJitOffForThreads();
  // --help and a bad --port are answered before anything needs a desktop.
  QStringList raw;
  for (int i = 0; i < argc; ++i) raw << QString::fromLocal8Bit(argv[i]);
  hopper::CommandLine early = hopper::ParseCommandLine(raw, false);
  // A name whose bytes the conversion to text would change names another file than the one meant.
  if (const std::optional<QString> unkept = hopper::UnkeptArgument(argc, argv); unkept && early.error.isEmpty())
    early.error = QStringLiteral("\"%1\" is not valid text in this system's encoding; no file of that name can be used")
                      .arg(*unkept);
  if (const int code = Answer(early); code >= 0) return code;

  QApplication application(argc, argv);
  QApplication::setStyle(new hopper::DeferredIconStyle);
  const hopper::CommandLine line = hopper::ParseCommandLine(QApplication::arguments());
  if (const int code = Answer(line); code >= 0) return code;
  hopper::ToolApp tool;
  if (!line.stationSet.isEmpty())
    return tool.StartStation(line.stationSet, line.portNumbers) ? QApplication::exec() : 8;
  if (line.portNumber) tool.StartOnPort(*line.portNumber);
  if (!line.logPath.isEmpty()) {
    // A log that cannot be written must not keep the technician from the hopper.
    if (const hopper::FileOutcome log = tool.Recorder().LogTo(line.logPath); !log.ok())
      ReportLog(line.logPath, log.why);
    QObject::connect(&tool.Recorder(), &hopper::LineRecorder::LogFailed,
                     [path = line.logPath](const QString& failure) { ReportLog(path, failure); });
  }
  if (!tool.Start()) return 0;
  return QApplication::exec();
}
