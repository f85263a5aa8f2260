// The line monitor's reading of whole dialogues: what went over the line in, one line per
// entry out ("<direction> <hex> <meaning>", the time left off), as the monitor's ring keeps them.
// Each transcript is read twice: as it happens, and replayed from the raw records the line
// recorder keeps, which must read the same.
#include <QtTest>

#include "core/raw_traffic.h"
#include "core/receive_machine.h"
#include "core/setting_frames.h"
#include "core/traffic_decoder.h"

using namespace hopper;

namespace {

QString Hex(std::span<const std::uint8_t> bytes) {
  return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())).toHex());
}

const CoinNumbers kExample{1000, 500};
const QString kReport = "in " + Hex(BuildReportFrame(0x01, 0x10, std::vector<std::uint8_t>{0x3A, 0x3A}, kExample));
const QString kSave = "out " + Hex(BuildSaveFrame(kExample));

// What the decoder says for the data block of kExample, read as a report or as a read-back.
QStringList Block(const QString& prefix) {
  QStringList lines{"hopper -> tool 03 E8 " + prefix + "Channel1 = 1000",
                    "hopper -> tool 01 F4 " + prefix + "Channel2 = 500"};
  for (int i = 3; i <= 16; ++i) lines << QStringLiteral("hopper -> tool 00 00 %1Channel%2 = 0").arg(prefix).arg(i);
  return lines;
}

QStringList SaveLines() {
  QStringList lines{"tool -> hopper 83 save frame: lead byte 0x83", "tool -> hopper 03 E8 save Channel1 = 1000",
                    "tool -> hopper 01 F4 save Channel2 = 500"};
  for (int i = 3; i <= 16; ++i) lines << QStringLiteral("tool -> hopper 00 00 save Channel%1 = 0").arg(i);
  return lines << "-- save frame sent: waiting for acknowledgement 0x84, response watch armed";
}

const QStringList kReportStart{"-- link started: waiting for the hopper's report (Switch on Kavoo)",
                               "hopper -> tool 3A report start 0x3A",
                               "hopper -> tool 01 header byte",
                               "hopper -> tool 10 header byte",
                               "hopper -> tool 02 info length 2",
                               "hopper -> tool 3A info bytes",
                               "hopper -> tool 3A last info byte: the data block follows, receive watch armed"};
const QString kGoodReport = "hopper -> tool E0 checksum 0xE0 good: report complete, waiting for sync 0x82";

// What the line did, told to the decoder at once or kept as raw records and replayed.
class Feed {
 public:
  Feed(TrafficDecoder& decoder, bool viaRecords) : decoder_(decoder), viaRecords_(viaRecords) {}
  void Link(std::int64_t ms, const LinkEvent& event) {
    if (viaRecords_) Replay(RawTraffic::OfLink(ms, event), {}, decoder_);
    else decoder_.Link(ms, event);
  }
  void Sent(std::int64_t ms, LineRole role, std::uint8_t b) {
    if (viaRecords_) Replay(RawTraffic::OfByte(ms, RawKind::Sent, role, b), {}, decoder_);
    else decoder_.Sent(ms, role, b);
  }
  void Discarded(std::int64_t ms, LineRole role, std::span<const std::uint8_t> bytes) {
    if (!viaRecords_) return decoder_.Discarded(ms, role, bytes);
    for (std::uint8_t b : bytes) Replay(RawTraffic::OfByte(ms, RawKind::Discarded, role, b), {}, decoder_);
  }
  void Port(std::int64_t ms, LineRole role, PortEvent event, std::string_view detail) {
    if (viaRecords_) Replay(RawTraffic::OfPort(ms, role, event), detail, decoder_);
    else decoder_.Port(ms, role, event, detail);
  }

 private:
  TrafficDecoder& decoder_;
  bool viaRecords_;
};

