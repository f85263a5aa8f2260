// Whole dialogues as data: bytes and outside triggers in, the host operations and the final
// state out. Bytes of one "hex"/"report" step count as waiting together, so a drain discards
// the rest of that step.
#include <QtTest>

#include <deque>

#include "core/link_captions.h"
#include "core/receive_machine.h"
#include "core/setting_frames.h"

using namespace hopper;

Q_DECLARE_METATYPE(hopper::LinkState)

namespace {

class RecordingHost : public LinkHost {
 public:
  // The window's reading of the events: its status line, its boxes, its write-failure box.
  void OnLinkEvent(const LinkEvent& event) override {
    if (const auto status = StatusCaptionFor(event))
      ops << QStringLiteral("status %1 %2")
                 .arg(status->colour == StatusColour::Blue ? "blue" : "red",
                      QString::fromUtf8(status->text.data(), qsizetype(status->text.size())));
    if (event.kind == LinkEventKind::ChannelValue)
      ops << QStringLiteral("entry %1 %2").arg(event.channel).arg(event.value);
    if (event.kind == LinkEventKind::SaveWriteFailed) ops << QStringLiteral("write failure");
  }
  void SendByte(std::uint8_t byte) override { ops << QStringLiteral("send %1").arg(byte, 2, 16, QLatin1Char('0')); }
  bool LineOpen() const override { return lineOpen; }
  bool SendFrame(std::span<const std::uint8_t> bytes) override {
    ops << QStringLiteral("frame ") +
               QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())).toHex();
    return !writeFails;
  }
  void ArmReceiveWatch() override { ops << QStringLiteral("arm"); }
  void ArmResponseWatch() override { ops << QStringLiteral("arm response"); }
  void DrainInput() override {
    ops << QStringLiteral("drain");
    waiting.clear();
  }
  QStringList ops;
  std::deque<std::uint8_t> waiting;
  bool lineOpen = true;
  bool writeFails = false;
};

CoinNumbers Coins(std::initializer_list<int> values) {
  CoinNumbers coins{};
  std::size_t i = 0;
  for (int v : values) coins[i++] = static_cast<std::uint16_t>(v);
  return coins;
}

QByteArray Hex(std::span<const std::uint8_t> bytes) {
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())).toHex();
}

// A power-on report: header 01 02, one info byte 0x3A, then the data block and its checksum.
QString Report(const CoinNumbers& coins, int infoLength = 1) {
  std::vector<std::uint8_t> info(static_cast<std::size_t>(infoLength), 0x3A);
  return QStringLiteral("hex ") + Hex(BuildReportFrame(0x01, 0x02, info, coins));
}
QString ReadBack(const CoinNumbers& coins) { return QStringLiteral("hex ") + Hex(BuildReadBackBlock(coins)); }

QStringList Entries(const CoinNumbers& coins, int count = 16) {
  QStringList ops;
  for (int i = 0; i < count; ++i) ops << QStringLiteral("entry %1 %2").arg(i).arg(coins[std::size_t(i)]);
  return ops;
}

const CoinNumbers kExample = Coins({1000, 500});
const QString kBlueEmpty = QStringLiteral("status blue ");
const QString kSwitchOn = QStringLiteral("status blue Switch on Kavoo");
const QString kEnterData = QStringLiteral("status blue Enter Data (Do not Reset hopper)");
const QString kSaveComplete = QStringLiteral("status blue Save complete");
const QString kChecksumError = QStringLiteral("status red Checksum Error,Reset hopper");
const QString kCommError = QStringLiteral("status red Comunication Error,Reset hopper");
const QString kSaveFailed = QStringLiteral("status red Save faild,Reset hopper");
const QString kNoResponse = QStringLiteral("status red No Response");
const QString kDataError = QStringLiteral("status red Data Error");
// "save" sends 1000 and 500 in the first two boxes: the lead byte, then every box high byte first.
const QStringList kSaveOps{
    "frame 83"
    "03e8"
    "01f4" +
        QString(56, QLatin1Char('0')),
    "arm response", "status blue Saving"};

