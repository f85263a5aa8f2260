// What a technician hands over, on the windows: the unit named by Parameter > Unit… or by a
// scan typed at a scanner's pace (never into a box), the set before the last save put back,
// Compare with its ticked values put into the boxes, and History's CSV export and report.
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QtTest>

#include "core/save_check.h"
#include "main_window_rig.h"
#include "platform/files/backup_store.h"
#include "platform/journal/journal.h"
#include "platform/journal/journal_csv.h"
#include "platform/journal/journal_database.h"
#include "platform/journal/journal_query.h"
#include "scripted_file_dialog.h"
#include "settings_sandbox.h"
#include "ui/compare_window.h"
#include "ui/history_model.h"
#include "ui/history_window.h"
#include "ui/scan_catcher.h"

using namespace hopper;

namespace {
constexpr int kWaitMs = 10000;
const CoinNumbers kReported{1000, 500, 250};

// The hopper's power-on report, up to "Enter Data".
void Report(test::MainWindowRig& rig) {
  rig.peer.write(test::Bytes(BuildReportFrame(1, 0x10, std::vector<std::uint8_t>{0xAB}, kReported)) + "\x82");
  QCOMPARE(rig.peer.waitForBytes(1, kWaitMs), QByteArray("\x82"));
  rig.peer.write("\x83");
  QTRY_COMPARE_WITH_TIMEOUT(test::StatusLine(*rig.window)->text(), QStringLiteral("Enter Data (Do not Reset hopper)"),
                            kWaitMs);
}

QString Texts(const MainWindow& w) {
  QStringList texts;
  for (int i = 0; i < kChannelCount; ++i) texts << w.EntryText(i);
  return texts.join(QLatin1Char(' '));
}
}  // namespace

class RecordsWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { sandbox_ = std::make_unique<test::SettingsSandbox>(); }

  void unitFromTheMenuGoesIntoTitleAndJournal() {
    const QString file = sandbox_->path() + QStringLiteral("/unit.sqlite");
    {
      test::MainWindowRig rig;
      JournalSetup setup;
      setup.local = LocalJournal(file);
      Journal journal(setup);
      rig.window->AttachJournal(journal);
      QVERIFY(rig.StartAndShow());
      QTest::keyClick(rig.window.get(), Qt::Key_U, Qt::ControlModifier);
      QLineEdit* edit = nullptr;
      QTRY_VERIFY_WITH_TIMEOUT((edit = rig.window->findChild<QLineEdit*>(QStringLiteral("unitEdit"))), kWaitMs);
      QTRY_VERIFY_WITH_TIMEOUT(edit->hasFocus(), kWaitMs);
      QTest::keyClicks(edit, QStringLiteral("HX-2031"));
      QTest::keyClick(edit, Qt::Key_Return);
      QTRY_COMPARE_WITH_TIMEOUT(rig.window->windowTitle(), QStringLiteral("Hopper Setting Tool - HX-2031"), kWaitMs);
      Report(rig);
    }
    JournalDatabase db(QStringLiteral("unit"));
    QCOMPARE(db.Open(LocalJournal(file)), QString());
    const std::vector<JournalEntry> entries = ReadHistory(db.Database(), {}, 10, 0);
    QCOMPARE(entries.size(), std::size_t(1));
    QCOMPARE(entries[0].unit, QStringLiteral("HX-2031"));
  }

  void scanGoesToTheUnit_data() {
    QTest::addColumn<int>("gapMs");
    QTest::addColumn<bool>("onSave");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("box");  // Channel3 afterwards
    QTest::newRow("scanner into a box") << 4 << false << "HX-2031"
                                        << "HX-2031"
                                        << "";
    QTest::newRow("digits-only serial") << 4 << false << "20391234"
                                        << "20391234"
                                        << "";
    QTest::newRow("scanner onto Save, with a space") << 4 << true << "AB 12 CD"
                                                     << "AB 12 CD"
                                                     << "";
    QTest::newRow("a hand's pace stays in the box") << 250 << false << "1234" << QString() << "1234";
    QTest::newRow("quick but short is typing") << 4 << false << "12" << QString() << "12";
  }
  void scanGoesToTheUnit() {
    QFETCH(int, gapMs);
    QFETCH(bool, onSave);
    QFETCH(QString, typed);
    QFETCH(QString, unit);
    QFETCH(QString, box);
    test::MainWindowRig rig;
    QVERIFY(rig.StartAndShow());
    qint64 now = 1000;
    auto* scans = rig.window->findChild<ScanCatcher*>();
    QVERIFY(scans);
    scans->SetClock([&now] { return now; });
    rig.window->SetEntryText(2, QString());
    QStringList expected = Texts(*rig.window).split(QLatin1Char(' '));
    expected[2] = box;
    QWidget* target =
        onSave ? static_cast<QWidget*>(test::SaveButton(*rig.window)) : test::ChannelBoxAt(*rig.window, 2);
    target->setFocus();
    QTRY_VERIFY_WITH_TIMEOUT(target->hasFocus(), kWaitMs);
    for (const QChar c : typed) {
      now += gapMs;
      QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    }
    now += gapMs;
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(rig.window->Unit(), unit);
    QCOMPARE(rig.Entry(2), box);
    QCOMPARE(Texts(*rig.window), expected.join(QLatin1Char(' ')));
    if (!unit.isEmpty()) QCOMPARE(rig.window->windowTitle(), QStringLiteral("Hopper Setting Tool - ") + unit);
    // A scan pressed nothing: Save would have locked the boxes and sent its frame.
    QVERIFY(test::SaveButton(*rig.window)->isEnabled());
  }

  void putBackTheSetBeforeTheLastSave() {
    QTemporaryDir folder;
    const BackupStore store(folder.path());
    test::MainWindowRig rig;
    rig.window->SetBackupStore(store);
    QVERIFY(rig.StartAndShow());
    rig.window->PutBackLastSet();
    QCOMPARE(rig.messages.Texts(), QStringList{"There is no set to put back."});

    CoinNumbers mine{}, other{};
    mine.fill(11);
    other.fill(22);
    const QDateTime t = QDateTime::currentDateTime();
    QVERIFY(store.Write(TextsOf(mine), QStringLiteral("COM1"), t.addSecs(-10)).ok());
    QVERIFY(store.Write(TextsOf(other), QStringLiteral("COM11"), t).ok());  // another port's, newer
    Report(rig);
    rig.window->SetEntryText(0, QStringLiteral("7"));  // an edit not saved yet
    rig.messages.answer = false;
    rig.window->PutBackLastSet();
    QCOMPARE(rig.messages.asked.size(), 1);
    QCOMPARE(rig.Entry(0), QStringLiteral("7"));
    rig.messages.answer = true;
    rig.window->PutBackLastSet();
    QCOMPARE(Texts(*rig.window), QStringLiteral("11 ").repeated(16).trimmed());
    // Put back as typed values: marked as changed against the hopper's report, for Save.
    QCOMPARE(test::ChannelBoxAt(*rig.window, 0)->Mark(), ChannelMark::Changed);
  }

  void compareAndPutTheTickedValues() {
    QTemporaryDir folder;
    test::MainWindowRig rig;
    rig.window->SetBackupStore(BackupStore(folder.path()));
    QVERIFY(rig.StartAndShow());
    Report(rig);
    rig.window->SetEntryText(2, QStringLiteral("260"));
    rig.window->SetEntryText(5, QStringLiteral("9"));
    ScriptedFileDialog dialog;
    CompareWindow compare(*rig.window, dialog, rig.messages);
    compare.Open();
    auto* table = compare.findChild<QTableWidget*>(QStringLiteral("compareTable"));
    auto* takeFrom = compare.findChild<QComboBox*>(QStringLiteral("takeFrom"));
    QVERIFY(table && takeFrom);
    const auto differs = [table](int channel) {
      return table->item(channel, table->columnCount() - 1)->text() == QStringLiteral("differs");
    };
    QCOMPARE(takeFrom->count(), 2);  // the report and the boxes; no backup yet
    for (int i = 0; i < kChannelCount; ++i) QCOMPARE(differs(i), i == 2 || i == 5);

    const QString file = folder.filePath(QStringLiteral("set.TXT"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(" 1000\r\n 500\r\n 250\r\n 0\r\n 1\r\n");
    f.close();
    dialog.Answer(file);
    compare.findChild<QPushButton*>(QStringLiteral("addFileButton"))->click();
    QCOMPARE(takeFrom->count(), 3);
    QVERIFY(differs(4));

    // Channel3 back to the report's value; Channel6 left as typed.
    table->item(5, 0)->setCheckState(Qt::Unchecked);
    takeFrom->setCurrentIndex(0);
    compare.findChild<QPushButton*>(QStringLiteral("putTickedButton"))->click();
    QCOMPARE(rig.Entry(2), QStringLiteral("250"));
    QCOMPARE(rig.Entry(5), QStringLiteral("9"));
    QVERIFY(!differs(2));
  }

  void historyExportsCsvAndWritesTheReport() {
    const QString file = sandbox_->path() + QStringLiteral("/history-records.sqlite");
    {
      JournalDatabase db(QStringLiteral("made"));
      QCOMPARE(db.Open(LocalJournal(file)), QString());
      for (const QString& unit : {QStringLiteral("HX-1"), QStringLiteral("HX-2"), QStringLiteral("HX-1")}) {
        JournalEntry e = NewJournalEntry();
        e.unit = unit;
        e.port = QStringLiteral("COM1");
        e.reported = kReported;
        QCOMPARE(db.Add(e), QString());
      }
    }
    RecordingMessageBoxes messages;
    ScriptedFileDialog dialog;
    HistoryWindow history(LocalJournal(file), dialog, messages);
    history.Open();
    auto* unit = history.findChild<QLineEdit*>(QStringLiteral("unitFilter"));
    unit->setText(QStringLiteral("HX-1"));
    emit unit->editingFinished();
    QTRY_COMPARE(history.Model().rowCount(), 2);

    QTemporaryDir out;
    dialog.Answer(out.filePath(QStringLiteral("rows.csv")));
    auto* csvButton = history.findChild<QPushButton*>(QStringLiteral("csvButton"));
    csvButton->click();
    // Written on the reader's thread: the button is back once the file is complete.
    QTRY_VERIFY(csvButton->isEnabled());
    QFile csv(out.filePath(QStringLiteral("rows.csv")));
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QByteArray rows = csv.readAll();
    QVERIFY(rows.startsWith(CsvHead()));
    QCOMPARE(rows.count("\r\n"), 3);  // the names and the two filtered entries
    QCOMPARE(rows.count(",HX-1,"), 2);

    history.findChild<QTableView*>(QStringLiteral("historyTable"))->selectAll();
    dialog.Answer(out.filePath(QStringLiteral("visit.pdf")));
    history.findChild<QPushButton*>(QStringLiteral("reportButton"))->click();
    QFile pdf(out.filePath(QStringLiteral("visit.pdf")));
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.readAll().startsWith("%PDF"));

    // A place that cannot be written: a clear message, nothing left behind.
    dialog.Answer(out.path());
    csvButton->click();
    QTRY_COMPARE(messages.Texts(), QStringList{"The CSV file could not be written."});
    QCOMPARE(QDir(out.path()).entryList(QDir::Files).size(), 2);
  }

 private:
  std::unique_ptr<test::SettingsSandbox> sandbox_;
};

QTEST_MAIN(RecordsWindowTest)
#include "tst_records_window.moc"
