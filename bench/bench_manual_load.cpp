// Opens oversized manuals in the manual window and reports how long the window takes to show
// with its text laid out, how far the process's peak memory grew, and how long it takes to
// close: a 12 MB file of three million empty paragraphs and a 50 MB file of plain paragraphs.
// Each manual is measured in a fresh copy of this program, so one does not hide the other.
//   usage: bench_manual_load            (all cases)
//          bench_manual_load <case>     (one case: pars, plain)

#include <sys/resource.h>
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextStream>

#include "tests/support/windows_controls.h"
#include "ui/manual_window.h"

using namespace hopper;
using namespace hopper::test;

namespace {

long PeakKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// Processor time used so far: on a busy machine it says more than the wall clock.
qint64 CpuMs() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000LL +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

bool WriteManual(const QString& path, const QString& which) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  if (which == QStringLiteral("pars")) {
    file.write("{\\rtf1 ");
    const QByteArray pars = QByteArray("\\par").repeated(1024 * 1024);
    for (int i = 0; i < 3; ++i) file.write(pars);
    file.write("}");
  } else {
    const QByteArray line("A plain paragraph of an operating manual, as a text editor would write it.\r\n");
    const QByteArray block = line.repeated(1024);
    for (qint64 written = 0; written < 50LL * 1024 * 1024; written += block.size()) file.write(block);
  }
  return file.error() == QFileDevice::NoError;
}

int RunCase(const QString& which) {
  QTemporaryDir work;
  const QString path = work.filePath(QStringLiteral("Manual.rtf"));
  if (!WriteManual(path, which)) return 2;
  const double mib = double(QFile(path).size()) / (1024 * 1024);
  const long peakBefore = PeakKiB();

  QElapsedTimer timer;
  timer.start();
  const qint64 cpuBefore = CpuMs();
  QPointer<ManualWindow> form = new ManualWindow;
  form->LoadManual(path);
  form->show();
  // Shown means laid out and painted, as the technician sees it.
  ManualViewer(*form)->document()->documentLayout()->documentSize();
  (void)form->grab();
  QApplication::processEvents();
  const qint64 openMs = timer.elapsed();
  const qint64 openCpuMs = CpuMs() - cpuBefore;
  const long grownKiB = PeakKiB() - peakBefore;
  const int blocks = ManualViewer(*form)->document()->blockCount();

  timer.restart();
  form->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  const qint64 closeMs = timer.elapsed();
  QTextStream(stdout) << which << " (" << QString::number(mib, 'f', 1) << " MB): shown in " << openMs << " ms ("
                      << openCpuMs << " ms of processor time), peak memory grew by " << grownKiB / 1024 << " MiB, "
                      << blocks << " paragraphs kept, closed in " << closeMs << " ms" << (form ? "  NOT CLOSED" : "")
                      << Qt::endl;
  return form ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  // No window needs a desktop: the benchmark runs anywhere.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc > 1) return RunCase(QString::fromLocal8Bit(argv[1]));
  int failures = 0;
  for (const QString& which : {QStringLiteral("pars"), QStringLiteral("plain")}) {
    QProcess one;
    one.setProcessChannelMode(QProcess::ForwardedChannels);
    one.start(QCoreApplication::applicationFilePath(), {which});
    if (!one.waitForFinished(-1) || one.exitCode() != 0) ++failures;
  }
  return failures == 0 ? 0 : 1;
}
