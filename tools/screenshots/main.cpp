// Renders the real windows offscreen in the states the README shows, with the hopper emulator
// on a pseudo-terminal at COM1, and writes them as PNG files:
//   QT_QPA_PLATFORM=offscreen hopper-screenshots <folder>      (./dev screenshots)
// The tool runs with a settings folder of its own, so the user's settings stay untouched.
#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

#include "app/tool_app.h"
#include "platform/files/settings_store.h"
#include "platform/report/visit_report.h"
#include "tools/emulator/hopper_emulator.h"
#include "tools/emulator/pty_channel.h"
#include "tools/screenshots/station_shot.h"

namespace {

QString outFolder;

bool WaitFor(const std::function<bool()>& ready, const char* what) {
  const QDeadlineTimer deadline(30000);
  while (!ready()) {
    if (deadline.hasExpired()) {
      std::fprintf(stderr, "hopper-screenshots: gave up waiting for %s\n", what);
      return false;
    }
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

QWidget* Window(const char* name) {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == QLatin1String(name) && w->isVisible()) return w;
  return nullptr;
}

bool Shoot(const char* name, const char* file) {
  QWidget* window = nullptr;
  if (!WaitFor([&] { return (window = Window(name)) != nullptr; }, name)) return false;
  const QString path = outFolder + QLatin1Char('/') + QLatin1String(file);
  if (!window->grab().save(path)) {
    std::fprintf(stderr, "hopper-screenshots: cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

// A visit report's page as the PDF shows it, drawn on a picture instead.
bool ShootReportPage(const QString& path) {
  hopper::JournalEntry entry = hopper::NewJournalEntry();
  entry.unit = QStringLiteral("HX-2031");
  entry.station = QStringLiteral("workshop-2");
  entry.user = QStringLiteral("technician");
  entry.port = QStringLiteral("COM1");
  entry.device = QStringLiteral("/dev/ttyUSB0");
  entry.usbSerial = QStringLiteral("FT6Z1Q4B");
  entry.reported = hopper::CoinNumbers{1000, 500, 250, 100, 50, 20, 10, 5, 2, 1};
  entry.sent = entry.readBack = hopper::CoinNumbers{2000, 1000, 250, 100, 50, 20, 10, 5, 2, 1};
  entry.result = hopper::JournalResult::Verified;
  entry.backup = QStringLiteral("~/.local/share/Hopper kit/backups/backup-2026-12-08-101500-000-COM1.txt");
  entry.program = QStringLiteral("window");
  constexpr int kWidth = 595, kHeight = 842, kScale = 2;  // A4 in points
  QImage page(kWidth * kScale, kHeight * kScale, QImage::Format_RGB32);
  page.fill(Qt::white);
  // Points as on the PDF page: 72 to the inch, then drawn twice as large.
  page.setDotsPerMeterX(2835);
  page.setDotsPerMeterY(2835);
  QPainter painter(&page);
  painter.scale(kScale, kScale);
  painter.setFont(hopper::ReportFont());
  hopper::DrawReportPage(painter, kWidth, entry);
  painter.end();
  if (!page.save(path)) {
    std::fprintf(stderr, "hopper-screenshots: cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

// The main window with its Parameter menu open, the menu drawn where it drops down.
bool ShootParameterMenu(QWidget* main) {
  auto* bar = main->findChild<QMenuBar*>();
  auto* menu = main->findChild<QMenu*>(QStringLiteral("Parameter"));
  bar->setActiveAction(menu->menuAction());
  if (!WaitFor([&] { return menu->isVisible(); }, "the Parameter menu")) return false;
  QPixmap picture = main->grab();
  const QPoint at = menu->pos() - main->mapToGlobal(QPoint(0, 0));
  QPixmap whole(picture.size().expandedTo(QSize(at.x() + menu->width(), at.y() + menu->height())));
  whole.fill(Qt::white);
  QPainter painter(&whole);
  painter.drawPixmap(0, 0, picture);
  painter.drawPixmap(at, menu->grab());
  painter.end();
  menu->close();
  const QString path = outFolder + QStringLiteral("/main-menu.png");
  if (!whole.save(path)) {
    std::fprintf(stderr, "hopper-screenshots: cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

QString Caption(QWidget* main) { return main->findChild<QLabel*>(QStringLiteral("Label2"))->text(); }

bool Session(QWidget* main) {
  if (!WaitFor([&] { return Caption(main) == QLatin1String("Enter Data (Do not Reset hopper)"); }, "the report"))
    return false;
  if (!Shoot("Form1", "main-power-on.png")) return false;
  // The technician changes two coin numbers, saves, and the hopper reads the set back.
  main->findChild<QLineEdit*>(QStringLiteral("Text1_0"))->setText(QStringLiteral("2000"));
  main->findChild<QLineEdit*>(QStringLiteral("Text1_1"))->setText(QStringLiteral("1000"));
  if (!Shoot("Form1", "main-edited.png")) return false;
  auto* save = main->findChild<QPushButton*>(QStringLiteral("Command1"));
  save->click();
  if (!WaitFor([&] { return Caption(main) == QLatin1String("Save complete") && save->isEnabled(); }, "the read-back"))
    return false;
  if (!Shoot("Form1", "main-saved.png")) return false;
  if (!ShootParameterMenu(main)) return false;

  // Compare after the save: the hopper's set, the boxes, and the backup before the save.
  main->findChild<QAction*>(QStringLiteral("Compare"))->trigger();
  if (!Shoot("Compare", "compare.png")) return false;
  Window("Compare")->close();
  if (!ShootReportPage(outFolder + QStringLiteral("/report-page.png"))) return false;

  main->findChild<QAction*>(QStringLiteral("Manual"))->trigger();
  if (!Shoot("Form2", "manual.png")) return false;
  Window("Form2")->close();

  main->findChild<QAction*>(QStringLiteral("Simulation"))->trigger();
  if (!WaitFor([] { return Window("Form3") != nullptr; }, "the simulation window")) return false;
  QWidget* simulation = Window("Form3");
  simulation->findChild<QPushButton*>(QStringLiteral("Command2"))->click();  // "Start up"
  simulation->findChild<QPushButton*>(QStringLiteral("Command1"))->click();  // "Dispense"
  auto* picture = simulation->findChild<QLabel*>(QStringLiteral("Image3"));
  if (!WaitFor([&] { return !picture->pixmap().isNull(); }, "the send animation")) return false;
  if (!Shoot("Form3", "simulation.png")) return false;
  return hopper::ShootStation(outFolder + QStringLiteral("/station.png"));
}

}  // namespace

int main(int argc, char* argv[]) {
  QTemporaryDir settings;
  qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
  QApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: hopper-screenshots <folder>\n");
    return 2;
  }
  outFolder = QString::fromLocal8Bit(argv[1]);

  hopper::emulator::PtyChannel line;
  if (const QString error = line.Open(); !error.isEmpty()) {
    std::fprintf(stderr, "hopper-screenshots: %s\n", qPrintable(error));
    return 1;
  }
  hopper::SettingsStore().SetMappedDevice(1, line.SlavePath());
  hopper::emulator::TrafficLog log([](const QString&) {});
  hopper::emulator::HopperEmulator hopper({}, line, log);
  hopper.PowerOnWhenOpened(200);

  hopper::ToolApp tool;
  if (!tool.Start()) return 1;
  return Session(Window("Form1")) ? 0 : 1;
}
