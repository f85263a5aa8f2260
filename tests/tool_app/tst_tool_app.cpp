// The program object: the single-copy lock and the main window made anew when it is needed.

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <QWindow>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

#include "app/command_line.h"
#include "app/tool_app.h"
#include "platform/files/settings_store.h"
#include "pty_peer.h"
#include "recording_message_boxes.h"
#include "settings_sandbox.h"
#include "ui/line_monitor.h"
#include "ui/main_window.h"
#include "windows_controls.h"

using namespace hopper;
using namespace hopper::test;

namespace {
QWidget* TopLevel(const char* name) {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == QLatin1String(name) && w->isVisible()) return w;
  return nullptr;
}
}  // namespace

class ToolAppTest : public QObject {
  Q_OBJECT
 private:
  std::unique_ptr<test::SettingsSandbox> sandbox_;
  std::unique_ptr<test::PtyPeer> peer_;

 private slots:
  void initTestCase() {
    sandbox_ = std::make_unique<test::SettingsSandbox>();
    peer_ = std::make_unique<test::PtyPeer>();
    SettingsStore().SetMappedDevice(1, peer_->path());
    QApplication::setQuitOnLastWindowClosed(false);  // the test goes on after closing windows
  }

  void secondCopyIsRefusedWhileTheFirstRuns() {
    ToolApp first;
    QVERIFY(first.Start());
    {
      ToolApp second;
      QVERIFY(!second.Start());
    }
    QVERIFY(first.EnsureMainWindow()->Port().IsOpen());  // the refused copy opened nothing
  }

  // A second copy asks the first to show itself before it ends.
  void secondCopyBringsTheFirstToTheFront() {
    ToolApp first;
    QVERIFY(first.Start());
    MainWindow* window = first.EnsureMainWindow();
    window->showMinimized();
    QVERIFY(!ToolApp().Start());
    QTRY_VERIFY_WITH_TIMEOUT(!window->isMinimized(), 10000);
  }

  // Locks no running copy on this machine can hold are stale, whatever they hold.
  void unreadableOrForeignLockIsTakenOver_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("garbage") << QByteArray("\x00\xff not a lock \n\n\n", 18);
    QTest::newRow("another host") << QByteArray::number(QCoreApplication::applicationPid()) +
                                         "\nhopper\nelsewhere-pc\n";
  }
  void unreadableOrForeignLockIsTakenOver() {
    QFETCH(QByteArray, content);
    QVERIFY(QDir().mkpath(SingleCopy::Folder()));
    QFile lock(SingleCopy::LockFilePath());
    QVERIFY(lock.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(lock.write(content), content.size());
    lock.close();
    ToolApp tool;
    QVERIFY(tool.Start());
  }

  void lockIsFreeAfterTheCopyEnds() {
    {
      ToolApp done;
      QVERIFY(done.Start());
    }
    ToolApp next;
    QVERIFY(next.Start());
  }

  void unwritableSettingsFolderDoesNotStopTheTool() {
    // A settings folder under a plain file can never be made: no lock, but no silent end either.
    QTemporaryFile blocker;
    QVERIFY(blocker.open());
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(blocker.fileName()));
    RecordingMessageBoxes messages;
    bool started = false;
    {
      ToolApp tool(&messages);
      started = tool.Start();
      if (MainWindow* window = tool.EnsureMainWindow()) window->close();
    }
    const QString settingsFile = SettingsStore::FilePath();
    qputenv("XDG_CONFIG_HOME", saved);
    QVERIFY(started);
    // Told once, at the close that could not store the port, with the path and why.
    QCOMPARE(messages.shown.size(), 1);
    QVERIFY(messages.shown[0].text.contains(QStringLiteral("could not be written")));
    QVERIFY(messages.shown[0].informative.contains(settingsFile));
  }

  // Something other than a regular file where the settings file should be: reported once,
  // named, and the tool starts with its defaults. A pipe is never opened (that would wait for a
  // writer for good), nor replaced.
  void unreadableSettingsFileIsReportedOnce_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("why");
    QTest::newRow("folder") << "folder"
                            << "A folder stands where the file should be.";
#ifdef Q_OS_UNIX
    QTest::newRow("pipe") << "pipe"
                          << "It is not an ordinary file.";
