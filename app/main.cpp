#include <QApplication>
#include <cstdio>

#include "app/command_line.h"
#include "app/tool_app.h"

namespace {

// Prints the usage (and what was wrong); the exit code, or -1 to go on.
int Answer(const hopper::CommandLine& line) {
  if (!line.help && line.error.isEmpty()) return -1;
  if (!line.error.isEmpty()) std::fprintf(stderr, "hopper-setting-tool: %s\n\n", qPrintable(line.error));
  std::fputs(qPrintable(hopper::UsageText()), line.error.isEmpty() ? stdout : stderr);
  return line.error.isEmpty() ? 0 : 2;
}

}  // namespace

int main(int argc, char* argv[]) {
  // --help and a bad --port are answered before anything needs a desktop.
  QStringList raw;
  for (int i = 0; i < argc; ++i) raw << QString::fromLocal8Bit(argv[i]);
  if (const int code = Answer(hopper::ParseCommandLine(raw, false)); code >= 0) return code;

  QApplication application(argc, argv);
  const hopper::CommandLine line = hopper::ParseCommandLine(QApplication::arguments());
  if (const int code = Answer(line); code >= 0) return code;
  hopper::ToolApp tool;
  if (line.portNumber) tool.StartOnPort(*line.portNumber);
  if (!line.logPath.isEmpty()) {
    QString why;
    // A log that cannot be written must not keep the technician from the hopper.
    if (!tool.Recorder().LogTo(line.logPath, &why))
      std::fprintf(stderr, "--log %s: %s\n", qPrintable(line.logPath), qPrintable(why));
  }
  if (!tool.Start()) return 0;
  return QApplication::exec();
}
