// What the hopper holds against what the boxes show: steps in, the unconfirmed channels and
// the marks of Channel1..Channel3 out.
#include <QtTest>

#include "core/held_values.h"

using namespace hopper;

class HeldValuesTest : public QObject {
  Q_OBJECT
 private slots:
  void marks_data() {
    // "block v1 v2 ...", "ok", "bad", "edit i", "sent", "differs i sent held" (the save's verdict),
    // "port COMn" (the port left)
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("boxes");  // the texts of Channel1..Channel3 afterwards
    QTest::addColumn<QString>("unconfirmed");
    QTest::addColumn<QStringList>("tips");

    QTest::newRow("confirmed report, one box edited")
        << QStringList{"block 1000 500 0", "ok", "edit 1"} << QStringList{"1000", "600", "0"} << ""
        << QStringList{"", "hopper holds 500", ""};
    QTest::newRow("report cut after Channel1: asked about it until typed")
        << QStringList{"block 1000"} << QStringList{"1000", "0", "0"} << "Channel1"
        << QStringList{"not confirmed: the block it came in did not complete", "", ""};
    QTest::newRow("bad checksum keeps every value unconfirmed, typing clears one")
        << QStringList{"block 7 8 9 1 1 1 1 1 1 1 1 1 1 1 1 1", "bad", "edit 0"} << QStringList{"7", "8", "9"}
        << "Channel2, Channel3, Channel4, Channel5, Channel6, Channel7, Channel8, Channel9, Channel10, Channel11, "
           "Channel12, Channel13, Channel14, Channel15 and Channel16"
        << QStringList{"", "not confirmed: the block it came in did not complete",
                       "not confirmed: the block it came in did not complete"};
    QTest::newRow("every channel of a bad report")
        << QStringList{"block 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1", "bad"} << QStringList{"1", "1", "1"}
        << "all 16 channels" << QStringList(3, "not confirmed: the block it came in did not complete");
    QTest::newRow("read-back equal to what was sent")
        << QStringList{"sent", "block 5 6 0", "ok"} << QStringList{"5", "6", "0"} << "" << QStringList{"", "", ""};
    QTest::newRow("verdict differs in one channel")
        << QStringList{"sent", "block 5 6 8", "ok", "differs 2 7 8"} << QStringList{"5", "6", "8"} << ""
        << QStringList{"", "", "sent 7, hopper holds 8"};
    QTest::newRow("differing channel edited")
        << QStringList{"sent", "block 5 6 8", "ok", "differs 2 7 8", "edit 2"} << QStringList{"5", "6", "7"} << ""
        << QStringList{"", "", "hopper holds 8"};
    QTest::newRow("the next save forgets the last one's differences")
        << QStringList{"block 5 6 8", "ok", "differs 2 7 8", "sent"} << QStringList{"5", "6", "8"} << ""
        << QStringList{"", "", ""};
    QTest::newRow("read-back with a bad checksum is unconfirmed")
        << QStringList{"sent", "block 5", "bad"} << QStringList{"5", "0", "0"} << "Channel1"
        << QStringList{"not confirmed: the block it came in did not complete", "", ""};
    QTest::newRow("port change: received values are the other hopper's, typed ones nobody's")
        << QStringList{"block 1000 500 7", "ok", "edit 1", "port COM1"} << QStringList{"1000", "600", "7"} << ""
        << QStringList{"from the hopper on COM1, not this one", "", "from the hopper on COM1, not this one"};
    QTest::newRow("second port change keeps the first hopper's name until the new one reports")
        << QStringList{"block 1 2 3", "ok", "port COM1", "port COM2", "block 4"} << QStringList{"4", "2", "3"}
        << "Channel1"
        << QStringList{"not confirmed: the block it came in did not complete", "from the hopper on COM1, not this one",
                       "from the hopper on COM1, not this one"};
    QTest::newRow("port change ends the last save's differences")
        << QStringList{"sent", "block 5 6 8", "ok", "differs 2 7 8", "port COM2"} << QStringList{"5", "6", "8"} << ""
        << QStringList(3, "from the hopper on COM2, not this one");
  }

  void marks() {
    QFETCH(QStringList, steps);
    QFETCH(QStringList, boxes);
    QFETCH(QString, unconfirmed);
    QFETCH(QStringList, tips);
    HeldValues held;
    for (const QString& step : steps) {
      const QStringList words = step.split(' ');
      CoinNumbers values{};
      for (qsizetype i = 1; i < words.size(); ++i) values[std::size_t(i - 1)] = std::uint16_t(words[i].toUInt());
      if (words[0] == "block")
        for (qsizetype i = 1; i < words.size(); ++i) held.ValueReceived(int(i - 1), values[std::size_t(i - 1)]);
      if (words[0] == "ok" || words[0] == "bad") held.BlockChecked(words[0] == "ok");
      if (words[0] == "edit") held.Edited(words[1].toInt());
      if (words[0] == "sent") held.SaveSent();
      if (words[0] == "differs") {
        Verdict verdict;
        verdict.kind = VerdictKind::Differs;
        verdict.differing.push_back(
            {words[1].toInt(), std::uint16_t(words[2].toUInt()), std::uint16_t(words[3].toUInt())});
        held.Judged(verdict);
      }
      if (words[0] == "port") held.HopperChanged(words[1].toStdString());
    }
    QCOMPARE(QString::fromStdString(ChannelListText(held.Unconfirmed())), unconfirmed);
    QStringList shown;
    for (int i = 0; i < 3; ++i) shown << QString::fromStdString(held.MarkFor(i, boxes[i].toStdString()).tip);
    QCOMPARE(shown, tips);
  }
};

QTEST_APPLESS_MAIN(HeldValuesTest)
#include "test_held_values.moc"