#endif
  }
  void unreadableSettingsFileIsReportedOnce() {
    QFETCH(QString, kind);
    QFETCH(QString, why);
    const QString path = SettingsStore::FilePath();
    QFile::remove(path);
    if (kind == QLatin1String("folder")) QVERIFY(QDir().mkpath(path));
#ifdef Q_OS_UNIX
    if (kind == QLatin1String("pipe")) QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
#endif
    RecordingMessageBoxes messages;
    int port = 0;
    {
      ToolApp tool(&messages);
      QVERIFY(tool.Start());
      port = tool.EnsureMainWindow()->Port().PortNumber();
      tool.EnsureMainWindow()->close();
    }
    const bool stillThere = QFileInfo(path).exists() && !QFileInfo(path).isFile();
    QVERIFY(QFileInfo(path).isDir() ? QDir(path).removeRecursively() : QFile::remove(path));
    QVERIFY(stillThere);
    QCOMPARE(port, 1);
    QCOMPARE(messages.shown.size(), 1);
    QVERIFY(messages.shown[0].text.contains(QStringLiteral("could not be read")));
    QVERIFY(messages.shown[0].informative.contains(path));
    QVERIFY2(messages.shown[0].informative.contains(why), qPrintable(messages.shown[0].informative));
    SettingsStore().SetMappedDevice(1, peer_->path());
  }

  void mainWindowIsMadeAnewAfterItClosed() {
    ToolApp tool;
    QVERIFY(tool.Start());
    QPointer<MainWindow> window = tool.EnsureMainWindow();
    QVERIFY(window);
    QCOMPARE(tool.EnsureMainWindow(), window.data());  // an open window is only brought forward
    window->SetEntryText(0, QStringLiteral("77"));
    window->close();
    QTRY_VERIFY_WITH_TIMEOUT(window.isNull(), 5000);
    QCOMPARE(SettingsStore().ComPortText(), QStringLiteral("1"));

    MainWindow* again = tool.EnsureMainWindow();
    QVERIFY(again);
    QVERIFY(again->isVisible());
    QVERIFY(again->Port().IsOpen());
    QCOMPARE(again->EntryText(0), QStringLiteral("0"));
    QCOMPARE(StatusLine(*again)->text(), QStringLiteral("Switch on Kavoo"));
    QCOMPARE(again->Link().State(), LinkState::WaitStart);
  }

  void portOptionOverridesTheStoredPortForOneStart() {
    test::PtyPeer third;
    SettingsStore().SetMappedDevice(3, third.path());
    SettingsStore().SetComPort(1);
    ToolApp tool;
    tool.StartOnPort(3);
    QVERIFY(tool.Start());
    QPointer<MainWindow> window = tool.EnsureMainWindow();
    QCOMPARE(window->Port().PortNumber(), 3);
    QVERIFY(window->Port().IsOpen());
    window->close();
    QTRY_VERIFY_WITH_TIMEOUT(window.isNull(), 5000);
    SettingsStore().SetComPort(1);
    QCOMPARE(tool.EnsureMainWindow()->Port().PortNumber(), 1);  // the next start is the stored one's
  }

  // History, the line monitor and the station bear the coin icon, open within the screen's
  // available area (History is wider than the test's 800-pixel screen) and close with Escape.
  void addedWindowsBelongWithTheMainWindow() {
    ToolApp tool;
    QVERIFY(tool.Start());
    QPointer<MainWindow> window = tool.EnsureMainWindow();
    QVERIFY(window && QTest::qWaitForWindowActive(window.data()));
    const QRect area = window->screen()->availableGeometry();
    const auto check = [&](QWidget* added, bool tied) {
      QVERIFY(added && added->isVisible());
      QVERIFY(!added->windowIcon().isNull());
      QVERIFY2(area.contains(added->frameGeometry()), qPrintable(added->objectName()));
      if (tied) QCOMPARE(added->windowHandle()->transientParent(), window->windowHandle());
      added->activateWindow();
      QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), added, 5000);
      QWidget* focused = QApplication::focusWidget() ? QApplication::focusWidget() : added;
      QTest::keyClick(focused, Qt::Key_Escape);
      QTRY_VERIFY_WITH_TIMEOUT(!added->isVisible(), 5000);
    };
    window->findChild<QAction*>(QStringLiteral("History"))->trigger();
    check(TopLevel("History"), true);
    check(&tool.ShowLineMonitor(), true);

    QTemporaryDir dir;
    const QString set = dir.filePath(QStringLiteral("set.txt"));
    QFile file(set);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("1\r\n");
    file.close();
    QVERIFY(tool.StartStation(set, {9}));  // COM9 has no device: the station does not start
    QPointer<QWidget> station = TopLevel("StationWindow");
    check(station.data(), false);
  }

  void commandLine_data() {
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<int>("port");  // 0: none
    QTest::addColumn<bool>("help");
    QTest::addColumn<QString>("error");  // a part of it
    QTest::newRow("none") << "" << 0 << false << "";
    QTest::newRow("--port 3") << "--port 3" << 3 << false << "";
    QTest::newRow("--port=COM12") << "--port=COM12" << 12 << false << "";
    QTest::newRow("--help") << "--help" << 0 << true << "";
    QTest::newRow("port 0") << "--port 0" << 0 << false << "from 1 to 255";
    QTest::newRow("port missing") << "--port" << 0 << false << "from 1 to 255";
    QTest::newRow("unknown") << "--fast" << 0 << false << "unknown argument \"--fast\"";
  }
  void commandLine() {
    QFETCH(QString, arguments);
    QFETCH(int, port);
    QFETCH(bool, help);
    QFETCH(QString, error);
    const CommandLine line =
        ParseCommandLine(QStringList{QStringLiteral("hopper-setting-tool")} + arguments.split(' ', Qt::SkipEmptyParts));
    QCOMPARE(line.portNumber.value_or(0), port);
    QCOMPARE(line.help, help);
    QCOMPARE(line.error.isEmpty(), error.isEmpty());
    QVERIFY(line.error.contains(error));
  }
};

QTEST_MAIN(ToolAppTest)
#include "tst_tool_app.moc"
