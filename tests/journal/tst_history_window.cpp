// The journal on the main window: a save's entry with its three sets and its result, the quiet
// mark while entries wait, and Parameter > History… showing it, loading it into the boxes and
// saving it as a parameter file, by keyboard; a locked shared journal that holds up neither the
// window nor its link.
#include <QLabel>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QtTest>

#include "fake_serial_port.h"
#include "main_window_rig.h"
#include "pg_cluster.h"
#include "platform/journal/journal.h"
#include "platform/journal/journal_database.h"
#include "platform/journal/journal_query.h"
#include "scripted_file_dialog.h"
#include "settings_sandbox.h"
#include "ui/history_model.h"
#include "ui/history_window.h"

using namespace hopper;

namespace {
constexpr int kWaitMs = 10000;
const CoinNumbers kReported{1000, 500, 250};

// Report, sync and ready from the peer, Save on the window, then the acknowledgement and the
// read-back of what was sent.
void SaveThroughTheWindow(test::MainWindowRig& rig, int channel3) {
  const std::vector<std::uint8_t> report = BuildReportFrame(1, 0x10, std::vector<std::uint8_t>{0xAB}, kReported);
  rig.peer.write(test::Bytes(report) + "\x82");
  QCOMPARE(rig.peer.waitForBytes(1, kWaitMs), QByteArray("\x82"));
  rig.peer.write("\x83");
  QTRY_COMPARE_WITH_TIMEOUT(test::StatusLine(*rig.window)->text(), QStringLiteral("Enter Data (Do not Reset hopper)"),
                            kWaitMs);
  rig.window->SetEntryText(2, QString::number(channel3));
  QTRY_VERIFY_WITH_TIMEOUT(test::SaveButton(*rig.window)->isEnabled(), kWaitMs);
  test::SaveButton(*rig.window)->click();
  QCOMPARE(rig.peer.waitForBytes(int(kSaveFrameSize), kWaitMs).size(), qsizetype(kSaveFrameSize));
  CoinNumbers sent = kReported;
  sent[2] = std::uint16_t(channel3);
  rig.peer.write("\x84" + test::Bytes(BuildReadBackBlock(sent)));
}
}  // namespace

class HistoryWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { sandbox_ = std::make_unique<test::SettingsSandbox>(); }

  void serverAwayShowsTheQuietMark() {
    test::MainWindowRig rig;
    JournalSetup setup;
    setup.shared = ParseJournalTarget(QStringLiteral("postgresql:///none?host=") + sandbox_->path());
    Journal journal(setup);
    rig.window->AttachJournal(journal);
    QVERIFY(rig.StartAndShow());
    SaveThroughTheWindow(rig, 251);
    auto* mark = rig.window->findChild<QLabel*>(QStringLiteral("journalMark"));
    QTRY_COMPARE_WITH_TIMEOUT(mark->text(), QStringLiteral("journal: 2 entries waiting"), kWaitMs);
    QVERIFY(mark->isVisible() && !mark->toolTip().isEmpty());
    QVERIFY(rig.messages.Texts().isEmpty());  // no box
  }

  void aFrameTheLineRefusedIsAFailedEntry() {
    const QString file = sandbox_->path() + QStringLiteral("/refused.sqlite");
    {
      auto port = std::make_unique<test::FakeSerialPort>();
      port->writesBeforeFailure = 5;  // the line stops part-way through the frame
      RecordingMessageBoxes messages;
      JournalSetup setup;
      setup.local = LocalJournal(file);
      Journal journal(setup);
      MainWindow w(messages, std::move(port));
      w.AttachJournal(journal);
      QVERIFY(w.StartUp());
      w.SetEntryText(0, QStringLiteral("7"));
      test::SaveButton(w)->click();
    }
    JournalDatabase db(QStringLiteral("refused"));
    QCOMPARE(db.Open(LocalJournal(file)), QString());
    const std::vector<JournalEntry> entries = ReadHistory(db.Database(), {}, 10, 0);
    QCOMPARE(entries.size(), std::size_t(1));
    QCOMPARE(entries[0].result, JournalResult::Failed);
    QVERIFY(entries[0].sent && (*entries[0].sent)[0] == 7);
  }

  void historyShowsTheSaveAndLoadsIt() {
    const QString file = sandbox_->path() + QStringLiteral("/history.sqlite");
    {
      test::MainWindowRig rig;
      JournalSetup setup;
      setup.local = LocalJournal(file);
      Journal journal(setup);
      rig.window->AttachJournal(journal);
      QVERIFY(rig.StartAndShow());
      SaveThroughTheWindow(rig, 260);
      QTRY_COMPARE_WITH_TIMEOUT(test::StatusLine(*rig.window)->text(), QStringLiteral("Save complete"), kWaitMs);
    }
    test::MainWindowRig rig;
    QVERIFY(rig.StartAndShow());
    ScriptedFileDialog dialog;
    HistoryWindow history(LocalJournal(file), dialog, rig.messages);
    connect(&history, &HistoryWindow::LoadRequested, rig.window.get(), &MainWindow::LoadValues);
    history.Open();
    HistoryModel& model = history.Model();
    QTRY_COMPARE_WITH_TIMEOUT(model.rowCount(), 2, kWaitMs);
    QCOMPARE(model.data(model.index(0, HistoryModel::Result), Qt::DisplayRole).toString(), QStringLiteral("verified"));
    QCOMPARE(model.data(model.index(0, HistoryModel::Changes), Qt::DisplayRole).toString(),
             QStringLiteral("Channel3 250 \u2192 260"));
    QCOMPARE(model.data(model.index(1, HistoryModel::Result), Qt::DisplayRole).toString(), QStringLiteral("read"));
    QCOMPARE(model.Entry(0).program, QStringLiteral("window"));

    // By keyboard: the list has the focus on the newest entry; Enter loads it into the boxes.
    auto* table = history.findChild<QTableView*>(QStringLiteral("historyTable"));
    QTRY_VERIFY(table->hasFocus() || QApplication::focusWidget() == table);
    QTest::keyClick(table, Qt::Key_Down);
    QTest::keyClick(table, Qt::Key_Up);
    QTest::keyClick(table, Qt::Key_Return);
    QCOMPARE(rig.Entry(2), QStringLiteral("260"));

    const QString saved = sandbox_->path() + QStringLiteral("/from-history.TXT");
    dialog.Answer(saved);
    history.findChild<QPushButton*>(QStringLiteral("saveAsButton"))->click();
    QFile out(saved);
    QVERIFY(out.open(QIODevice::ReadOnly));
    QVERIFY(out.readAll().startsWith(" 1000\r\n 500\r\n 260\r\n 0\r\n"));

    // The result filter leaves the report out.
    history.findChild<QComboBox*>(QStringLiteral("resultFilter"))->setCurrentText(QStringLiteral("verified"));
    QTRY_VERIFY_WITH_TIMEOUT(!model.Loading(), kWaitMs);
    QCOMPARE(model.rowCount(), 1);
  }

  // Closing History after it has read the journal leaves no database connection in use.
  void closingLeavesNoConnectionInUse() {
    static QStringList said;
    said.clear();
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) { said << text; });
    const auto restore = qScopeGuard([previous] { qInstallMessageHandler(previous); });
    {
      test::MainWindowRig rig;
      ScriptedFileDialog dialog;
      HistoryWindow history(LocalJournal(sandbox_->path() + QStringLiteral("/history.sqlite")), dialog, rig.messages);
      history.Open();
      QTRY_VERIFY_WITH_TIMEOUT(history.Model().rowCount() > 0, kWaitMs);
    }
    QVERIFY2(!said.join('\n').contains(QStringLiteral("still in use")), qPrintable(said.join('\n')));
  }

  // History on a shared journal whose table another session holds locked: the window says
  // "loading…" and the hopper's power-on is answered meanwhile; the entries come when the
  // lock goes.
  void lockedJournalHoldsUpNeitherWindowNorLink() {
    test::PgCluster server;
    if (!server.Problem().isEmpty()) QSKIP(qPrintable(server.Problem()));
    QVERIFY(server.Start());
    // This test's own lock wait, far beyond the moments it takes.
    const JournalTarget shared = ParseJournalTarget(
        server.Url() + QStringLiteral("&options=-c%20lock_timeout%3D120000%20-c%20statement_timeout%3D120000"));
    QVERIFY2(shared.ok(), qPrintable(shared.error));
    {
      JournalDatabase made(QStringLiteral("made"));
      QCOMPARE(made.Open(shared), QString());
      JournalEntry entry = NewJournalEntry();
      entry.port = QStringLiteral("COM1");
      QCOMPARE(made.Add(entry), QString());
    }
    test::TableLock lock(shared);
    QVERIFY2(lock.Problem().isEmpty(), qPrintable(lock.Problem()));
    {
      test::MainWindowRig rig;
      QVERIFY(rig.StartAndShow());
      ScriptedFileDialog dialog;
      HistoryWindow history(shared, dialog, rig.messages);
      history.Open();
      auto* problem = history.findChild<QLabel*>(QStringLiteral("historyProblem"));
      QCOMPARE(problem->text(), QStringLiteral("loading\u2026"));

      const std::vector<std::uint8_t> report = BuildReportFrame(1, 0x10, std::vector<std::uint8_t>{0xAB}, kReported);
      rig.peer.write(test::Bytes(report) + "\x82");
      QCOMPARE(rig.peer.waitForBytes(1, kWaitMs), QByteArray("\x82"));
      rig.peer.write("\x83");
      QTRY_COMPARE_WITH_TIMEOUT(test::StatusLine(*rig.window)->text(),
                                QStringLiteral("Enter Data (Do not Reset hopper)"), kWaitMs);
      QVERIFY(history.Model().Loading());  // the lock is still held
      QCOMPARE(problem->text(), QStringLiteral("loading\u2026"));

      QVERIFY(lock.Release());
      QTRY_COMPARE_WITH_TIMEOUT(history.Model().rowCount(), 1, kWaitMs);
      QVERIFY(problem->isHidden());
    }
  }

 private:
  std::unique_ptr<test::SettingsSandbox> sandbox_;
};

QTEST_MAIN(HistoryWindowTest)
#include "tst_history_window.moc"