// The setting link as the program runs it: its machine takes the received bytes and tells the
// decoder what they meant; the frame it sends is recorded as sent bytes, as the port would.
class DecodedLink final : public LinkHost {
 public:
  explicit DecodedLink(Feed& decoder, std::int64_t& ms) : decoder_(decoder), ms_(ms) {}
  void OnLinkEvent(const LinkEvent& event) override { decoder_.Link(++ms_, event); }
  void SendByte(std::uint8_t) override {}  // the transcripts give the echo as a step of its own
  bool LineOpen() const override { return true; }
  bool SendFrame(std::span<const std::uint8_t> bytes) override {
    for (std::uint8_t b : bytes) decoder_.Sent(++ms_, LineRole::SettingLink, b);
    return true;
  }
  void ArmReceiveWatch() override {}
  void ArmResponseWatch() override {}
  void DrainInput() override {}  // the transcripts give what is discarded as a step of its own
  ReceiveMachine machine{*this};

 private:
  Feed& decoder_;
  std::int64_t& ms_;
};

ChannelTexts TextsOfFrame(const std::vector<std::uint8_t>& frame) {
  ChannelTexts texts;
  for (std::size_t i = 0; i < kCoinCount; ++i)
    texts[i] = std::to_string(DecodeCoinNumber(frame[1 + 2 * i], frame[2 + 2 * i]));
  return texts;
}

}  // namespace

class TrafficDecoderTest : public QObject {
  Q_OBJECT
 private slots:
  void transcript_data() {
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("power-on, save, read-back")
        << QStringList{"started", "in 0055", kReport,
                       "in 82",   "out 82",  "in 83",
                       kSave,     "in 84",   "in " + Hex(BuildReadBackBlock(kExample)),
                       "response"}
        << (QStringList{kReportStart[0], "hopper -> tool 00 55 ignored while waiting for a start byte"}
            << kReportStart.mid(1) << Block("") << kGoodReport << "hopper -> tool 82 sync 0x82: the tool echoes it"
            << "tool -> hopper 82 echo 0x82"
            << "hopper -> tool 83 ready 0x83: Enter Data (Do not Reset hopper)" << SaveLines()
            << "hopper -> tool 84 acknowledgement 0x84: Save complete, the read-back follows" << Block("read-back ")
            << "hopper -> tool E0 checksum 0xE0 good: read-back complete"
            << "-- response watch ended: the save was acknowledged");

    QTest::newRow("bad checksum, the rest discarded, watch expires")
        << QStringList{"started", kReport.chopped(2) + "E1", "discard 8283", "receive"}
        << (kReportStart + Block("")
            << "hopper -> tool E1 checksum 0xE1 bad, the data add up to 0xE0: Checksum Error,Reset hopper"
            << "hopper -> tool 82 83 discarded: the rest of the input after the error"
            << "-- receive watch expired: no complete report, back to waiting for a start byte");

    QTest::newRow("report cut after a high byte, wrong answer to a save")
        << QStringList{"started", kReport.left(3 + 2 * 9), "receive", kSave, "in 85", "response"}
        << (QStringList(kReportStart)
            << "hopper -> tool 03 E8 Channel1 = 1000"
            << "hopper -> tool 01 Channel2 high byte (no low byte came)"
            << "-- receive watch expired: no complete report, back to waiting for a start byte" << SaveLines()
            << "hopper -> tool 85 expected acknowledgement 0x84: Save faild,Reset hopper"
            << "-- response watch expired: no acknowledgement (No Response)");

    QTest::newRow("hand-over: simulation commands, replies drained, hand-back")
        << QStringList{"started",         "closed",          "simOpened", "simOut 80", "simOut 81 4F 10",
                       "simOut 81 50 10", "simDiscard 0102", "simClosed", "opened",    "in 55"}
        << (QStringList{kReportStart[0], "-- port closed", "-- hand-over: the simulation window opened its port COM1",
                        "tool -> hopper 80 start up 0x80", "tool -> hopper 81 4F 10 dispense Channel16",
                        "tool -> hopper 81 50 10 dispense command with a bad channel or end byte",
                        "hopper -> tool 01 02 read and discarded by the simulation window",
                        "-- hand-back: the simulation window closed its port; the link waits for a start byte",
                        "-- port opened COM1", "hopper -> tool 55 ignored while waiting for a start byte"});

    QTest::newRow("bytes before start-up, then a megabyte of noise stays bounded")
        << QStringList{"in 3A", "started", "noise", "lost"}
        << QStringList{"hopper -> tool 3A ignored: the link has not started", kReportStart[0],
                       "hopper -> tool 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F ignored while waiting for a "
                       "start byte",
                       "-- port lost: cable pulled"};
  }

