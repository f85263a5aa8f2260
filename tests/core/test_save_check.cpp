#include <QtTest>

#include "core/save_check.h"

using namespace hopper;

Q_DECLARE_METATYPE(hopper::SaveVerdict)

namespace {
// "3=65536,5=7": the listed channels (1-based) hold those texts, every other box "0".
ChannelTexts Table(const QString& listed, const QString& others = QStringLiteral("0")) {
  ChannelTexts entries;
  entries.fill(others.toStdString());
  for (const QString& part : listed.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
    const QStringList kv = part.split(QLatin1Char('='));
    entries[static_cast<std::size_t>(kv[0].toInt() - 1)] = kv.value(1).toStdString();
  }
  return entries;
}
}  // namespace

class SaveCheckTest : public QObject {
  Q_OBJECT
 private slots:
  void check_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("others");
    QTest::addColumn<hopper::SaveVerdict>("verdict");
    QTest::addColumn<int>("channel");
    QTest::newRow("worked example") << "1=1000,2=500"
                                    << "0" << SaveVerdict::Valid << 0;
    QTest::newRow("all boxes empty") << ""
                                     << "" << SaveVerdict::AllZero << 0;
    QTest::newRow("all zero") << ""
                              << "0" << SaveVerdict::AllZero << 0;
    QTest::newRow("range before all-zero") << "3=65536"
                                           << "0" << SaveVerdict::RangeError << 2;
    QTest::newRow("first of two out of range") << "9=70000,4=99999"
                                               << "1" << SaveVerdict::RangeError << 3;
    QTest::newRow("65535 alone is valid") << "16=65535"
                                          << "0" << SaveVerdict::Valid << 0;
    QTest::newRow("leading zeros") << "1=00001"
                                   << "" << SaveVerdict::Valid << 0;
  }
  void check() {
    QFETCH(QString, table);
    QFETCH(QString, others);
    QFETCH(hopper::SaveVerdict, verdict);
    QFETCH(int, channel);
    const SaveCheck result = CheckSave(Table(table, others));
    QCOMPARE(result.verdict, verdict);
    QCOMPARE(result.channel, channel);
  }

  void coinNumbers() {
    const CoinNumbers coins = CoinNumbersOf(Table("1=1000,2=0500,16=65535", ""));
    QCOMPARE(int(coins[0]), 1000);
    QCOMPARE(int(coins[1]), 500);
    QCOMPARE(int(coins[2]), 0);
    QCOMPARE(int(coins[15]), 65535);
  }
};

QTEST_APPLESS_MAIN(SaveCheckTest)
#include "test_save_check.moc"
