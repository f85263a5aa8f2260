#include <QtTest>

#include "core/channel_table.h"

using namespace hopper;

class ChannelTableTest : public QObject {
  Q_OBJECT
 private slots:
  void isAllDigits_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("expected");
    QTest::newRow("empty") << QByteArray("") << true;
    QTest::newRow("zero") << QByteArray("0") << true;
    QTest::newRow("leading zeros") << QByteArray("007") << true;
    QTest::newRow("max") << QByteArray("65535") << true;
    QTest::newRow("minus") << QByteArray("-1") << false;
    QTest::newRow("decimal point") << QByteArray("1.5") << false;
    QTest::newRow("exponent") << QByteArray("1e3") << false;
    QTest::newRow("space before") << QByteArray(" 1") << false;
    QTest::newRow("space after") << QByteArray("1 ") << false;
    QTest::newRow("full-width digit") << QByteArray("\xEF\xBC\x91") << false;
    QTest::newRow("slash below zero") << QByteArray("/") << false;
    QTest::newRow("colon above nine") << QByteArray(":") << false;
    QTest::newRow("nul") << QByteArray("1\0", 2) << false;
  }
  void isAllDigits() {
    QFETCH(QByteArray, text);
    QFETCH(bool, expected);
    const std::string s = text.toStdString();
    QCOMPARE(IsAllDigits(s), expected);
  }

  void stripSpaces_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("padded and inner") << QByteArray("  1 2 3  ") << QByteArray("123");
    QTest::newRow("spaces only") << QByteArray("     ") << QByteArray("");
    QTest::newRow("empty") << QByteArray("") << QByteArray("");
    QTest::newRow("tab stays") << QByteArray("1\t2") << QByteArray("1\t2");
    QTest::newRow("nothing to strip") << QByteArray("65535") << QByteArray("65535");
  }
  void stripSpaces() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, expected);
    std::string s = text.toStdString();
    const std::string result = StripSpaces(s);
    QCOMPARE(QByteArray::fromStdString(result), expected);
    QCOMPARE(QByteArray::fromStdString(s), expected);  // the caller's text changes too
  }

  void entryValue_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<quint32>("expected");
    QTest::newRow("empty reads 0") << QByteArray("") << 0u;
    QTest::newRow("leading zeros") << QByteArray("0012") << 12u;
    QTest::newRow("five digits") << QByteArray("99999") << 99999u;
    QTest::newRow("not digits") << QByteArray("12a") << kUnreadableEntry;
    QTest::newRow("too large to count") << QByteArray("99999999999999999999") << kUnreadableEntry;
  }
  void entryValue() {
    QFETCH(QByteArray, text);
    QFETCH(quint32, expected);
    QCOMPARE(EntryValue(text.toStdString()), expected);
  }

  void limitEntry() {
    QCOMPARE(LimitEntry("123456"), std::string("12345"));
    QCOMPARE(LimitEntry("12"), std::string("12"));
  }

  void characterFilter_data() {
    QTest::addColumn<uint>("code");
    QTest::addColumn<bool>("passes");
    for (char c = '0'; c <= '9'; ++c) QTest::addRow("digit %c", c) << uint(c) << true;
    QTest::newRow("backspace") << 8u << true;
    QTest::newRow("enter") << 13u << true;
    QTest::newRow("letter") << uint('a') << false;
    QTest::newRow("minus") << uint('-') << false;
    QTest::newRow("space") << uint(' ') << false;
    QTest::newRow("tab") << 9u << false;
    QTest::newRow("full-width one") << 0xFF11u << false;
  }
  void characterFilter() {
    QFETCH(uint, code);
    QFETCH(bool, passes);
    QCOMPARE(CharacterPasses(code), passes);
  }

  void focusRing_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("target");  // -1: not a focus move
    QTest::newRow("enter moves on") << 3 << kKeyEnter << 4;
    QTest::newRow("right moves on") << 3 << kKeyRight << 4;
    QTest::newRow("down moves on") << 3 << kKeyDown << 4;
    QTest::newRow("left moves back") << 3 << kKeyLeft << 2;
    QTest::newRow("up moves back") << 3 << kKeyUp << 2;
    QTest::newRow("enter wraps from Channel16") << 15 << kKeyEnter << 0;
    QTest::newRow("up wraps from Channel1") << 0 << kKeyUp << 15;
    QTest::newRow("home is not a move") << 5 << 36 << -1;
    QTest::newRow("tab is not a move") << 5 << 9 << -1;
  }
  void focusRing() {
    QFETCH(int, index);
    QFETCH(int, key);
    QFETCH(int, target);
    const std::optional<int> result = FocusTarget(index, key);
    QCOMPARE(result.value_or(-1), target);
  }

  void entryChangeRule() {
    QCOMPARE(EntryChangeDecision(""), EntryChange::Keep);
    QCOMPARE(EntryChangeDecision("65535"), EntryChange::Keep);
    QCOMPARE(EntryChangeDecision("12a"), EntryChange::RejectAndReset);
    QCOMPARE(EntryChangeDecision(kResetEntry), EntryChange::Keep);  // the reset passes the rule
  }
};

QTEST_APPLESS_MAIN(ChannelTableTest)
#include "test_channel_table.moc"
