// Loads two 1 GiB one-line files through the "Open" command and reports the time taken and how
// far the process's peak memory grew: a sparse file of NUL bytes (costs no disk) and a file of
// digits written in pieces. Both are refused whole (no box changes); the peak must stay far below
// the file's size.
//   usage: bench_parameter_load [size in MiB, default 1024]

#include <sys/resource.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

#include "core/channel_table.h"
#include "recording_message_boxes.h"
#include "scripted_file_dialog.h"
#include "ui/parameter_commands.h"

using namespace hopper;

namespace {

class Table final : public ChannelTableView {
 public:
  QString EntryText(int index) const override { return texts[index]; }
  void SetEntryText(int index, const QString& text) override { texts[index] = text.left(5); }
  QWidget* DialogParent() override { return nullptr; }
  QString texts[kChannelCount];
};

long PeakKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

bool Measure(const QString& what, const QString& path, const QString& expectedFirst, bool expectMessage) {
  Table table;
  ScriptedFileDialog dialog;
  RecordingMessageBoxes boxes;
  ParameterCommands commands(table, dialog, boxes, QDir::currentPath());
  const long peakBefore = PeakKiB();
  QElapsedTimer timer;
  timer.start();
  dialog.Answer(path);
  commands.LoadFile();
  const qint64 ms = timer.elapsed();
  const bool ok = table.texts[0] == expectedFirst && boxes.shown.size() == (expectMessage ? 1 : 0);
  QTextStream(stdout) << what << ": " << ms << " ms, peak memory grew by " << (PeakKiB() - peakBefore)
                      << " KiB, Channel1 = " << table.texts[0] << (ok ? "" : "  UNEXPECTED") << Qt::endl;
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  // No window is shown: the benchmark runs without a desktop too.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const qint64 mib = argc > 1 ? QString::fromLocal8Bit(argv[1]).toLongLong() : 1024;
  const qint64 size = mib * 1024 * 1024;
  QTemporaryDir work;
  const QString saved = QDir::currentPath();
  qputenv("XDG_CONFIG_HOME", work.filePath(QStringLiteral("config")).toLocal8Bit());

  const QString sparse = work.filePath(QStringLiteral("nul.txt"));
  QFile nul(sparse);
  if (!nul.open(QIODevice::WriteOnly) || nul.write("7\r\n") != 3 || !nul.resize(size)) return 2;
  nul.close();
  bool ok = Measure(QStringLiteral("%1 MiB of NUL bytes on line 2").arg(mib), sparse, QString(), true);
  QFile::remove(sparse);

  const QString digits = work.filePath(QStringLiteral("digits.txt"));
  QFile file(digits);
  const QByteArray piece = QByteArray("1234567890").repeated(104858);
  if (!file.open(QIODevice::WriteOnly)) return 2;
  for (qint64 written = 0; written < size; written += piece.size()) {
    if (file.write(piece) != piece.size()) return 2;
  }
  file.close();
  ok = Measure(QStringLiteral("%1 MiB of digits on line 1").arg(mib), digits, QString(), true) && ok;
  QFile::remove(digits);
  QDir::setCurrent(saved);
  return ok ? 0 : 1;
}
