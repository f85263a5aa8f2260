#include <QtTest>

#include "core/colour_contrast.h"

using namespace hopper;

Q_DECLARE_METATYPE(hopper::Rgb)

class ColourContrastTest : public QObject {
  Q_OBJECT
 private slots:
  void ratio_data() {
    QTest::addColumn<hopper::Rgb>("text");
    QTest::addColumn<hopper::Rgb>("ground");
    QTest::addColumn<double>("ratio");
    QTest::newRow("black on white") << kBlack << kWhite << 21.0;
    QTest::newRow("either way round") << kWhite << kBlack << 21.0;
    QTest::newRow("the same colour") << Rgb{53, 132, 228} << Rgb{53, 132, 228} << 1.0;
    QTest::newRow("blue on white") << Rgb{0, 0, 255} << kWhite << 8.59;
    QTest::newRow("red on white") << Rgb{255, 0, 0} << kWhite << 4.0;
    QTest::newRow("blue on a dark window") << Rgb{0, 0, 255} << Rgb{53, 53, 53} << 1.43;
  }
  void ratio() {
    QFETCH(Rgb, text);
    QFETCH(Rgb, ground);
    QFETCH(double, ratio);
    QVERIFY2(std::abs(ContrastRatio(text, ground) - ratio) < 0.01,
             qPrintable(QString::number(ContrastRatio(text, ground))));
  }

  void lightGround_data() {
    QTest::addColumn<hopper::Rgb>("text");
    QTest::addColumn<hopper::Rgb>("ground");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<double>("least");
    QTest::newRow("blue on a light window is kept") << Rgb{0, 0, 255} << Rgb{239, 239, 239} << true << 4.5;
    QTest::newRow("blue on a dark window") << Rgb{0, 0, 255} << Rgb{53, 53, 53} << false << 4.5;
    QTest::newRow("blue on black") << Rgb{0, 0, 255} << kBlack << false << 4.5;
    QTest::newRow("dark blue on a dark window") << Rgb{0, 0, 192} << Rgb{36, 36, 36} << false << 4.5;
    QTest::newRow("red on a dark window gets white") << Rgb{255, 0, 0} << Rgb{53, 53, 53} << false << 4.0;
    QTest::newRow("red on a light window gets white") << Rgb{255, 0, 0} << Rgb{239, 239, 239} << false << 4.0;
  }
  void lightGround() {
    QFETCH(Rgb, text);
    QFETCH(Rgb, ground);
    QFETCH(bool, kept);
    QFETCH(double, least);
    const Rgb chosen = LightGroundFor(text, ground);
    QCOMPARE(chosen == ground, kept);
    QVERIFY(ContrastRatio(text, chosen) >= least - 0.01);
    QVERIFY(chosen.red >= ground.red && chosen.green >= ground.green && chosen.blue >= ground.blue);
  }

  void textFor() {
    QCOMPARE(TextFor(Rgb{255, 244, 184}), kBlack);  // a pale tint
    QCOMPARE(TextFor(Rgb{53, 53, 53}), kWhite);
  }
};

QTEST_APPLESS_MAIN(ColourContrastTest)
#include "test_colour_contrast.moc"
