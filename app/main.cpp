#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

#include "app/tool_app.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QCommandLineParser parser;
  parser.addHelpOption();
  const QCommandLineOption log(QStringLiteral("log"),
                               QStringLiteral("Append the hopper line's traffic, decoded, to this file from start-up on."),
                               QStringLiteral("file"));
  parser.addOption(log);
  parser.process(application);

  hopper::ToolApp tool;
  if (parser.isSet(log)) {
    QString why;
    // A log that cannot be written must not keep the technician from the hopper.
    if (!tool.Recorder().LogTo(parser.value(log), &why))
      std::fprintf(stderr, "--log %s: %s\n", qPrintable(parser.value(log)), qPrintable(why));
  }
  if (!tool.Start()) return 0;
  return QApplication::exec();
}
