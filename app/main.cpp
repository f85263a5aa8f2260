#include <QApplication>
#include <cstdio>

#include "app/command_line.h"
#include "app/tool_app.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  const hopper::CommandLine line = hopper::ParseCommandLine(QApplication::arguments());
  if (line.help || !line.error.isEmpty()) {
    if (!line.error.isEmpty()) std::fprintf(stderr, "hopper-setting-tool: %s\n\n", qPrintable(line.error));
    std::fputs(qPrintable(hopper::UsageText()), line.help && line.error.isEmpty() ? stdout : stderr);
    return line.error.isEmpty() ? 0 : 2;
  }
  hopper::ToolApp tool;
  if (line.portNumber) tool.StartOnPort(*line.portNumber);
  if (!tool.Start()) return 0;
  return QApplication::exec();
}
