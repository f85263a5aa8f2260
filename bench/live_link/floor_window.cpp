// The floor for start-up, memory and idle figures: a bare Qt window with 16 line edits, the
// same kind of content the main window shows, and nothing else. With --timer-ms N it also
// runs a precise timer of N ms that does nothing, as a window that polls would.
//   usage: bench-floor-window [--timer-ms N]

#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.setObjectName(QStringLiteral("Floor"));
  window.setWindowTitle(QStringLiteral("Floor"));
  auto* layout = new QVBoxLayout(&window);
  for (int i = 0; i < 16; ++i) layout->addWidget(new QLineEdit(QStringLiteral("0"), &window));
  QTimer poll;
  const QStringList args = QCoreApplication::arguments();
  const qsizetype option = args.indexOf(QStringLiteral("--timer-ms"));
  if (option >= 0 && option + 1 < args.size()) {
    poll.setTimerType(Qt::PreciseTimer);
    poll.setInterval(args[option + 1].toInt());
    poll.start();
  }
  window.show();
  return QApplication::exec();
}
