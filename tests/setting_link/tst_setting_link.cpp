// The setting link through the real main window and a pseudo-terminal hopper: the power-on
// report, the sync handshake, the Save transaction and the two watches.

#include <QAction>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

#include "core/link_captions.h"
#include "core/receive_machine.h"
#include "core/save_check.h"
#include "main_window_rig.h"
#include "settings_sandbox.h"
#include "ui/channel_box.h"

using namespace hopper;
using namespace hopper::test;
using test::Bytes;
using test::kBlue;
using test::kRed;
using test::MainWindowRig;

namespace {

CoinNumbers Coins(std::uint16_t first, std::uint16_t step) {
  CoinNumbers coins{};
  for (std::size_t i = 0; i < coins.size(); ++i) coins[i] = static_cast<std::uint16_t>(first + step * i);
  return coins;
}

QByteArray Report(const CoinNumbers& coins) {
  const std::uint8_t info[] = {0x10, 0x20, 0x3A};  // an info byte equal to the start byte is just info
  return Bytes(BuildReportFrame(0x01, 0x02, info, coins));
}

bool InputsLocked(const MainWindow& w) {
  if (SaveButton(w)->isEnabled() || ExitButton(w)->isEnabled()) return false;
  for (const ChannelBox* box : ChannelBoxes(w))
    if (!box->isReadOnly()) return false;
  return true;
}

bool InputsFree(const MainWindow& w) {
  if (!SaveButton(w)->isEnabled() || !ExitButton(w)->isEnabled()) return false;
  for (const ChannelBox* box : ChannelBoxes(w))
    if (box->isReadOnly()) return false;
  return true;
}

}  // namespace

class SettingLinkTest : public QObject {
  Q_OBJECT
 private:
  std::unique_ptr<test::SettingsSandbox> sandbox_;

  // Power-on report, sync and ready: the window waits for the technician's entries.
  static void BringToEnterData(MainWindowRig& rig, const CoinNumbers& coins) {
    QVERIFY(rig.StartAndShow());
    QVERIFY(rig.peer.write(Report(coins)));
    QTRY_COMPARE_WITH_TIMEOUT(rig.window->Link().State(), LinkState::AwaitSync, 5000);
    QVERIFY(rig.peer.write(QByteArray(1, char(0x82))));
    QCOMPARE(rig.peer.waitForBytes(1), QByteArray(1, char(0x82)));
    QVERIFY(rig.peer.write(QByteArray(1, char(0x83))));
    QTRY_COMPARE_WITH_TIMEOUT(StatusLine(*rig.window)->text(), QStringLiteral("Enter Data (Do not Reset hopper)"),
                              5000);
  }

 private slots:
  void initTestCase() { sandbox_ = std::make_unique<test::SettingsSandbox>(); }
  void init() { QFile::remove(SettingsStore::FilePath()); }

  void powerOnReportFillsBoxesAndEchoesSync() {
    MainWindowRig rig;
    QVERIFY(rig.StartAndShow());
    const CoinNumbers coins = Coins(100, 1001);
    QVERIFY(rig.peer.write(Report(coins)));
    QTRY_COMPARE_WITH_TIMEOUT(rig.window->Link().State(), LinkState::AwaitSync, 5000);
    for (int i = 0; i < kChannelCount; ++i) QCOMPARE(rig.Entry(i), QString::number(coins[static_cast<std::size_t>(i)]));
    QCOMPARE(StatusLine(*rig.window)->text(), QString());  // the start byte cleared the prompt
    QCOMPARE(test::StatusColourOf(*rig.window), kBlue);
    QVERIFY(ReceiveWatch(*rig.window)->isActive());  // the header armed the receive watch
    QVERIFY(rig.messages.shown.isEmpty());           // the coin numbers are digits: no entry message

    QVERIFY(rig.peer.write(QByteArray(1, char(0x82))));
    QCOMPARE(rig.peer.waitForBytes(1), QByteArray(1, char(0x82)));
    QVERIFY(rig.peer.write(QByteArray(1, char(0x83))));
    QTRY_COMPARE_WITH_TIMEOUT(StatusLine(*rig.window)->text(), QStringLiteral("Enter Data (Do not Reset hopper)"),
                              5000);
    QCOMPARE(test::StatusColourOf(*rig.window), kBlue);
    QVERIFY(test::CaptionFits(StatusLine(*rig.window)));  // the longest caption, not cut off
    QCOMPARE(rig.window->Link().State(), LinkState::EnterData);

    // The report arrived within the watch: when it fires it says nothing.
    QTRY_VERIFY_WITH_TIMEOUT(!ReceiveWatch(*rig.window)->isActive(), 5000);
    QVERIFY(rig.messages.shown.isEmpty());
  }

