// Sets side by side, and the quoting of comma-separated rows.
#include <QtTest>

#include "core/csv_text.h"
#include "core/set_compare.h"

using namespace hopper;

namespace {
// "3=250,7=5": those channels (1-based) hold the texts, every other box "100".
ChannelTexts Boxes(const QString& listed) {
  ChannelTexts texts;
  texts.fill("100");
  for (const QString& part : listed.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
    const QStringList kv = part.split(QLatin1Char('='));
    texts[std::size_t(kv[0].toInt() - 1)] = kv.value(1).toStdString();
  }
  return texts;
}
}  // namespace

class SetCompareTest : public QObject {
  Q_OBJECT
 private slots:
  void compare_data() {
    QTest::addColumn<QStringList>("sets");
    QTest::addColumn<QList<int>>("differing");
    QTest::addColumn<QString>("summary");
    QTest::newRow("two equal") << QStringList{"", ""} << QList<int>{} << "equal";
    QTest::newRow("leading zeros read as the save reads them")
        << QStringList{"3=0250", "3=250"} << QList<int>{} << "equal";
    QTest::newRow("empty box reads 0") << QStringList{"5=", "5=0"} << QList<int>{} << "equal";
    QTest::newRow("one channel") << QStringList{"3=250", "3=251"} << QList<int>{2} << "1 channel differs: Channel3";
    QTest::newRow("first and last") << QStringList{"1=1,16=9", ""} << QList<int>{0, 15}
                                    << "2 channels differ: Channel1 and Channel16";
    QTest::newRow("third set differs alone")
        << QStringList{"", "", "7=5"} << QList<int>{6} << "1 channel differs: Channel7";
    QTest::newRow("unreadable box is unlike every number")
        << QStringList{"2=12a", "2=12"} << QList<int>{1} << "1 channel differs: Channel2";
    QTest::newRow("one set alone never differs") << QStringList{"4=1"} << QList<int>{} << "equal";
  }
  void compare() {
    QFETCH(QStringList, sets);
    QFETCH(QList<int>, differing);
    QFETCH(QString, summary);
    std::vector<ComparedSet> compared;
    for (const QString& set : sets) compared.push_back(ComparedOf(Boxes(set)));
    const SetComparison result = CompareSets(compared);
    QCOMPARE(QList<int>(result.differing.begin(), result.differing.end()), differing);
    QCOMPARE(result.channels.size(), std::size_t(kChannelCount));
    for (const ComparedChannel& row : result.channels) {
      QCOMPARE(row.values.size(), std::size_t(sets.size()));
      QCOMPARE(row.differs, differing.contains(row.channel));
    }
    QCOMPARE(QString::fromStdString(ComparisonSummary(result)), summary);
  }

  void coinNumbersCompareWithBoxes() {
    CoinNumbers reported{};
    reported.fill(100);
    reported[15] = 65535;
    const SetComparison result = CompareSets({ComparedOf(reported), ComparedOf(Boxes("16=65535"))});
    QVERIFY(result.Equal());
    QCOMPARE(result.channels[15].values[0], 65535u);
  }

  void csv_data() {
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QByteArray>("row");
    QTest::newRow("plain") << QStringList{"a", "1", ""} << QByteArray("a,1,\r\n");
    QTest::newRow("comma") << QStringList{"a,b"} << QByteArray("\"a,b\"\r\n");
    QTest::newRow("quote doubled") << QStringList{"say \"hi\""} << QByteArray("\"say \"\"hi\"\"\"\r\n");
    QTest::newRow("line breaks") << QStringList{"a\nb", "c\r\nd"} << QByteArray("\"a\nb\",\"c\r\nd\"\r\n");
    QTest::newRow("non-Latin text as it is") << QStringList{"Gerät Ω 東京"} << QByteArray("Gerät Ω 東京\r\n");
    QTest::newRow("spaces kept unquoted") << QStringList{" x "} << QByteArray(" x \r\n");
  }
  void csv() {
    QFETCH(QStringList, fields);
    QFETCH(QByteArray, row);
    std::vector<std::string> texts;
    for (const QString& f : fields) texts.push_back(f.toStdString());
    QCOMPARE(QByteArray::fromStdString(CsvRow(texts)), row);
  }
};

QTEST_APPLESS_MAIN(SetCompareTest)
#include "test_set_compare.moc"
