#pragma once
// Parameter files and what they load as, shared by the tests on fake boxes and on the main window.

#include <QtTest>

#include "test_support.h"

namespace testing {

// Columns: the file's bytes, the 16 boxes after the load, whether "Unable to load" is shown.
inline void AddLoadRows() {
  QTest::addColumn<QByteArray>("bytes");
  QTest::addColumn<QStringList>("expected");
  QTest::addColumn<bool>("rejected");
  QByteArray lines20, lines10;
  for (int i = 1; i <= 20; ++i) (i <= 10 ? lines10 : lines20) += QByteArray::number(i) + "\r\n";
  lines20.prepend(lines10);
  const QStringList oneTo16 = Boxes(QStringLiteral("1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16"));
  QTest::newRow("written form") << QByteArray(" 12\r\n 0\r\n 65535\r\n") << Boxes("12,0,65535") << false;
  QTest::newRow("commas then next line") << QByteArray("1,2,3\r\n4\r\n") << Boxes("1,2,3,4") << false;
  QTest::newRow("quoted items") << QByteArray("\"12\"\r\n\" 7 \",\"8\"\r\n") << Boxes("12,7,8") << false;
  QTest::newRow("quoted comma") << QByteArray("1\r\n\"3,4\"\r\n5\r\n") << Boxes("1") << true;
  QTest::newRow("blank line") << QByteArray("1\r\n\r\n3\r\n") << Boxes("1,0,3") << false;
  QTest::newRow("line of spaces") << QByteArray("1\r\n   \r\n3\r\n") << Boxes("1,0,3") << false;
  QTest::newRow("20 lines") << lines20 << oneTo16 << false;
  QTest::newRow("10 lines") << lines10 << Boxes("1,2,3,4,5,6,7,8,9,10") << false;
  QTest::newRow("empty file") << QByteArray() << Boxes("") << false;
  QTest::newRow("six digits") << QByteArray("123456\r\n") << Boxes("12345") << false;
  QTest::newRow("space inside") << QByteArray("1 2\r\n") << Boxes("12") << false;
  QTest::newRow("leading zeros") << QByteArray("007\n99999\n") << Boxes("007,99999") << false;
  QTest::newRow("LF and CR line ends") << QByteArray("1\n2\r3\r\n") << Boxes("1,2,3") << false;
  QTest::newRow("letter") << QByteArray("1\r\n2\r\nA\r\n4\r\n") << Boxes("1,2") << true;
  QTest::newRow("sign") << QByteArray("1\r\n-5\r\n") << Boxes("1") << true;
  QTest::newRow("decimal point") << QByteArray("1.5\r\n") << Boxes("") << true;
  QTest::newRow("tab between digits") << QByteArray("1\r\n2\t3\r\n") << Boxes("1") << true;
  QTest::newRow("NUL bytes") << QByteArray("1\r\n\0\0\0\r\n", 9) << Boxes("1") << true;
  QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\xff\xfe") << Boxes("") << true;
  QTest::newRow("non-ASCII letter") << QByteArray("1\r\n\xc3\xa9\r\n") << Boxes("1") << true;
  QTest::newRow("full-width digit") << QByteArray("\xef\xbc\x91\r\n") << Boxes("") << true;
}

}  // namespace testing
