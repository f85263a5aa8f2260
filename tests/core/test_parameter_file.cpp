#include <QtTest>

#include <sstream>

#include "core/parameter_file.h"

using namespace hopper;

Q_DECLARE_METATYPE(hopper::LoadOutcome)

namespace {

// Serves `text` in chunks of `chunk` bytes, so items cross chunk boundaries.
ItemReader ReaderOver(const QByteArray& text, std::size_t chunk = 3) {
  auto pos = std::make_shared<qsizetype>(0);
  return ItemReader(
      [text, pos](char* buffer, std::size_t capacity) -> std::int64_t {
        const qsizetype n = std::min<qsizetype>(qsizetype(capacity), text.size() - *pos);
        std::memcpy(buffer, text.constData() + *pos, std::size_t(n));
        *pos += n;
        return n;
      },
      chunk);
}

QStringList Entries(const ChannelTexts& entries) {
  QStringList list;
  for (const std::string& e : entries) list << QString::fromStdString(e);
  return list;
}

QStringList Padded(QStringList values) {
  while (values.size() < 16) values << "0";
  return values;
}

QByteArray Lines(const QStringList& lines) { return (lines.join("\r\n") + "\r\n").toLatin1(); }

}  // namespace

class ParameterFileTest : public QObject {
  Q_OBJECT
 private slots:
  void writer() {
    ChannelTexts entries;
    entries.fill("0");
    QCOMPARE(QByteArray::fromStdString(ParameterFileText(entries)), QByteArray(" 0\r\n").repeated(16));
    QCOMPARE(ParameterFileText(entries).size(), std::size_t{64});

    entries[0] = "0012";
    entries[1] = "";
    entries[15] = "99999";
    const QByteArray text = QByteArray::fromStdString(ParameterFileText(entries));
    QVERIFY(text.startsWith(" 12\r\n 0\r\n 0\r\n"));
    QVERIFY(text.endsWith(" 99999\r\n"));
  }

