#pragma once
// Parameter files and what they load as, shared by the tests on fake boxes and on the main window.

#include <QtTest>

#include "core/parameter_file.h"
#include "test_support.h"

namespace testing {

// Columns: the file's bytes, the 16 boxes after the load (empty: a refused file, every box
// unchanged), and the one message shown (empty: none).
inline void AddLoadRows() {
  QTest::addColumn<QByteArray>("bytes");
  QTest::addColumn<QStringList>("expected");
  QTest::addColumn<QString>("message");
  QByteArray lines20, lines10;
  for (int i = 1; i <= 20; ++i) (i <= 10 ? lines10 : lines20) += QByteArray::number(i) + "\r\n";
  lines20.prepend(lines10);
  const QStringList oneTo16 = Boxes(QStringLiteral("1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16"));
  const QByteArray fifteen = QByteArray("1\r\n").repeated(15);
  const auto held = [](int n) { return QString::fromStdString(hopper::ShortFileText(n)); };
  const QStringList unchanged;
  QTest::newRow("written form") << QByteArray(" 12\r\n 0\r\n 65535\r\n") << Boxes("12,0,65535") << held(3);
  QTest::newRow("commas then next line") << QByteArray("1,2,3\r\n4\r\n") << Boxes("1,2,3,4") << held(4);
  QTest::newRow("quoted items") << QByteArray("\"12\"\r\n\" 7 \",\"8\"\r\n") << Boxes("12,7,8") << held(3);
  QTest::newRow("quoted comma") << QByteArray("1\r\n\"3,4\"\r\n5\r\n") << unchanged << kUnable;
  QTest::newRow("blank line") << QByteArray("1\r\n\r\n3\r\n") << Boxes("1,0,3") << held(3);
  QTest::newRow("line of spaces") << QByteArray("1\r\n   \r\n3\r\n") << Boxes("1,0,3") << held(3);
  QTest::newRow("20 lines") << lines20 << oneTo16 << QString();
  QTest::newRow("10 lines") << lines10 << Boxes("1,2,3,4,5,6,7,8,9,10") << held(10);
  QTest::newRow("15 lines") << fifteen << Boxes("1,1,1,1,1,1,1,1,1,1,1,1,1,1,1") << held(15);
  QTest::newRow("empty file") << QByteArray() << Boxes("") << held(0);
  QTest::newRow("six digits") << QByteArray("123456\r\n") << unchanged << kUnable;
  QTest::newRow("six digits, leading zero")
      << fifteen + "012345" << Boxes("1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,12345") << QString();
  QTest::newRow("nine digits, four zeros") << QByteArray("000065535\r\n") << Boxes("65535") << held(1);
  QTest::newRow("byte-order mark") << QByteArray(
                                          "\xef\xbb\xbf"
                                          "5\r\n")
                                   << Boxes("5") << held(1);
  QTest::newRow("space inside") << QByteArray("1 2\r\n") << Boxes("12") << held(1);
  QTest::newRow("leading zeros") << QByteArray("007\n99999\n") << Boxes("007,99999") << held(2);
  QTest::newRow("LF and CR line ends") << QByteArray("1\n2\r3\r\n") << Boxes("1,2,3") << held(3);
  QTest::newRow("letter") << QByteArray("1\r\n2\r\nA\r\n4\r\n") << unchanged << kUnable;
  QTest::newRow("sign") << QByteArray("1\r\n-5\r\n") << unchanged << kUnable;
  QTest::newRow("decimal point") << QByteArray("1.5\r\n") << unchanged << kUnable;
  QTest::newRow("tab between digits") << QByteArray("1\r\n2\t3\r\n") << unchanged << kUnable;
  QTest::newRow("NUL bytes") << QByteArray("1\r\n\0\0\0\r\n", 9) << unchanged << kUnable;
  QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\xff\xfe") << unchanged << kUnable;
  QTest::newRow("non-ASCII letter") << QByteArray("1\r\n\xc3\xa9\r\n") << unchanged << kUnable;
  QTest::newRow("full-width digit") << QByteArray("\xef\xbc\x91\r\n") << unchanged << kUnable;
}

}  // namespace testing