// "save 1000,500": the boxes as typed, the rest "0".
ChannelTexts Boxes(const QString& values) {
  ChannelTexts texts;
  texts.fill("0");
  const QStringList parts = values.split(QLatin1Char(','));
  for (qsizetype i = 0; i < parts.size() && i < qsizetype(texts.size()); ++i)
    texts[std::size_t(i)] = parts[i].toStdString();
  return texts;
}

}  // namespace

class ReceiveMachineTest : public QObject {
  Q_OBJECT
 private slots:
  void dialogue_data() {
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("ops");
    QTest::addColumn<hopper::LinkState>("finalState");

    QTest::newRow("power-on report with matching checksum")
        << QStringList{"startup", Report(kExample)} << (QStringList{kSwitchOn, kBlueEmpty, "arm"} << Entries(kExample))
        << LinkState::AwaitSync;

    QTest::newRow("sync echo and ready prompt, repeated ready byte")
        << QStringList{"startup", Report(kExample), "hex 82", "hex 83", "hex 83"}
        << (QStringList{kSwitchOn, kBlueEmpty, "arm"} << Entries(kExample) << "send 82" << kEnterData << kEnterData)
        << LinkState::EnterData;

    QTest::newRow("bytes before the start byte are ignored")
        << QStringList{"startup", "hex 00FF82833B"} << QStringList{kSwitchOn} << LinkState::WaitStart;

    QTest::newRow("bytes while the state is 0 are ignored")
        << QStringList{Report(kExample), "hex 8283"} << QStringList{} << LinkState::None;

    QTest::newRow("0x3A inside header, info, data and checksum")
        << QStringList{"startup", "hex 3A3A3A023A3A" + Hex(BuildReadBackBlock(Coins({0x3A3A, 0x3A00, 0x8C00})))}
        << (QStringList{kSwitchOn, kBlueEmpty, "arm"} << Entries(Coins({0x3A3A, 0x3A00, 0x8C00})))
        << LinkState::AwaitSync;

    QTest::newRow("save acknowledged and read back silently")
        << QStringList{"startup", Report(kExample), "hex 82", "hex 83", "save", "hex 84", ReadBack(Coins({7}))}
        << (QStringList{kSwitchOn, kBlueEmpty, "arm"} << Entries(kExample) << "send 82" << kEnterData << kSaveOps
                                                      << kSaveComplete << Entries(Coins({7})))
        << LinkState::WaitStart;

    QTest::newRow("read-back with a bad checksum")
        << QStringList{"startup", "save", "hex 84" + Hex(EncodeDataBlock(kExample)) + "00" + "3A01"}
        << (QStringList{kSwitchOn} << kSaveOps << kSaveComplete << Entries(kExample) << kChecksumError << "drain")
        << LinkState::WaitStart;

    QTest::newRow("checksum error discards what is waiting")
        << QStringList{"startup", "hex 3A010201AA" + Hex(EncodeDataBlock(kExample)) + "E1" + "8283"}
        << (QStringList{kSwitchOn, kBlueEmpty, "arm"} << Entries(kExample) << kChecksumError << "drain")
        << LinkState::WaitStart;

    QTest::newRow("wrong byte instead of the sync byte")
        << QStringList{"startup", Report(kExample), "hex 8382"}
        << (QStringList{kSwitchOn, kBlueEmpty, "arm"} << Entries(kExample) << kCommError << "drain")
        << LinkState::WaitStart;

    QTest::newRow("new start byte while entering data")
        << QStringList{"startup", Report(kExample), "hex 82", "hex 3A0102"}
        << (QStringList{kSwitchOn, kBlueEmpty, "arm"} << Entries(kExample) << "send 82" << kCommError << "drain")
        << LinkState::WaitStart;

    QTest::newRow("wrong answer to a save")
        << QStringList{"startup", "save", "hex 85" + Hex(BuildReadBackBlock(kExample))}
        << (QStringList{kSwitchOn} << kSaveOps << kSaveFailed << "drain") << LinkState::WaitStart;

    QTest::newRow("save never answered: response watch")
        << QStringList{"startup", "save", "response"} << (QStringList{kSwitchOn} << kSaveOps << kNoResponse)
        << LinkState::AwaitSaveAck;

    QTest::newRow("late acknowledgement after the response watch")
        << QStringList{"startup", "save", "response", "hex 84"}
        << (QStringList{kSwitchOn} << kSaveOps << kNoResponse << kSaveComplete) << LinkState::Data;

    QTest::newRow("abandoned block keeps its entries, watch resets the link")
        << QStringList{"startup", "hex 3A010201AA03E801", "watch"}
        << QStringList{kSwitchOn, kBlueEmpty, "arm", "entry 0 1000", "receive-watch message"} << LinkState::WaitStart;

    QTest::newRow("checksum mismatch, then the watch still shows its message")
        << QStringList{"startup", "hex 3A010201AA" + Hex(EncodeDataBlock(kExample)) + "00", "watch"}
        << (QStringList{kSwitchOn, kBlueEmpty, "arm"} << Entries(kExample) << kChecksumError << "drain"
                                                      << "receive-watch message")
        << LinkState::WaitStart;

    QTest::newRow("report completed in time: watch is quiet")
        << QStringList{"startup", Report(kExample), "watch"}
        << (QStringList{kSwitchOn, kBlueEmpty, "arm"} << Entries(kExample)) << LinkState::AwaitSync;

    QTest::newRow("second power-on after a save does the handshake again")
        << QStringList{"startup", "save", "hex 84", ReadBack(kExample), Report(Coins({9})), "hex 82"}
        << (QStringList{kSwitchOn} << kSaveOps << kSaveComplete << Entries(kExample) << kBlueEmpty << "arm"
                                   << Entries(Coins({9})) << "send 82")
        << LinkState::EnterData;

    QTest::newRow("after the simulation window: next block is a read-back, a header clears that")
        << QStringList{"startup", "simClosed", Report(kExample)}
        << (QStringList{kSwitchOn, kBlueEmpty, "arm"} << Entries(kExample)) << LinkState::AwaitSync;

    QTest::newRow("info length 0: the length byte completes the header")
        << QStringList{"startup", Report(kExample, 0), "hex 82"}
        << (QStringList{kSwitchOn, kBlueEmpty, "arm"} << Entries(kExample) << "send 82") << LinkState::EnterData;

    QTest::newRow("info length 255") << QStringList{"startup", Report(kExample, 255)}
                                     << (QStringList{kSwitchOn, kBlueEmpty, "arm"} << Entries(kExample))
                                     << LinkState::AwaitSync;

    QTest::newRow("save in the middle of a report")
        << QStringList{"startup", "hex 3A010201AA03E8", "save", "hex 84" + Hex(BuildReadBackBlock(kExample))}
        << (QStringList{kSwitchOn, kBlueEmpty, "arm", "entry 0 1000"} << kSaveOps << kSaveComplete << Entries(kExample))
        << LinkState::WaitStart;

    QTest::newRow("save refused: a box above 65535 sends nothing")
        << QStringList{"startup", "save 1,65536"} << QStringList{kSwitchOn, kDataError, "refused Exceed the range at 1"}
        << LinkState::WaitStart;

    QTest::newRow("save refused: every box 0")
        << QStringList{"startup", "save 0"} << QStringList{kSwitchOn, kDataError, "refused Unavailable setting at 0"}
        << LinkState::WaitStart;

    QTest::newRow("save on a closed port sends nothing")
        << QStringList{"startup", "lineClosed", "save"} << QStringList{kSwitchOn, "port closed"}
        << LinkState::WaitStart;

    QTest::newRow("write failure during a save: reported once, the next report is handled in full")
        << QStringList{"startup", "writeFails", "save", Report(kExample), "hex 82"}
        << (QStringList{kSwitchOn, kSaveOps[0], kSaveFailed, "write failure", kBlueEmpty, "arm"} << Entries(kExample)
                                                                                                 << "send 82")
        << LinkState::EnterData;
  }