  void saveSendsFrameAndReadBackRefreshes() {
    MainWindowRig rig;
    BringToEnterData(rig, Coins(1, 1));
    rig.window->SetEntryText(0, QStringLiteral("1000"));
    rig.window->SetEntryText(1, QStringLiteral("500"));
    for (int i = 2; i < kChannelCount; ++i) rig.window->SetEntryText(i, QStringLiteral("0"));

    QTest::mouseClick(SaveButton(*rig.window), Qt::LeftButton);
    QVERIFY(InputsLocked(*rig.window));
    QCOMPARE(StatusLine(*rig.window)->text(), QStringLiteral("Saving"));
    QCOMPARE(rig.window->Link().State(), LinkState::AwaitSaveAck);
    QVERIFY(rig.window->Link().AfterSave());
    QVERIFY(ResponseWatch(*rig.window)->isActive());
    CoinNumbers expected{};
    expected[0] = 1000;
    expected[1] = 500;
    const QByteArray frame = rig.peer.waitForBytes(33);
    QCOMPARE(frame, Bytes(BuildSaveFrame(expected)));
    QCOMPARE(frame.left(5), QByteArray::fromHex("8303e801f4"));

    QVERIFY(rig.peer.write(QByteArray(1, char(0x84))));
    QTRY_COMPARE_WITH_TIMEOUT(StatusLine(*rig.window)->text(), QStringLiteral("Save complete"), 5000);
    const CoinNumbers stored = Coins(7, 3);
    QVERIFY(rig.peer.write(Bytes(BuildReadBackBlock(stored))));
    QTRY_COMPARE_WITH_TIMEOUT(rig.window->Link().State(), LinkState::WaitStart, 5000);
    for (int i = 0; i < kChannelCount; ++i)
      QCOMPARE(rig.Entry(i), QString::number(stored[static_cast<std::size_t>(i)]));
    QVERIFY(InputsLocked(*rig.window));  // until the response watch ends the save

    QTRY_VERIFY_WITH_TIMEOUT(InputsFree(*rig.window), 5000);
    // A read-back unlike what was sent is not passed off as a plain success.
    QCOMPARE(StatusLine(*rig.window)->text(), QStringLiteral("Save complete, 16 channels differ"));
    QCOMPARE(test::StatusColourOf(*rig.window), kRed);
    QCOMPARE(ChannelBoxAt(*rig.window, 1)->toolTip(), QStringLiteral("sent 500, hopper holds 10"));
    QVERIFY(rig.messages.shown.isEmpty());
  }

  void saveWithoutAnswerShowsNoResponse() {
    MainWindowRig rig;
    QVERIFY(rig.StartAndShow());
    rig.window->SetEntryText(5, QStringLiteral("65535"));
    QTest::mouseClick(SaveButton(*rig.window), Qt::LeftButton);
    QCOMPARE(rig.peer.waitForBytes(33).mid(11, 2), QByteArray::fromHex("ffff"));
    QTRY_VERIFY_WITH_TIMEOUT(InputsFree(*rig.window), 5000);
    QCOMPARE(StatusLine(*rig.window)->text(), QStringLiteral("No Response"));
    QCOMPARE(test::StatusColourOf(*rig.window), kRed);
    QCOMPARE(rig.window->Link().State(), LinkState::AwaitSaveAck);
  }

  void reportCutAfterHeaderShowsReceiveWatchMessage() {
    MainWindowRig rig;
    QVERIFY(rig.StartAndShow());
    QVERIFY(
        rig.peer.write(QByteArray::fromHex("3a0102020a0b"
                                           "0005"
                                           "00")));
    QTRY_COMPARE_WITH_TIMEOUT(rig.Entry(0), QStringLiteral("5"), 5000);
    QVERIFY(ReceiveWatch(*rig.window)->isActive());
    QTRY_COMPARE_WITH_TIMEOUT(rig.messages.shown.size(), 1, 5000);
    const Message& message = rig.messages.shown.first();
    QCOMPARE(message.text, QStringLiteral("Receive Error perhaps incorrect interface\r"
                                          "switch to Vorn interface then Restart Hopper"));
    QCOMPARE(message.icon, MessageIcon::Exclamation);
    QVERIFY(message.title.isEmpty());  // the application title
    QCOMPARE(rig.window->Link().State(), LinkState::WaitStart);
    QCOMPARE(rig.Entry(0), QStringLiteral("5"));  // what the abandoned block wrote stays
  }

