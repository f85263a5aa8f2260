// hopper-cli: reads a hopper's coin numbers, or writes a parameter file into it and checks the
// read-back, from the command line; for the bench and the production line.

#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/journal/regex_jit.h"
#include "tools/cli/cli_options.h"
#include "tools/cli/cli_report.h"
#include "tools/cli/cli_run.h"
#include "tools/cli/exit_codes.h"
#include "tools/cli/hidden_password.h"
#include "tools/cli/station_command.h"

using namespace hopper::cli;

namespace {
// Only report draws (its PDF needs fonts): the others stay free of the windowing system.
std::unique_ptr<QCoreApplication> MakeApplication(int& argc, char* argv[]) {
  if (argc > 1 && std::strcmp(argv[1], "report") == 0) {
#ifndef Q_OS_WIN
    // A PDF needs no display: a terminal over ssh or a script in CI has none.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    return std::make_unique<QGuiApplication>(argc, argv);
  }
  return std::make_unique<QCoreApplication>(argc, argv);
}
}  // namespace

int main(int originalCount, char* originalArguments[]) {
  hopper::KeepRegexJitOffForThreads();
  // From here on, `ps` shows a password given on the command line as stars.
  HiddenArguments hidden(originalCount, originalArguments);
  int& argc = hidden.Count();
  char** argv = hidden.Values();
  const std::unique_ptr<QCoreApplication> app = MakeApplication(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("hopper-cli"));
  QCoreApplication::setApplicationVersion(QStringLiteral(HOPPER_VERSION));
  if (argc > 1 && std::strcmp(argv[1], "station") == 0) return RunStation(argc, argv);
  const ParsedArguments parsed = ParseArguments(argc, argv);
  if (!parsed.options) {
    if (parsed.error.isEmpty()) {
      std::fputs(parsed.text.toLocal8Bit().constData(), stdout);
      std::fputc('\n', stdout);
      return ToInt(ExitCode::Done);
    }
    return ReportBadArguments(parsed.json, parsed.error);
  }
  return RunCommand(*parsed.options);
}
