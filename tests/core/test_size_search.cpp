#include <QtTest>

#include "core/size_search.h"

using namespace hopper;

class SizeSearchTest : public QObject {
  Q_OBJECT
 private slots:
  // Whatever the guess, the answer is the one of trying every size from the top down; a good
  // guess measures a size or two, not every quarter point.
  void sameAsTryingEverySize_data() {
    QTest::addColumn<double>("top");
    QTest::addColumn<double>("smallest");
    QTest::addColumn<double>("widest");  // it fits at this size and below
    QTest::newRow("fits at the top") << 12.0 << 6.0 << 20.0;
    QTest::newRow("fits exactly at the top") << 12.0 << 6.0 << 12.0;
    QTest::newRow("fits part-way down") << 12.0 << 6.0 << 8.6;
    QTest::newRow("fits on a grid size") << 12.0 << 6.0 << 8.5;
    QTest::newRow("fits only just above the smallest") << 12.0 << 6.0 << 6.25;
    QTest::newRow("fits nowhere above the smallest") << 12.0 << 6.0 << 6.1;
    QTest::newRow("fits nowhere") << 12.0 << 6.0 << 1.0;
    QTest::newRow("a top off the quarter grid") << 8.3 << 5.0 << 7.0;
    QTest::newRow("a top at the smallest") << 6.0 << 6.0 << 20.0;
  }
  void sameAsTryingEverySize() {
    QFETCH(double, top);
    QFETCH(double, smallest);
    QFETCH(double, widest);
    const SizeGrid grid{top, 0.25, smallest};
    double expected = top;
    while (expected > smallest && expected > widest) expected -= 0.25;
    expected = std::max(expected, smallest);
    for (double guess = -1; guess <= top + 2; guess += 0.1) {
      int measured = 0;
      const double found = LargestFittingSize(grid, guess, [&](double size) {
        ++measured;
        return size <= widest;
      });
      QVERIFY2(qFuzzyCompare(found, expected), qPrintable(QStringLiteral("guess %1: %2").arg(guess).arg(found)));
      if (std::abs(guess - widest) < 0.2 && widest < top && widest > smallest) QVERIFY(measured <= 3);
    }
  }
};

QTEST_APPLESS_MAIN(SizeSearchTest)
#include "test_size_search.moc"
