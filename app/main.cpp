#include <QApplication>

#include "app/tool_app.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Hopper Setting Tool"));
  hopper::ToolApp tool;
  if (!tool.Start()) return 0;
  return QApplication::exec();
}
