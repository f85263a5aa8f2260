// The manual command as the program wires it: F1 and the menu of the main window open the
// manual window, closing it brings the main window back, and the program keeps a window open
// throughout, creating a fresh main window if the first one was closed meanwhile. Only the
// manual window keeps the program after the main window: the line monitor goes with it, and a
// termination request ends everything.
//
// The main window talks to a pseudo-terminal mapped as COM1 in a settings folder of the test's
// own; the manual is the one the build puts beside the executables.

#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <memory>

#include "app/tool_app.h"
#include "platform/files/settings_store.h"
#include "platform/serial/qt_serial_port.h"
#include "tests/support/windows_controls.h"
#include "ui/line_monitor.h"
#include "ui/main_window.h"
#include "ui/manual_command.h"

using namespace hopper;
using namespace hopper::test;

namespace {

QList<MainWindow*> VisibleMainWindows() {
  QList<MainWindow*> windows;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (auto* form = qobject_cast<MainWindow*>(w); form && form->isVisible()) windows << form;
  }
  return windows;
}

// The shown windows whose close may end the program; while there is one, the program goes on.
QWidgetList WindowsKeepingTheProgram() {
  QWidgetList windows;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible() && w->testAttribute(Qt::WA_QuitOnClose)) windows << w;
  return windows;
}

// Notes whether a visible main window existed at the moment the manual window was hidden:
// without one the program would end there.
class HideWatch : public QObject {
 public:
  bool sawHide = false;
  bool mainWindowWasVisible = false;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Hide) {
      sawHide = true;
      mainWindowWasVisible = !VisibleMainWindows().isEmpty();
    }
    return false;
  }
};

}  // namespace

class TestManualWithMainWindow : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY2(QFile::exists(ManualCommand::ManualPath(QCoreApplication::applicationDirPath())),
             "Manual.rtf is not beside the test: build the whole project first");
    QVERIFY(config_.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config_.path()));
    char name[128] = {};
    QCOMPARE(openpty(&master_, &slave_, name, nullptr, nullptr), 0);
    termios raw{};
    tcgetattr(slave_, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave_, TCSANOW, &raw);
    SettingsStore().SetMappedDevice(1, QString::fromLocal8Bit(name));
  }
  void cleanupTestCase() {
    ::close(slave_);
    ::close(master_);
  }

  void init() {
    SettingsStore().SetComPort(1);
    tool_ = std::make_unique<ToolApp>();
    QVERIFY(tool_->Start());
    main_ = VisibleMainWindows().value(0);
    QVERIFY(main_);
  }
  void cleanup() {
    tool_.reset();
    QTRY_VERIFY_WITH_TIMEOUT(VisibleMainWindows().isEmpty(), 5000);
  }

  void f1OpensTheManualAndASecondF1OnlyRaisesIt() {
    QVERIFY(QTest::qWaitForWindowActive(main_));
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : main_.data(), Qt::Key_F1);
    QPointer<ManualWindow> manual = tool_->Manual().Window();
    QVERIFY(manual);
    QVERIFY(manual->isVisible());
    QVERIFY(!manual->parentWidget());
    QVERIFY(main_->isEnabled());
    QVERIFY(ManualViewer(*manual)->toPlainText().contains("Hopper Setting Tool"));

    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : main_.data(), Qt::Key_F1,
                    Qt::ShiftModifier);
    QCOMPARE(tool_->Manual().Window(), manual.data());
  }

  void menuOpensTheManual() {
    ManualAction(*main_)->trigger();
    QVERIFY(tool_->Manual().Window());
    QVERIFY(tool_->Manual().Window()->isVisible());
  }

  void closingTheManualBringsTheMainWindowForward() {
    ManualAction(*main_)->trigger();
    ManualWindow* manual = tool_->Manual().Window();
    QVERIFY(QTest::qWaitForWindowActive(manual));
    manual->close();
    QTRY_VERIFY_WITH_TIMEOUT(!tool_->Manual().Window(), 5000);
    QCOMPARE(VisibleMainWindows(), QList<MainWindow*>{main_.data()});
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), static_cast<QWidget*>(main_.data()), 5000);
  }

  void closingTheMainWindowFirstKeepsTheProgramAndStartsAFreshOne() {
    ManualAction(*main_)->trigger();
    ManualWindow* manual = tool_->Manual().Window();
    HideWatch watch;
    manual->installEventFilter(&watch);

    main_->close();
    QTRY_VERIFY_WITH_TIMEOUT(!main_, 5000);  // the old main window is gone for good
    QVERIFY(manual->isVisible());            // and the manual window alone keeps the program

    manual->close();
    QVERIFY(watch.sawHide);
    QVERIFY(watch.mainWindowWasVisible);
    const QList<MainWindow*> windows = VisibleMainWindows();
    QCOMPARE(windows.size(), 1);
    QCOMPARE(StatusLine(*windows.first())->text(), QString("Switch on Kavoo"));  // a whole start-up
    QVERIFY(windows.first()->Port().IsOpen());
  }

  void lineMonitorClosesWithTheMainWindow_data() {
    QTest::addColumn<bool>("manualOpen");
    QTest::newRow("alone: the program ends") << false;
    QTest::newRow("beside the manual: that one keeps the program") << true;
  }
  void lineMonitorClosesWithTheMainWindow() {
    QFETCH(bool, manualOpen);
    if (manualOpen) ManualAction(*main_)->trigger();
    LineMonitor& monitor = tool_->ShowLineMonitor();
    QVERIFY(monitor.isVisible());
    ExitButton(*main_)->click();
    QTRY_VERIFY_WITH_TIMEOUT(!main_, 5000);
    QVERIFY(!monitor.isVisible());
    QCOMPARE(WindowsKeepingTheProgram(), manualOpen ? QWidgetList{tool_->Manual().Window()} : QWidgetList{});
  }

  // A termination request while the simulation window has the port, the manual and the line
  // monitor open: the port number is stored and every window and port closed.
  void endRequestClosesEverythingEvenWhileSimulating() {
    QSettings(SettingsStore::FilePath(), QSettings::IniFormat).remove(QStringLiteral("Setting/COMPORT"));
    ManualAction(*main_)->trigger();
    tool_->ShowLineMonitor();
    SimulationAction(*main_)->trigger();
    QVERIFY(!main_->isEnabled());
    tool_->End();
    QTRY_VERIFY_WITH_TIMEOUT(!main_, 5000);
    QVERIFY(WindowsKeepingTheProgram().isEmpty());
    QCOMPARE(
        QSettings(SettingsStore::FilePath(), QSettings::IniFormat).value(QStringLiteral("Setting/COMPORT")).toString(),
        QStringLiteral("1"));
    QtSerialPort next;  // the line is free for the next program
    next.SetPortNumber(1);
    QCOMPARE(next.Open().result, OpenResult::Opened);
  }

 private:
  QTemporaryDir config_;
  int master_ = -1;
  int slave_ = -1;
  std::unique_ptr<ToolApp> tool_;
  QPointer<MainWindow> main_;
};

QTEST_MAIN(TestManualWithMainWindow)
#include "tst_manual_with_main_window.moc"