  void dialogue() {
    QFETCH(QStringList, steps);
    QFETCH(QStringList, ops);
    QFETCH(hopper::LinkState, finalState);

    RecordingHost host;
    ReceiveMachine machine(host);
    for (const QString& step : steps) {
      if (step.startsWith(QLatin1String("hex "))) {
        const QByteArray bytes = QByteArray::fromHex(step.mid(4).toLatin1());
        host.waiting.assign(bytes.begin(), bytes.end());
        while (!host.waiting.empty()) {
          const std::uint8_t b = host.waiting.front();
          host.waiting.pop_front();
          machine.Consume(b);
        }
      } else if (step == QLatin1String("startup")) {
        machine.StartUp();
      } else if (step.startsWith(QLatin1String("save"))) {
        const SaveOutcome outcome = machine.Save(Boxes(step.size() > 4 ? step.mid(5) : QStringLiteral("1000,500")));
        if (outcome.result == SaveResult::PortClosed) host.ops << QStringLiteral("port closed");
        if (!outcome.message.empty())
          host.ops << QStringLiteral("refused %1 at %2")
                          .arg(QString::fromLatin1(outcome.message.data(), qsizetype(outcome.message.size())))
                          .arg(outcome.focusChannel);
      } else if (step == QLatin1String("lineClosed")) {
        host.lineOpen = false;
      } else if (step == QLatin1String("writeFails")) {
        host.writeFails = true;
      } else if (step == QLatin1String("watch")) {
        if (machine.ReceiveWatchExpired()) host.ops << QStringLiteral("receive-watch message");
      } else if (step == QLatin1String("response")) {
        machine.ResponseWatchExpired();
      } else if (step == QLatin1String("simClosed")) {
        machine.PortReturned();
      } else {
        QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
      }
    }
    QCOMPARE(host.ops, ops);
    QCOMPARE(machine.State(), finalState);
  }

