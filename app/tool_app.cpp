#include "app/tool_app.h"

#include <QCoreApplication>
#include <QDir>

#include "platform/qt_serial_port.h"
#include "platform/recording_serial_port.h"
#include "platform/settings_store.h"
#include "ui/form1.h"
#include "ui/line_monitor.h"
#include "ui/manual_command.h"
#include "ui/parameter_commands.h"
#include "ui/simulation_handover.h"

namespace hopper {

ToolApp::ToolApp()
    : manual_(std::make_unique<ManualCommand>(QCoreApplication::applicationDirPath(), messages_)) {
  // Closing the manual window brings the main window back, with a fresh start-up if it had
  // been closed meanwhile.
  connect(manual_.get(), &ManualCommand::ManualWindowClosed, this, [this] { EnsureMainWindow(); });
}

ToolApp::~ToolApp() { delete mainWindow_.data(); }

LineMonitor& ToolApp::ShowLineMonitor() {
  if (!monitor_) {
    monitor_ = std::make_unique<LineMonitor>(recorder_, fileDialog_, messages_);
    // Escape in the monitor hands the keyboard back to the main window, to the box it left.
    connect(monitor_.get(), &LineMonitor::Closed, this, [this] {
      if (mainWindow_ && mainWindow_->isVisible()) mainWindow_->activateWindow();
    });
  }
  monitor_->Open();
  return *monitor_;
}

QString ToolApp::LockFilePath() { return QDir(SettingsStore::Folder()).filePath(QStringLiteral("running.lock")); }

bool ToolApp::Start() {
  QDir().mkpath(SettingsStore::Folder());
  lock_ = std::make_unique<QLockFile>(LockFilePath());
  // A running copy holds the lock however long it runs; the lock of a copy that crashed names
  // a process that is gone, and is taken over.
  lock_->setStaleLockTime(0);
  // Only a lock held by a running copy keeps this one out. A lock that cannot be made at all
  // (a settings folder that cannot be written) must not stop the tool without a word.
  if (!lock_->tryLock(0) && lock_->error() == QLockFile::LockFailedError) return false;
  return EnsureMainWindow() != nullptr;
}

Form1* ToolApp::EnsureMainWindow() {
  if (mainWindow_) {
    mainWindow_->show();
    mainWindow_->raise();
    mainWindow_->activateWindow();
    return mainWindow_;
  }
  auto* window = new Form1(messages_, std::make_unique<RecordingSerialPort>(std::make_unique<QtSerialPort>(),
                                                                           recorder_, LineRole::SettingLink));
  window->SetLineRecorder(&recorder_);
  window->setAttribute(Qt::WA_DeleteOnClose);
  AttachParameterCommands(*window, fileDialog_, messages_, QCoreApplication::applicationDirPath());
  mainWindow_ = window;
  connect(window, &Form1::SimulationRequested, this, [this, window](int portNumber) {
    OpenSimulationWindow(*window, portNumber, messages_, QCoreApplication::applicationDirPath(),
                         std::make_unique<RecordingSerialPort>(std::make_unique<QtSerialPort>(), recorder_,
                                                               LineRole::Simulation));
  });
  connect(window, &Form1::LineMonitorRequested, this, [this] { ShowLineMonitor(); });
  connect(window, &Form1::ManualRequested, this, [this, window] { manual_->Run(window); });
  if (!window->StartUp()) {
    // Invalid port or port in use: the message has been shown; the close stores the port
    // number, then the program ends.
    window->close();
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
    return nullptr;
  }
  window->show();
  return window;
}

}  // namespace hopper