  // Cut-off reports in a row while the box is up add no second box.
  void receiveWatchShowsOneBoxAtATime() {
    MainWindowRig rig;
    QVERIFY(rig.StartAndShow());
    const QByteArray cutReport = QByteArray::fromHex(
        "3a0102020a0b"
        "0005"
        "00");
    rig.messages.whileShown = [&](const Message&) {
      rig.messages.whileShown = nullptr;
      QVERIFY(rig.peer.write(cutReport));
      QTRY_VERIFY_WITH_TIMEOUT(ReceiveWatch(*rig.window)->isActive(), 5000);
      QTRY_VERIFY_WITH_TIMEOUT(!ReceiveWatch(*rig.window)->isActive(), 5000);
    };
    QVERIFY(rig.peer.write(cutReport));
    QTRY_VERIFY_WITH_TIMEOUT(!rig.messages.shown.isEmpty() && !rig.messages.whileShown, 5000);
    QCOMPARE(rig.messages.shown.size(), 1);
  }

  // Handing the port over ends the report on its way: no box opens over the simulation window.
  void handOverStopsTheReceiveWatch() {
    MainWindowRig rig;
    QVERIFY(rig.StartAndShow());
    QVERIFY(
        rig.peer.write(QByteArray::fromHex("3a0102020a0b"
                                           "0005")));
    QTRY_VERIFY_WITH_TIMEOUT(ReceiveWatch(*rig.window)->isActive(), 5000);
    SimulationAction(*rig.window)->trigger();
    QVERIFY(!ReceiveWatch(*rig.window)->isActive());
    QVERIFY(rig.messages.shown.isEmpty());
  }

  void refusedSaveFocusesChannel_data() {
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("focus");
    QStringList empty(kChannelCount, QString());
    QStringList zeros(kChannelCount, QStringLiteral("0"));
    QStringList third = zeros;
    third[2] = QStringLiteral("65536");
    QStringList twoOver = zeros;
    twoOver[0] = QStringLiteral("5");
    twoOver[4] = QStringLiteral("99999");
    twoOver[8] = QStringLiteral("70000");
    QTest::newRow("all empty") << empty << QStringLiteral("Unavailable setting") << 0;
    QTest::newRow("all zero") << zeros << QStringLiteral("Unavailable setting") << 0;
    QTest::newRow("range before all-zero") << third << QStringLiteral("Exceed the range") << 2;
    QTest::newRow("first of two out of range") << twoOver << QStringLiteral("Exceed the range") << 4;
  }
  void refusedSaveFocusesChannel() {
    QFETCH(QStringList, entries);
    QFETCH(QString, message);
    QFETCH(int, focus);
    MainWindowRig rig;
    QVERIFY(rig.StartAndShow());
    for (int i = 0; i < kChannelCount; ++i) rig.window->SetEntryText(i, entries[i]);

    QTest::mouseClick(SaveButton(*rig.window), Qt::LeftButton);
    QCOMPARE(rig.messages.Texts(), QStringList{message});
    QCOMPARE(rig.messages.shown.first().icon, MessageIcon::Exclamation);
    QCOMPARE(StatusLine(*rig.window)->text(), QStringLiteral("Data Error"));
    QCOMPARE(test::StatusColourOf(*rig.window), kRed);
    QVERIFY(InputsFree(*rig.window));
    QCOMPARE(QApplication::focusWidget(), ChannelBoxAt(*rig.window, focus));
    QCOMPARE(ChannelBoxAt(*rig.window, focus)->selectedText(), entries[focus]);
    QCOMPARE(rig.window->Link().State(), LinkState::WaitStart);
    QVERIFY(!ResponseWatch(*rig.window)->isActive());

    // Nothing went out: the next bytes the hopper sees are those of a valid save.
    for (int i = 0; i < kChannelCount; ++i) rig.window->SetEntryText(i, QStringLiteral("1"));
    QTest::mouseClick(SaveButton(*rig.window), Qt::LeftButton);
    CoinNumbers ones{};
    ones.fill(1);
    QCOMPARE(rig.peer.waitForBytes(33), Bytes(BuildSaveFrame(ones)));
  }
};

QTEST_MAIN(SettingLinkTest)
#include "tst_setting_link.moc"