  void variablesNeverCountPast255() {
    RecordingHost host;
    ReceiveMachine machine(host);
    machine.StartUp();
    for (int round = 0; round < 3; ++round) {
      for (int b : {0x3A, 0x01, 0x02, 0xFF}) machine.Consume(std::uint8_t(b));
      for (int i = 0; i < 254; ++i) machine.Consume(0);
      QCOMPARE(machine.State(), LinkState::SkipInfo);
      QCOMPARE(int(machine.Variables().headerCount), 254);
      machine.Consume(0);
      QCOMPARE(machine.State(), LinkState::Data);
      for (int i = 0; i < 33; ++i) machine.Consume(0);  // all-zero block, checksum 0
      machine.Save(Boxes(QStringLiteral("1")));
      machine.Consume(0x84);
      for (int i = 0; i < 33; ++i) machine.Consume(0);
      QCOMPARE(machine.State(), LinkState::WaitStart);
    }
  }

  void saveAcknowledgedFlag() {
    RecordingHost host;
    ReceiveMachine machine(host);
    machine.StartUp();
    machine.Save(Boxes(QStringLiteral("1")));
    QVERIFY(!machine.Variables().saveAcknowledged);
    machine.Consume(0x84);
    QVERIFY(machine.Variables().saveAcknowledged);
    QVERIFY(machine.ResponseWatchExpired());
    QVERIFY(machine.AfterSave());
  }
};

QTEST_APPLESS_MAIN(ReceiveMachineTest)
#include "test_receive_machine.moc"
