// What watching the serial port costs while nothing happens: the CPU share of the process over
// a stretch of idle event loop, (1) with the port open on a pseudo-terminal (nothing watches:
// a lost device is told by the port itself), (2) after the device went away, while the port
// waits for it to come back (one look at two paths a second, and a folder watch).
//   usage: bench_port_watch [seconds per stretch, default 20]

#include <pty.h>
#include <sys/resource.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "platform/files/settings_store.h"
#include "platform/serial/qt_serial_port.h"

using namespace hopper;

namespace {

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void Idle(const char* what, int seconds) {
  const double cpuBefore = CpuSeconds();
  QElapsedTimer wall;
  wall.start();
  QTimer::singleShot(seconds * 1000, QCoreApplication::instance(), &QCoreApplication::quit);
  QCoreApplication::exec();
  const double cpu = CpuSeconds() - cpuBefore;
  const double share = cpu / (static_cast<double>(wall.elapsed()) / 1000.0);
  std::printf("%-44s %7.3f ms CPU in %5.1f s = %.4f %% of a core\n", what, cpu * 1000, wall.elapsed() / 1000.0,
              share * 100);
}

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication application(argc, argv);
  const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
  QTemporaryDir config;
  qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
  int master = -1, slave = -1;
  char name[256] = {};
  if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) return 1;
  ::close(slave);
  const QString link = config.filePath(QStringLiteral("usb-Bench_Adapter-if00"));
  QFile::link(QString::fromLocal8Bit(name), link);
  SettingsStore().SetMappedDevice(1, link);

  QtSerialPort port;
  port.SetPortNumber(1);
  if (port.Open().result != OpenResult::Opened) return 1;
  Idle("port open, idle:", seconds);

  QSignalSpy lost(&port, &SerialPort::DeviceLost);
  ::close(master);
  QFile::remove(link);
  if (!lost.wait(10000)) return 1;
  Idle("device gone, waiting for it to come back:", seconds);
  return 0;
}
