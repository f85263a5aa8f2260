// One save, from the bytes on the line and the watch's firing to its one verdict: the receive
// machine takes the bytes, the judge takes the machine's facts, as the setting link joins them.
#include <QtTest>

#include "core/receive_machine.h"
#include "core/save_check.h"
#include "core/save_judge.h"

using namespace hopper;

namespace {

class JudgedLink : public LinkHost, public JudgeHost {
 public:
  void OnLinkEvent(const LinkEvent& event) override { judge.Take(event); }
  void SendByte(std::uint8_t) override {}
  bool LineOpen() const override { return true; }
  bool SendFrame(std::span<const std::uint8_t>) override { return !writeFails; }
  void ArmReceiveWatch() override {}
  void ArmResponseWatch() override {}
  void DrainInput() override { drained = true; }
  void ArmVerdictDeadline(int ms) override { deadlines << ms; }
  void VerdictReached(const Verdict& verdict) override { verdicts.push_back(verdict); }

  SaveJudge judge{*this};
  ReceiveMachine machine{*this};
  QList<int> deadlines;
  std::vector<Verdict> verdicts;
  bool writeFails = false;
  bool drained = false;
};

// "5 6" → 5, 6 and fourteen 0.
CoinNumbers Set(const QString& words) {
  CoinNumbers coins{};
  const QStringList list = words.split(' ', Qt::SkipEmptyParts);
  for (qsizetype i = 0; i < list.size(); ++i) coins[std::size_t(i)] = std::uint16_t(list[i].toUInt());
  return coins;
}

}  // namespace

class SaveJudgeTest : public QObject {
  Q_OBJECT
 private slots:
  void verdicts_data() {
    // Steps after a save of 5 6 from EnterData: "ack" (0x84), "byte XX", "readback v1 v2 ..."
    // (the block and its checksum), "bad readback ...", "cut N" (N bytes of a read-back),
    // "deadline", "lost", "stop", and "writefails" before the save.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");

    QTest::newRow("verified") << QStringList{"ack", "readback 5 6", "deadline"} << "verified"
                              << "Verified: the hopper holds exactly what was sent.";
    QTest::newRow("differs, with both values")
        << QStringList{"ack", "readback 5 7"} << "differs"
        << "Not as sent: the hopper holds other values in 1 channel (Channel2 sent 6, hopper holds 7).";
    QTest::newRow("no acknowledgement") << QStringList{"deadline", "ack", "readback 5 6"} << "no-acknowledgement"
                                        << "Not verified: the hopper did not acknowledge the save within 1000 ms.";
    QTest::newRow("wrong acknowledgement")
        << QStringList{"byte 85"} << "wrong-acknowledgement"
        << "Not verified: the hopper answered 0x85 instead of acknowledging the save.";
    QTest::newRow("read-back never came")
        << QStringList{"ack", "deadline"} << "read-back-cut"
        << "Not verified: the hopper acknowledged the save, but no read-back came within 1000 ms.";
    QTest::newRow("read-back cut part-way")
        << QStringList{"ack", "cut 7", "deadline"} << "read-back-cut"
        << "Not verified: the hopper acknowledged the save, but its read-back stopped after 7 of 33 bytes.";
    QTest::newRow("read-back late: judged at the deadline, the late block changes nothing")
        << QStringList{"ack", "deadline", "readback 5 6"} << "read-back-cut"
        << "Not verified: the hopper acknowledged the save, but no read-back came within 1000 ms.";
    QTest::newRow("read-back checksum") << QStringList{"ack", "bad readback 5 6"} << "read-back-checksum"
                                        << "Not verified: the read-back's checksum did not match.";
    QTest::newRow("new report instead")
        << QStringList{"byte 3A"} << "new-report-instead"
        << "Not verified: the hopper started a new report instead of acknowledging the save.";
    QTest::newRow("write failed") << QStringList{"writefails"} << "write-failed"
                                  << "Not verified: the port did not take the whole save frame.";
    QTest::newRow("port lost after the acknowledgement")
        << QStringList{"ack", "cut 3", "lost", "deadline"} << "port-lost"
        << "Not verified: the port went away before the save was checked.";
    QTest::newRow("interrupted") << QStringList{"stop", "ack"} << "interrupted"
                                 << "Not verified: stopped before the save was checked.";
  }

  void verdicts() {
    QFETCH(QStringList, steps);
    QFETCH(QString, kind);
    QFETCH(QString, text);
    JudgedLink link;
    link.machine.StartUp();
    link.writeFails = steps.contains("writefails");
    QCOMPARE(link.machine.Save(TextsOf(Set("5 6"))).result,
             link.writeFails ? SaveResult::WriteFailed : SaveResult::Sent);
    QCOMPARE(link.deadlines, link.writeFails ? QList<int>{} : QList<int>{1000});
    for (const QString& step : steps) {
      QStringList words = step.split(' ');
      const bool bad = words[0] == "bad";
      if (bad) words.removeFirst();
      if (words[0] == "ack") link.machine.Consume(kSaveAckByte);
      if (words[0] == "byte") link.machine.Consume(std::uint8_t(words[1].toUInt(nullptr, 16)));
      if (words[0] == "readback" || words[0] == "cut") {
        ReadBackBlock block = BuildReadBackBlock(Set(words.mid(1).join(' ')));
        if (bad) block.back() = std::uint8_t(block.back() + 1);
        const std::size_t count = words[0] == "cut" ? words[1].toUInt() : block.size();
        for (std::size_t i = 0; i < count; ++i) link.machine.Consume(block[i]);
      }
      if (words[0] == "deadline") link.judge.DeadlineReached();
      if (words[0] == "lost") link.judge.PortLost();
      if (words[0] == "stop") link.judge.Interrupted();
    }
    QCOMPARE(link.verdicts.size(), std::size_t(1));
    const Verdict& verdict = link.verdicts.front();
    QCOMPARE(QString::fromUtf8(VerdictName(verdict.kind).data()), kind);
    QCOMPARE(QString::fromStdString(VerdictText(verdict)), text);
    QCOMPARE(verdict.sent, Set("5 6"));
    QCOMPARE(VerdictNamed(VerdictName(verdict.kind)), std::optional<VerdictKind>(verdict.kind));
    QVERIFY(!link.judge.Open());
  }

  void nextSaveClosesAnOpenOne() {
    JudgedLink link;
    link.machine.StartUp();
    link.machine.Save(TextsOf(Set("5")));
    link.machine.Save(TextsOf(Set("6")));
    QCOMPARE(link.verdicts.size(), std::size_t(1));
    QCOMPARE(link.verdicts[0].kind, VerdictKind::Interrupted);
    QVERIFY(link.judge.Open());
  }
};

QTEST_APPLESS_MAIN(SaveJudgeTest)
#include "test_save_judge.moc"