  void transcript() { Transcript(false); }
  void transcriptFromRecords_data() { transcript_data(); }
  void transcriptFromRecords() { Transcript(true); }

  // A record is 16 bytes and gives back the event it was made of.
  void recordKeepsEvent_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<bool>("readBack");
    QTest::addColumn<int>("fault");
    QTest::newRow("coin number 65535") << int(LinkEventKind::ChannelValue) << 15 << 65535 << true << true << 0;
    QTest::newRow("bad checksum") << int(LinkEventKind::BlockChecked) << 0 << 0xE1 << false << false << 0;
    QTest::newRow("save failed") << int(LinkEventKind::LinkError) << 0 << 0x84 << true << true
                                 << int(LinkFault::SaveFailed);
    QTest::newRow("communication") << int(LinkEventKind::LinkError) << 0 << 0x82 << true << false
                                   << int(LinkFault::Communication);
  }
  void recordKeepsEvent() {
    QFETCH(int, kind);
    QFETCH(int, channel);
    QFETCH(int, value);
    QFETCH(bool, ok);
    QFETCH(bool, readBack);
    QFETCH(int, fault);
    const LinkEvent event{LinkEventKind(kind), 0x5A, channel, value, ok, readBack, LinkFault(fault)};
    const RawTraffic record = RawTraffic::OfLink(1234567890123, event);
    QCOMPARE(sizeof record, std::size_t(16));
    QCOMPARE(record.ms, std::int64_t(1234567890123));
    const LinkEvent back = record.Link();
    QCOMPARE(int(back.kind), kind);
    QCOMPARE(back.byte, std::uint8_t(0x5A));
    QCOMPARE(back.channel, channel);
    QCOMPARE(back.value, value);
    QCOMPARE(back.ok, ok);
    QCOMPARE(back.readBack, readBack);
    QCOMPARE(int(back.fault), fault);
  }

  // The ring keeps the newest records, oldest first, and counts every one it was given.
  void recordRingKeepsNewest() {
    RawTrafficRing ring(3);
    for (std::uint8_t b = 1; b <= 5; ++b) ring.Add(RawTraffic::OfByte(b, RawKind::Sent, LineRole::SettingLink, b));
    QCOMPARE(ring.Size(), std::size_t(3));
    QCOMPARE(ring.Started(), std::uint64_t(5));
    QCOMPARE(ring.FirstSerial(), std::uint64_t(2));
    QCOMPARE(ring.At(0).byte, std::uint8_t(3));
    QCOMPARE(ring.At(2).byte, std::uint8_t(5));
    ring.Clear();
    QCOMPARE(ring.Size(), std::size_t(0));
    QCOMPARE(ring.FirstSerial(), std::uint64_t(5));
    ring.Add(RawTraffic::OfByte(6, RawKind::Sent, LineRole::SettingLink, 6));
    QCOMPARE(ring.At(0).byte, std::uint8_t(6));
  }

 private:
  void Transcript(bool viaRecords) {
    QFETCH(QStringList, steps);
    QFETCH(QStringList, lines);

    TrafficRing ring(3);  // small, so a flood shows that only the newest entries stay
    QStringList all;
    TrafficDecoder decoder([&](TrafficEntry entry) {
      if (!ring.Add(entry)) all << QString();
      const TrafficEntry& last = ring.At(ring.Size() - 1);
      all.back() = QString::fromStdString(DirectionText(last.direction) + " " +
                                          (last.bytes.empty() ? "" : HexText(last.bytes) + " ") + last.meaning);
    });
    std::int64_t ms = 0;
    Feed feed(decoder, viaRecords);
    DecodedLink link(feed, ms);
    for (const QString& step : steps) {
      const QString verb = step.section(' ', 0, 0);
      const QByteArray bytes = QByteArray::fromHex(step.section(' ', 1).toLatin1());
      const std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
      const LineRole role = verb.startsWith("sim") ? LineRole::Simulation : LineRole::SettingLink;
      if (verb == "in")
        for (std::uint8_t b : data) link.machine.Consume(b);
      const bool saveFrame = verb == "out" && data.size() == 1 + kDataBlockSize && data[0] == kSaveLeadByte;
      if (saveFrame) link.machine.Save(TextsOfFrame(data));
      else if (verb.endsWith("ut"))
        for (std::uint8_t b : data) feed.Sent(++ms, role, b);
      if (verb.endsWith("iscard")) feed.Discarded(++ms, role, data);
      if (verb == "started") link.machine.StartUp();
      if (verb == "receive") link.machine.ReceiveWatchExpired();
      if (verb == "response") link.machine.ResponseWatchExpired();
      if (verb == "simClosed") link.machine.PortReturned();
      if (verb.endsWith("pened")) feed.Port(++ms, role, PortEvent::Opened, "COM1");
      if (verb.endsWith("losed")) feed.Port(++ms, role, PortEvent::Closed, "");
      if (verb == "lost") feed.Port(++ms, role, PortEvent::Lost, "cable pulled");
      if (verb == "noise")
        for (int i = 0; i < 1 << 20; ++i) link.machine.Consume(static_cast<std::uint8_t>(i == 0x3A ? 0 : i));
    }
    QCOMPARE(ring.Size(), std::min<std::size_t>(3, all.size()));
    if (steps.contains("noise")) all = QStringList{all.first(), all.at(1), all.at(2), all.last()};
    QCOMPARE(all, lines);
  }

 private slots:
  void format_data() {
    QTest::addColumn<QByteArray>("meaning");
    QTest::addColumn<QString>("line");
    const QString head = QStringLiteral("    1234 ms  hopper -> tool  3A  ");
    QTest::newRow("plain") << QByteArray("report start 0x3A") << head + "report start 0x3A";
    // A device path with escape codes and a line break stays on its own line, uncoloured.
    QTest::newRow("escape and line break") << QByteArray("opened x\x1b[31mFAKE\nhopper-cli: verified")
                                           << head + "opened x\\x1b[31mFAKE\\nhopper-cli: verified";
    QTest::newRow("CR, tab, DEL, NUL") << QByteArray("a\rb\tc\x7f") + QByteArray(1, '\0')
                                       << head + "a\\rb\\tc\\x7f\\x00";
    QTest::newRow("C1 control") << QByteArray(
                                       "x\xc2\x9b"
                                       "31m")
                                << head + "x\\u009b31m";
    QTest::newRow("backslash and UTF-8 kept") << QByteArray("C:\\COM3 \xc3\xa9") << head + "C:\\COM3 \u00e9";
  }
  void format() {
    QFETCH(QByteArray, meaning);
    QFETCH(QString, line);
    const TrafficEntry entry{1234, TrafficDirection::FromHopper, {0x3A}, meaning.toStdString()};
    QCOMPARE(QString::fromStdString(FormatTrafficLine(entry)), line);
  }
};

QTEST_APPLESS_MAIN(TrafficDecoderTest)
#include "test_traffic_decoder.moc"
