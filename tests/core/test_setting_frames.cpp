#include <QtTest>

#include "core/setting_frames.h"

using namespace hopper;

namespace {
QByteArray Bytes(std::span<const std::uint8_t> bytes) {
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}
CoinNumbers WorkedExample() {
  CoinNumbers coins{};
  coins[0] = 1000;
  coins[1] = 500;
  return coins;
}
}  // namespace

class SettingFramesTest : public QObject {
  Q_OBJECT
 private slots:
  void coinNumberEncoding_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("0") << 0 << QByteArray::fromHex("0000");
    QTest::newRow("255") << 255 << QByteArray::fromHex("00FF");
    QTest::newRow("256") << 256 << QByteArray::fromHex("0100");
    QTest::newRow("1000") << 1000 << QByteArray::fromHex("03E8");
    QTest::newRow("65535") << 65535 << QByteArray::fromHex("FFFF");
  }
  void coinNumberEncoding() {
    QFETCH(int, value);
    QFETCH(QByteArray, bytes);
    QCOMPARE(Bytes(EncodeCoinNumber(static_cast<std::uint16_t>(value))), bytes);
    QCOMPARE(int(DecodeCoinNumber(static_cast<std::uint8_t>(bytes[0]), static_cast<std::uint8_t>(bytes[1]))), value);
  }

  void workedExample() {
    const QByteArray block = QByteArray::fromHex("03E801F4") + QByteArray(28, '\0');
    QCOMPARE(Bytes(EncodeDataBlock(WorkedExample())), block);
    QCOMPARE(int(DataBlockChecksum(EncodeDataBlock(WorkedExample()))), 0xE0);
    QCOMPARE(Bytes(BuildSaveFrame(WorkedExample())), QByteArray::fromHex("83") + block);
    QCOMPARE(Bytes(BuildReadBackBlock(WorkedExample())), block + QByteArray::fromHex("E0"));
  }

  void allMaximum() {
    CoinNumbers coins;
    coins.fill(65535);
    QCOMPARE(Bytes(EncodeDataBlock(coins)), QByteArray(32, '\xFF'));
    QCOMPARE(int(DataBlockChecksum(EncodeDataBlock(coins))), 0xE0);  // 8160 mod 256
  }

  void checksumWraps() {
    DataBlock block{};
    block[0] = 0xFF;
    block[1] = 0x01;  // adds up to 256
    QCOMPARE(int(DataBlockChecksum(block)), 0x00);
  }

  void saveFrameIsAlways33Bytes() {
    CoinNumbers coins;
    coins.fill(0);
    QCOMPARE(BuildSaveFrame(coins).size(), std::size_t{33});
  }

  void decodeRoundTrip() {
    CoinNumbers coins{};
    for (std::size_t i = 0; i < coins.size(); ++i) coins[i] = static_cast<std::uint16_t>(i * 4099);
    QVERIFY(DecodeDataBlock(EncodeDataBlock(coins)) == coins);
  }

  void reportFrame() {
    const std::array<std::uint8_t, 2> info{0x3A, 0x00};
    const std::vector<std::uint8_t> frame = BuildReportFrame(0x01, 0x02, info, WorkedExample());
    const QByteArray expected = QByteArray::fromHex("3A0102023A00") + QByteArray::fromHex("03E801F4") +
                                QByteArray(28, '\0') + QByteArray::fromHex("E0");
    QCOMPARE(Bytes(frame), expected);
    QCOMPARE(frame.size(), 4 + info.size() + 33);
  }
};

QTEST_APPLESS_MAIN(SettingFramesTest)
#include "test_setting_frames.moc"
