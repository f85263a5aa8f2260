// The setting link without a window, as hopper-cli runs it: a pseudo-terminal hopper, the
// link's events read through the status-caption table, its watches, the hand-over and the
// read-back that follows it.

#include <QSignalSpy>
#include <QtTest>
#include <functional>

#include "core/link_captions.h"
#include "core/setting_frames.h"
#include "platform/serial/qt_serial_port.h"
#include "platform/serial/setting_link.h"
#include "pty_peer.h"

using namespace hopper;

namespace {

QByteArray Bytes(std::span<const std::uint8_t> bytes) {
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

// A link on the peer's device, and what the status line would say after each of its events.
struct LinkRig {
  test::PtyPeer peer;
  QTemporaryDir backups;
  SettingLink link;
  QStringList captions;
  QList<LinkEvent> events;

  LinkRig() : link(Port(peer.path())) {
    link.SetBackupStore(BackupStore(backups.path()));
    QObject::connect(&link, &SettingLink::Reported, [this](const LinkEvent& e) {
      events << e;
      if (const auto status = StatusCaptionFor(e))
        captions << (status->colour == StatusColour::Red ? "red " : "blue ") +
                        QString::fromUtf8(status->text.data(), qsizetype(status->text.size()));
    });
  }
  static std::unique_ptr<SerialPort> Port(const QString& device) {
    auto port = std::make_unique<QtSerialPort>();
    port->SetDevice(device);
    port->SetPortNumber(0);
    return port;
  }
  bool Has(LinkEventKind kind) const {
    return std::any_of(events.begin(), events.end(), [kind](const LinkEvent& e) { return e.kind == kind; });
  }
};

const CoinNumbers kCoins{1000, 500};

// Answers every question before a save with what `ask` says.
struct Asking : SaveQuestions {
  std::function<bool()> ask;
  bool SaveUnconfirmed(const std::vector<int>&) override { return ask(); }
  bool SaveWithoutBackup(const QString&) override { return ask(); }
};

}  // namespace

class LinkAloneTest : public QObject {
  Q_OBJECT
 private slots:
  void reportThenSaveWithoutAnswer() {
    LinkRig rig;
    QCOMPARE(rig.link.Open().result, OpenResult::Opened);
    rig.link.Start();
    const std::uint8_t info[] = {0x3A};
    QVERIFY(rig.peer.write(Bytes(BuildReportFrame(1, 2, info, kCoins)) + char(0x82)));
    QCOMPARE(rig.peer.waitForBytes(1), QByteArray(1, char(0x82)));  // the echo
    QVERIFY(rig.peer.write(QByteArray(1, char(0x83))));
    QTRY_COMPARE_WITH_TIMEOUT(rig.captions.size(), 3, 5000);
    QCOMPARE(rig.captions, (QStringList{"blue Switch on Kavoo", "blue ", "blue Enter Data (Do not Reset hopper)"}));
    QCOMPARE(rig.link.Held().Confirmed(), std::optional<CoinNumbers>(kCoins));

    ChannelTexts texts;
    texts.fill("0");
    texts[5] = "65535";
    QCOMPARE(rig.link.Save(texts).result, SaveResult::Sent);
    QVERIFY(rig.link.LastBackup().ok());  // what the hopper held, kept before it is overwritten
    QCOMPARE(rig.peer.waitForBytes(33).mid(11, 2), QByteArray::fromHex("ffff"));
    QTRY_VERIFY_WITH_TIMEOUT(rig.Has(LinkEventKind::ResponseWatchEnded), 5000);
    QCOMPARE(rig.captions.mid(3), (QStringList{"blue Saving", "red No Response"}));
    QCOMPARE(rig.link.Machine().State(), LinkState::AwaitSaveAck);
    QTRY_VERIFY_WITH_TIMEOUT(rig.link.LastVerdict(), 5000);
    QCOMPARE(rig.link.LastVerdict()->kind, VerdictKind::NoAcknowledgement);
  }

  // Bytes that come while a question before the save is open wait for its answer, then are
  // taken whole and in order, before the frame goes out (or the save is abandoned).
  void bytesDuringTheQuestionWaitForTheAnswer_data() {
    QTest::addColumn<bool>("answer");
    QTest::newRow("saved anyway") << true;
    QTest::newRow("kept back") << false;
  }
  void bytesDuringTheQuestionWaitForTheAnswer() {
    QFETCH(bool, answer);
    LinkRig rig;
    Asking questions;
    rig.link.SetQuestions(&questions);
    QCOMPARE(rig.link.Open().result, OpenResult::Opened);
    rig.link.Start();
    const std::uint8_t info[] = {0x3A};
    std::vector<std::uint8_t> report = BuildReportFrame(1, 2, info, kCoins);
    report.back() = std::uint8_t(report.back() + 1);  // spoilt: its values stay unconfirmed
    QVERIFY(rig.peer.write(Bytes(report)));
    QTRY_VERIFY_WITH_TIMEOUT(rig.Has(LinkEventKind::LinkError), 5000);
    qsizetype before = -1;
    questions.ask = [&] {
      before = rig.events.size();
      // A new report starts while the question is up.
      rig.peer.write(QByteArray::fromHex("3a0102"));
      return QTest::qWaitFor([&] { return rig.link.Port().BytesWaiting() >= 3; }, 5000) &&
             rig.events.size() == before && answer;
    };
    ChannelTexts texts;
    texts.fill("0");
    texts[0] = "7";
    const SaveOutcome outcome = rig.link.Save(texts);
    QVERIFY(before >= 0);
    QCOMPARE(outcome.result, answer ? SaveResult::Sent : SaveResult::Withheld);
    QList<LinkEventKind> after;
    for (qsizetype i = before; i < rig.events.size(); ++i) after << rig.events[i].kind;
    QList<LinkEventKind> expected{LinkEventKind::ReportStarted, LinkEventKind::HeaderByte, LinkEventKind::HeaderByte};
    if (answer) expected << LinkEventKind::SaveSent;
    QCOMPARE(after, expected);
  }

  // Handing the port over ends the report on its way; the block after the hand-back is a read-back.
  void handOverAndBack() {
    LinkRig rig;
    QCOMPARE(rig.link.Open().result, OpenResult::Opened);
    rig.link.Start();
    QVERIFY(
        rig.peer.write(QByteArray::fromHex("3a0102020a0b"
                                           "0005")));
    QTRY_COMPARE_WITH_TIMEOUT(rig.link.Machine().State(), LinkState::Data, 5000);
    rig.link.HandOver();
    QVERIFY(rig.link.HandedOver());
    QVERIFY(!rig.link.Port().IsOpen());
    rig.link.HandBack();
    QVERIFY(!rig.link.HandedOver());
    QVERIFY(rig.link.Machine().AfterSave());
    QCOMPARE(rig.link.Open().result, OpenResult::Opened);
    QVERIFY(!rig.link.findChild<QTimer*>("Timer3")->isActive());  // stopped with the hand-over
  }
};

QTEST_MAIN(LinkAloneTest)
#include "tst_link_alone.moc"
