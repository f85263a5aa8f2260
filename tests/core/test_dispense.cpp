#include <QtTest>

#include "core/dispense.h"

using namespace hopper;

class DispenseTest : public QObject {
  Q_OBJECT
 private slots:
  void startUp() { QCOMPARE(int(StartUpCommand()[0]), 0x80); }

  void dispense_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("Channel1") << 0 << QByteArray::fromHex("814010");
    QTest::newRow("Channel2") << 1 << QByteArray::fromHex("814110");
    QTest::newRow("Channel16") << 15 << QByteArray::fromHex("814F10");
    QTest::newRow("below the list") << -1 << QByteArray::fromHex("814010");
    QTest::newRow("above the list") << 16 << QByteArray::fromHex("814F10");
  }
  void dispense() {
    QFETCH(int, position);
    QFETCH(QByteArray, bytes);
    const auto command = DispenseCommand(ChannelCodeForPosition(position));
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(command.data()), 3), bytes);
  }
};

QTEST_APPLESS_MAIN(DispenseTest)
#include "test_dispense.moc"
