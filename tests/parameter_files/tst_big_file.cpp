// Files far larger than any parameter file: they load in bounded memory and get a clear answer.

#include <sys/resource.h>
#include <QtTest>

#include "test_support.h"

using namespace hopper;
using testing::Boxes;

namespace {
constexpr qint64 kMiB = 1024 * 1024;

qint64 PeakMemoryKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}
}  // namespace

class BigFileTest : public testing::CommandsTest {
  Q_OBJECT

 private slots:
  void init() {
    ResetAll();
    MakeCommands();
  }
  void cleanup() { sandbox_.Reset(); }

  // 64 MiB on one line after the first value, made sparse so it costs no disk: NUL bytes, which
  // refuse the file at the first chunk of the line. bench_parameter_load does the same with 1 GiB
  // and shows the time.
  void longLineOfNulBytes() {
    const QString path = Path("huge.txt");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.write("7\r\n") == 3);
    QVERIFY(file.resize(64 * kMiB));
    file.close();
    const qint64 peakBefore = PeakMemoryKiB();
    const QStringList before = table_.All();
    Load(path);
    QCOMPARE(table_.All(), before);
    QCOMPARE(boxes_.Texts(), QStringList{testing::kUnable});
    QVERIFY2(PeakMemoryKiB() - peakBefore < 32 * 1024, "the file was held in memory");
  }

  // 16 MiB of digits on one line, written in pieces: far too long for a box, refused whole.
  void longLineOfDigits() {
    const QString path = Path("digits.txt");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    const QByteArray piece = QByteArray("1234567890").repeated(102400);
    for (qint64 written = 0; written < 16 * kMiB; written += piece.size()) {
      QCOMPARE(file.write(piece), piece.size());
    }
    file.close();
    const QStringList before = table_.All();
    Load(path);
    QCOMPARE(table_.All(), before);
    QCOMPARE(boxes_.Texts(), QStringList{testing::kUnable});
    QFile::remove(path);
  }
};

#include "tst_big_file.moc"

int RunBigFileTests(int argc, char** argv) {
  BigFileTest test;
  return QTest::qExec(&test, argc, argv);
}
