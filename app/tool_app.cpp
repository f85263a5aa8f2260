#include "app/tool_app.h"

#include <QApplication>
#include <utility>

#include "core/port_resolution.h"
#include "core/save_check.h"
#include "platform/files/parameter_file_io.h"
#include "platform/files/settings_store.h"
#include "platform/journal/journal.h"
#include "platform/serial/interrupt_notifier.h"
#include "platform/serial/recording_serial_port.h"
#include "platform/serial/system_serial.h"
#include "ui/added_window.h"
#include "ui/compare_window.h"
#include "ui/history_window.h"
#include "ui/line_monitor.h"
#include "ui/main_window.h"
#include "ui/manual_command.h"
#include "ui/parameter_commands.h"
#include "ui/simulation_handover.h"
#include "ui/station_command.h"
#include "ui/station_window.h"

namespace hopper {

ToolApp::ToolApp(MessageBoxes* messages)
    : messages_(messages ? *messages : qtMessages_),
      manual_(std::make_unique<ManualCommand>(QCoreApplication::applicationDirPath(), messages_)) {
  // Closing the manual window brings the main window back, with a fresh start-up if it had
  // been closed meanwhile.
  connect(manual_.get(), &ManualCommand::ManualWindowClosed, this, [this] {
    if (!ending_) EnsureMainWindow();
  });
  // Failures of the settings file before the program starts are not this program's to report.
  (void)SettingsStore::TakeTrouble();
}

ToolApp::~ToolApp() {
  delete mainWindow_.data();
  for (const QPointer<StationWindow>& station : stations_) delete station.data();
  history_.reset();
  journal_.reset();  // what the window recorded last is written before the program ends
}

Journal* ToolApp::TheJournal(QWidget* parent) {
  const SettingsStore settings;
  if (!journal_ && settings.JournalEnabled()) {
    JournalSetup setup = JournalSetupFor(settings.JournalUrl());
    const QString problem = setup.refused;
    historyTarget_ = setup.shared.value_or(setup.local);
    journal_ = std::make_unique<Journal>(std::move(setup));
    if (!problem.isEmpty())
      messages_.Show(parent, Message{QStringLiteral("The shared journal cannot be used; this station keeps its own."),
                                     MessageIcon::Exclamation,
                                     {},
                                     problem});
  }
  return journal_.get();
}

void ToolApp::AttachJournal(MainWindow& window) {
  if (Journal* journal = TheJournal(&window)) window.AttachJournal(*journal);
  connect(&window, &MainWindow::HistoryRequested, this, &ToolApp::ShowHistory);
  connect(&window, &MainWindow::CompareRequested, this, &ToolApp::ShowCompare);
}

void ToolApp::ShowHistory() {
  if (!history_) {
    if (historyTarget_.driver.isEmpty()) historyTarget_ = LocalJournal();
    history_ = std::make_unique<HistoryWindow>(historyTarget_, fileDialog_, messages_);
    connect(history_.get(), &HistoryWindow::LoadRequested, this, [this](const CoinNumbers& values) {
      if (mainWindow_) mainWindow_->LoadValues(values);
    });
    connect(history_.get(), &HistoryWindow::CompareRequested, this,
            [this](const QString& name, const CoinNumbers& values) {
              if (CompareWindow* compare = ShowCompare()) compare->AddSet(name, TextsOf(values));
            });
  }
  DressAddedWindow(history_.get(), mainWindow_);
  history_->Open();
  KeepWithinScreen(history_.get());
}

CompareWindow* ToolApp::ShowCompare() {
  if (!mainWindow_) return nullptr;
  if (!compare_) compare_ = new CompareWindow(*mainWindow_, fileDialog_, messages_, mainWindow_);
  compare_->Open();
  return compare_;
}

LineMonitor& ToolApp::ShowLineMonitor() {
  if (!monitor_) {
    monitor_ = std::make_unique<LineMonitor>(recorder_, fileDialog_, messages_);
    monitor_->SetErrorSource([this]() -> std::optional<LineErrorCounts> {
      if (!mainWindow_) return std::nullopt;
      return mainWindow_->Port().ErrorCounts();
    });
    // Escape in the monitor hands the keyboard back to the main window, to the box it left.
    connect(monitor_.get(), &LineMonitor::Closed, this, [this] {
      if (mainWindow_ && mainWindow_->isVisible()) mainWindow_->activateWindow();
    });
  }
  DressAddedWindow(monitor_.get(), mainWindow_);
  monitor_->Open();
  KeepWithinScreen(monitor_.get());
  return *monitor_;
}

bool ToolApp::Start() {
  // Another copy runs: it has been asked to come to the front, and this one ends unseen.
  if (!singleCopy_.Acquire()) return false;
  connect(&singleCopy_, &SingleCopy::BringToFrontRequested, this, &ToolApp::BringToFront);
  endRequests_ = std::make_unique<InterruptNotifier>();
  connect(endRequests_.get(), &InterruptNotifier::Interrupted, this, &ToolApp::End);
  return EnsureMainWindow() != nullptr;
}

void ToolApp::End() {
  if (ending_) return;
  ending_ = true;
  // The port number is stored and the port closed before anything else goes.
  if (mainWindow_) mainWindow_->CloseAtEnd();
  QApplication::closeAllWindows();
  QCoreApplication::quit();
}

void ToolApp::BringToFront() {
  // A copy whose main window was closed beside an open manual window shows that one instead.
  if (!mainWindow_) {
    if (ManualWindow* manual = manual_->Window()) {
      manual->raise();
      manual->activateWindow();
    }
    return;
  }
  mainWindow_->setWindowState(mainWindow_->windowState() & ~Qt::WindowMinimized);
  mainWindow_->show();
  mainWindow_->raise();
  mainWindow_->activateWindow();
}

MainWindow* ToolApp::EnsureMainWindow() {
  if (mainWindow_) {
    mainWindow_->show();
    mainWindow_->raise();
    mainWindow_->activateWindow();
    return mainWindow_;
  }
  auto* window = new MainWindow(messages_);
  window->SetLineRecorder(&recorder_);
  window->setAttribute(Qt::WA_DeleteOnClose);
  AttachParameterCommands(*window, fileDialog_, messages_,
                          DefaultParameterFolder(QCoreApplication::applicationDirPath()));
  mainWindow_ = window;
  connect(window, &MainWindow::SimulationRequested, this, [this, window](int portNumber) {
    OpenSimulationWindow(
        *window, portNumber, messages_, QCoreApplication::applicationDirPath(),
        std::make_unique<RecordingSerialPort>(MakeSystemSerialPort(), recorder_, LineRole::Simulation));
  });
  connect(window, &MainWindow::StationRequested, this, [this, window](int portNumber) {
    stations_.push_back(OpenStationFromMenu(*window, portNumber, fileDialog_, messages_, TheJournal(window)));
  });
  connect(window, &MainWindow::LineMonitorRequested, this, [this] { ShowLineMonitor(); });
  AttachJournal(*window);
  connect(window, &MainWindow::ManualRequested, this, [this, window] { manual_->Run(window); });
  if (portOverride_) window->StartOnPort(*std::exchange(portOverride_, std::nullopt));
  // Closing stores the port number: a settings file that cannot take it is reported then.
  connect(window, &MainWindow::Closing, this, [this] {
    ReportSettingsTrouble(nullptr);
    // The monitor shows the main window's line and goes with it: only the manual window keeps
    // the program running. Hidden, not closed, so it hands no focus back to the closing window.
    if (monitor_) monitor_->hide();
  });
  if (!window->StartUp()) {
    // Invalid port or port in use: the message has been shown; the close stores the port
    // number, then the program ends.
    window->close();
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
    return nullptr;
  }
  window->show();
  ReportSettingsTrouble(window);
  return window;
}

bool ToolApp::StartStation(const QString& setPath, const std::vector<int>& ports) {
  std::vector<StationPort> stationPorts;
  for (int n :
       ports.empty() ? std::vector<int>{ParsePortName(SettingsStore().ComPortText().toStdString()).value_or(1)} : ports)
    stationPorts.push_back({QStringLiteral("COM%1").arg(n), {}, n});
  StationWindow* station = OpenStation(setPath, stationPorts, messages_, TheJournal(nullptr));
  stations_.push_back(station);
  return station != nullptr;
}

void ToolApp::ReportSettingsTrouble(QWidget* parent) {
  const std::optional<SettingsTrouble> trouble = SettingsStore::TakeTrouble();
  if (!trouble || settingsTroubleTold_) return;
  settingsTroubleTold_ = true;  // the same file fails the same way at every access
  messages_.Show(parent, Message{trouble->what, MessageIcon::Exclamation, QString(),
                                 trouble->path + QLatin1Char('\n') + trouble->why +
                                     QStringLiteral("\nMake the file and its folder readable and writable "
                                                    "by this user.")});
}

}  // namespace hopper