  void items_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("heads");  // "!" marks an item that is not all digits
    QTest::newRow("written form") << QByteArray(" 1\r\n 22\r\n") << QStringList{"1", "22"};
    QTest::newRow("commas") << QByteArray("1,2,3\r\n4") << QStringList{"1", "2", "3", "4"};
    QTest::newRow("LF and CR line ends") << QByteArray("1\n2\r3\r\n") << QStringList{"1", "2", "3"};
    QTest::newRow("empty line and empty item") << QByteArray("1\r\n\r\n,\r\n5") << QStringList{"1", "", "", "", "5"};
    QTest::newRow("quoted with comma") << QByteArray("\"1,2\",3") << QStringList{"!1,2", "3"};
    QTest::newRow("quoted then junk") << QByteArray("\"12\"xy,3") << QStringList{"12", "3"};
    QTest::newRow("unclosed quote") << QByteArray("\"12\r\n3") << QStringList{"!12\r\n3"};
    QTest::newRow("inner spaces") << QByteArray("  1 2  \r\n") << QStringList{"12"};
    QTest::newRow("tab between digits") << QByteArray("1\t2") << QStringList{"!1\t2"};
    QTest::newRow("six digits keep five") << QByteArray("123456") << QStringList{"12345"};
    QTest::newRow("letter after five digits") << QByteArray("12345a") << QStringList{"!12345"};
    QTest::newRow("nul byte") << QByteArray(
                                     "1\0"
                                     "2",
                                     3)
                              << QStringList{QString("!1") + QChar(0) + "2"};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
    QTest::newRow("comma at the end") << QByteArray("1,") << QStringList{"1"};
  }
  void items() {
    QFETCH(QByteArray, text);
    QFETCH(QStringList, heads);
    ItemReader reader = ReaderOver(text);
    QStringList got;
    while (auto item = reader.Next()) {
      got << (item->allDigits ? QString() : QString("!")) +
                 QString::fromLatin1(item->head.data(), qsizetype(item->head.size()));
      QVERIFY(got.size() <= 100);
    }
    // Heads keep five characters at most; compare what a box would keep.
    for (QString& h : heads) h = h.startsWith('!') ? h.left(6) : h.left(5);
    QCOMPARE(got, heads);
    QVERIFY(!reader.Next());  // asking again at the end still fails
  }

  void load_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<hopper::LoadOutcome>("outcome");
    QTest::addColumn<int>("channel");
    QStringList sixteen;
    for (int i = 1; i <= 16; ++i) sixteen << QString::number(i * 100);
    QTest::newRow("sixteen lines") << Lines(sixteen) << sixteen << LoadOutcome::Complete << 16;
    QTest::newRow("twenty lines load the first sixteen") << Lines(QStringList(sixteen) << "1"
                                                                                       << "2"
                                                                                       << "3"
                                                                                       << "4")
                                                         << sixteen << LoadOutcome::Complete << 16;
    QTest::newRow("ten lines") << Lines(sixteen.mid(0, 10)) << Padded(sixteen.mid(0, 10)) << LoadOutcome::Short << 10;
    QTest::newRow("empty file") << QByteArray() << Padded({}) << LoadOutcome::Short << 0;
    QTest::newRow("commas then next line")
        << QByteArray("1,2,3\r\n4\r\n") << Padded({"1", "2", "3", "4"}) << LoadOutcome::Short << 4;
    QTest::newRow("space inside a number") << QByteArray("1 2\r\n") << Padded({"12"}) << LoadOutcome::Short << 1;
    QTest::newRow("blank line loads 0 and keeps places")
        << QByteArray("5\r\n\r\n7\r\n") << Padded({"5", "0", "7"}) << LoadOutcome::Short << 3;
    QTest::newRow("leading zeros stay") << QByteArray("007") << Padded({"007"}) << LoadOutcome::Short << 1;
    QTest::newRow("six digits") << QByteArray("123456") << Padded({}) << LoadOutcome::Rejected << 0;
    QTest::newRow("six digits, one a leading zero")
        << QByteArray("1\r\n012345") << Padded({"1", "12345"}) << LoadOutcome::Short << 2;
    QTest::newRow("nine digits, four leading zeros")
        << QByteArray("000065535") << Padded({"65535"}) << LoadOutcome::Short << 1;
    QTest::newRow("long run of zeros") << QByteArray("0 000 000") << Padded({"0"}) << LoadOutcome::Short << 1;
    QTest::newRow("byte-order mark") << QByteArray(
                                            "\xEF\xBB\xBF"
                                            "7,8")
                                     << Padded({"7", "8"}) << LoadOutcome::Short << 2;
    QTest::newRow("letter stops at its channel")
        << QByteArray("1\r\n2\r\nx\r\n4") << Padded({"1", "2"}) << LoadOutcome::Rejected << 2;
    QTest::newRow("sign") << QByteArray("-1") << Padded({}) << LoadOutcome::Rejected << 0;
    QTest::newRow("decimal point") << QByteArray("1.5") << Padded({}) << LoadOutcome::Rejected << 0;
    QTest::newRow("tab between digits") << QByteArray("1\t2") << Padded({}) << LoadOutcome::Rejected << 0;
    QTest::newRow("non-ASCII") << QByteArray("\xC3\xA9") << Padded({}) << LoadOutcome::Rejected << 0;
    QTest::newRow("quoted values") << QByteArray("\"10\",\"20\"") << Padded({"10", "20"}) << LoadOutcome::Short << 2;
  }
  void load() {
    QFETCH(QByteArray, text);
    QFETCH(QStringList, entries);
    QFETCH(hopper::LoadOutcome, outcome);
    QFETCH(int, channel);
    ItemReader reader = ReaderOver(text);
    const LoadResult result = LoadParameterItems(reader);
    QCOMPARE(Entries(result.entries), entries);
    QCOMPARE(result.outcome, outcome);
    QCOMPARE(result.channel, channel);
  }

  void roundTrip() {
    ChannelTexts entries;
    for (int i = 0; i < 16; ++i) entries[std::size_t(i)] = std::to_string(i * 4321 % 99999);
    entries[3] = "0012";
    entries[4] = "";
    std::istringstream in(ParameterFileText(entries));
    ItemReader reader = ItemReader::FromStream(in);
    const LoadResult result = LoadParameterItems(reader);
    QCOMPARE(result.outcome, LoadOutcome::Complete);
    entries[3] = "12";
    entries[4] = "0";
    QCOMPARE(Entries(result.entries), Entries(entries));
  }

  // A huge one-line item is decided with bounded memory and without reading it through: it is
  // fed in small chunks, and reading ends with the first chunk that shows no box can take it.
  void hugeItem_data() {
    QTest::addColumn<char>("fill");
    QTest::addColumn<bool>("quoted");
    QTest::newRow("digits") << '7' << false;
    QTest::newRow("NUL bytes") << '\0' << false;
    QTest::newRow("quoted NUL bytes") << '\0' << true;
  }
  void hugeItem() {
    QFETCH(char, fill);
    QFETCH(bool, quoted);
    const std::uint64_t total = 1ull << 30;
    std::uint64_t served = 0;
    ItemReader reader(
        [&served, total, fill, quoted](char* buffer, std::size_t capacity) -> std::int64_t {
          const std::uint64_t n = std::min<std::uint64_t>(capacity, total - served);
          std::memset(buffer, fill, n);
          if (quoted && served == 0) buffer[0] = '"';
          served += n;
          return std::int64_t(n);
        },
        4096);
    const LoadResult result = LoadParameterItems(reader);
    QCOMPARE(result.outcome, LoadOutcome::Rejected);
    QCOMPARE(result.channel, 0);
    QCOMPARE(served, std::uint64_t{4096});
  }

  void readErrorEndsTheFile() {
    int calls = 0;
    ItemReader reader(
        [&calls](char* buffer, std::size_t) -> std::int64_t {
          if (calls++ == 0) {
            std::memcpy(buffer, "1\r\n2", 4);
            return 4;
          }
          return -1;
        },
        16);
    const LoadResult result = LoadParameterItems(reader);
    QCOMPARE(result.outcome, LoadOutcome::Short);
    QCOMPARE(result.channel, 2);
    QVERIFY(reader.ReadErrorSeen());
  }
};

QTEST_APPLESS_MAIN(ParameterFileTest)
#include "test_parameter_file.moc"
