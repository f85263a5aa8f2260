// The station window, headless: two emulated hoppers on pseudo-terminals, one whose read-back
// differs; each tile's verdict, colour, count and accessible name, and the set shown once.

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "platform/journal/journal.h"
#include "platform/journal/journal_database.h"
#include "platform/journal/journal_query.h"
#include "platform/journal/station_journal.h"
#include "settings_sandbox.h"
#include "tests/emulator/line_test_support.h"
#include "tools/emulator/hopper_emulator.h"
#include "tools/emulator/pty_channel.h"
#include "ui/station_tile.h"
#include "ui/station_window.h"

using namespace hopper;
using namespace hopper::emulator;

namespace {
constexpr int kWaitMs = 20000;

struct Hopper {
  explicit Hopper(const HopperConfig& config) {
    openError = line.Open();
    hopper = std::make_unique<HopperEmulator>(config, line, log.log);
    hopper->SetByteTimeUs(0);
    hopper->PowerOnWhenOpened(20);
  }
  test::MemoryLog log;
  PtyChannel line;
  QString openError;
  std::unique_ptr<HopperEmulator> hopper;
};

QString Text(const QWidget* tile, const char* label) {
  return tile->findChild<QLabel*>(QString::fromLatin1(label))->text();
}
}  // namespace

class StationWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void tilesShowEachPort();
  void passIsShownOnceTheEntryIsKept();
  void notStartedTilesSayWhyAndTheChoiceTriesAgain();
};

void StationWindowTest::tilesShowEachPort() {
  test::SettingsSandbox sandbox;
  HopperConfig differs;
  differs.faults.readBackChange = 0;
  Hopper good({});
  Hopper bad(differs);
  QVERIFY(good.openError.isEmpty() && bad.openError.isEmpty());
  ChannelTexts set;
  set.fill("0");
  set[0] = "1234";
  set[15] = "65535";
  StationWindow window(
      set, {{good.line.SlavePath(), good.line.SlavePath(), 0}, {bad.line.SlavePath(), bad.line.SlavePath(), 0}});
  window.show();
  QCOMPARE(window.Tile(0)->Verdict(), QStringLiteral("waiting"));
  QVERIFY(window.Start());

  QTRY_COMPARE_WITH_TIMEOUT(window.Tile(0)->Verdict(), QStringLiteral("PASS"), kWaitMs);
  QTRY_COMPARE_WITH_TIMEOUT(window.Tile(1)->Verdict(), QStringLiteral("FAIL"), kWaitMs);
  QVERIFY(window.Tile(0)->styleSheet().contains(QStringLiteral("#1b7f2a")));
  QVERIFY(window.Tile(1)->styleSheet().contains(QStringLiteral("#c62828")));
  QCOMPARE(Text(window.Tile(0), "counts"), QStringLiteral("1 passed · 0 failed"));
  QCOMPARE(Text(window.Tile(1), "counts"), QStringLiteral("0 passed · 1 failed"));
  QVERIFY(Text(window.Tile(1), "detail").contains(QStringLiteral("Channel1 sent 1234, the hopper holds 1235")));
  QCOMPARE(window.Tile(0)->accessibleName(), good.line.SlavePath() + QStringLiteral(": PASS"));
  QCOMPARE(window.Tile(0)->focusPolicy(), Qt::StrongFocus);
  const QString shown = window.findChild<QLabel*>(QStringLiteral("stationSet"))->text();
  // A pair never breaks at the line's end.
  QVERIFY(shown.contains(QStringLiteral("1:\u00a01234")) && shown.contains(QStringLiteral("16:\u00a065535")));

  // The focus shows: the tile with the focus is drawn otherwise than without it.
  QVERIFY(QTest::qWaitForWindowActive(&window));
  window.Tile(1)->setFocus(Qt::TabFocusReason);
  const QImage unfocused = window.Tile(0)->grab().toImage();
  window.Tile(0)->setFocus(Qt::TabFocusReason);
  QTRY_VERIFY_WITH_TIMEOUT(window.Tile(0)->hasFocus(), kWaitMs);
  QVERIFY(window.Tile(0)->grab().toImage() != unfocused);

  // The next hopper on the good port: the count goes on, the bad port is not held up by it.
  good.hopper->PowerOn();
  QTRY_COMPARE_WITH_TIMEOUT(Text(window.Tile(0), "counts"), QStringLiteral("2 passed · 0 failed"), kWaitMs);
  window.close();
}

// With a journal, a tile says PASS only once the unit's entry is in the local file.
void StationWindowTest::passIsShownOnceTheEntryIsKept() {
  test::SettingsSandbox sandbox;
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("journal.sqlite"));
  JournalSetup setup;
  setup.local = LocalJournal(file);
  Journal journal(setup);
  Hopper good({});
  QVERIFY(good.openError.isEmpty());
  ChannelTexts set;
  set.fill("0");
  set[0] = "7";
  StationWindow window(set, {{good.line.SlavePath(), good.line.SlavePath(), 0}});
  JournalStation(window.Stations(), journal, QStringLiteral("window"));
  window.ShowVerdictsOnceKept(journal);
  window.show();
  QVERIFY(window.Start());
  // What the tile shows, not the line's state behind it.
  QTRY_COMPARE_WITH_TIMEOUT(Text(window.Tile(0), "verdict"), QStringLiteral("PASS"), kWaitMs);
  JournalDatabase db(QStringLiteral("check"));
  QCOMPARE(db.Open(LocalJournal(file), JournalDatabase::Use::Read), QString());
  HistoryFilter verified;
  verified.result = JournalResult::Verified;
  QString why;
  QCOMPARE(ReadHistory(db.Database(), verified, 10, 0, &why).size(), std::size_t(1));
  QCOMPARE(why, QString());
  window.close();
}

void StationWindowTest::notStartedTilesSayWhyAndTheChoiceTriesAgain() {
  test::SettingsSandbox sandbox;
  Hopper good({});
  Hopper late({});
  QVERIFY(good.openError.isEmpty() && late.openError.isEmpty());
  QTemporaryDir dir;
  const QString missing = dir.filePath(QStringLiteral("ttyUSB7"));  // not plugged in yet
  ChannelTexts set;
  set.fill("1");
  StationWindow window(set, {{good.line.SlavePath(), good.line.SlavePath(), 0}, {missing, missing, 0}});
  window.show();
  QVERIFY(!window.Start());
  for (int i : {0, 1}) QCOMPARE(window.Tile(i)->Verdict(), QStringLiteral("not started"));
  QVERIFY(Text(window.Tile(1), "detail").contains(missing + QStringLiteral(" could not be opened")));
  QVERIFY(Text(window.Tile(0), "detail").contains(QStringLiteral("another port could not be opened")));
  QVERIFY(window.Tile(1)->accessibleName().endsWith(QStringLiteral(": not started")));
  auto* again = window.findChild<QPushButton*>(QStringLiteral("chooseAgainButton"));
  QVERIFY(again && again->isVisible());

  QVERIFY(QFile::link(late.line.SlavePath(), missing));  // the adapter is plugged in
  again->click();
  for (int i : {0, 1}) QCOMPARE(window.Tile(i)->Verdict(), QStringLiteral("waiting"));
  QVERIFY(!again->isVisible());
  QTRY_COMPARE_WITH_TIMEOUT(window.Tile(1)->Verdict(), QStringLiteral("PASS"), kWaitMs);
  window.close();
}

QTEST_MAIN(StationWindowTest)
#include "tst_station_window.moc"
