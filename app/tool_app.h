#pragma once
// The program as a whole: one copy per user, the message boxes, and the main window,
// created anew with its whole start-up whenever it is needed.

#include <QObject>
#include <QPointer>
#include <memory>
#include <optional>
#include <vector>

#include "app/single_copy.h"
#include "platform/journal/journal_target.h"
#include "platform/serial/line_recorder.h"
#include "platform/widgets/message_box.h"
#include "platform/widgets/qt_file_dialog.h"

namespace hopper {

class CompareWindow;
class HistoryWindow;
class InterruptNotifier;
class Journal;
class StationWindow;
class MainWindow;
class LineMonitor;
class ManualCommand;

class ToolApp final : public QObject {
  Q_OBJECT
 public:
  // Without `messages` the program shows real message boxes.
  explicit ToolApp(MessageBoxes* messages = nullptr);
  ~ToolApp() override;

  // Takes the single-copy lock and starts the main window. False when the program must end
  // at once: another copy runs (it is asked to come to the front; nothing opened here,
  // nothing said) or the start-up failed.
  bool Start();
  // --station: the station window alone on COM `ports`, writing the set in `setPath`. False
  // when the file is refused (after its message).
  bool StartStation(const QString& setPath, const std::vector<int>& ports);
  // The first main window starts on COMn instead of the stored port (--port).
  void StartOnPort(int portNumber) { portOverride_ = portNumber; }

  // The open main window, or a new one after its start-up; nullptr when that start-up ended
  // the program.
  MainWindow* EnsureMainWindow();

  // F1 and "[F1]Manual": the manual window beside the main window, from the program folder.
  ManualCommand& Manual() { return *manual_; }

  // Everything that passes over the hopper line, from start-up on, for the line monitor.
  LineRecorder& Recorder() { return recorder_; }
  // Shows the line monitor, made on first use; it lives as long as the program and closes
  // with the main window.
  LineMonitor& ShowLineMonitor();

  // What a termination request (logout, kill, a service manager) does: the main window closes
  // as Exit closes it, even while the simulation window has its port, every other window
  // closes with it and the program ends.
  void End();

 private:
  // A later copy was started: the running one shows its window on top of the others.
  void BringToFront();
  // Tells the user, once, that the settings file could not be read or written.
  void ReportSettingsTrouble(QWidget* parent);

  // The journal the settings ask for, made with the first main window; none when switched off.
  void AttachJournal(MainWindow& window);
  // That journal, for the main window and the station alike; `parent` hears of a shared
  // database that cannot be used.
  Journal* TheJournal(QWidget* parent);
  void ShowHistory();
  // Parameter > Compare…, or History's Compare: the window belongs to the main window.
  CompareWindow* ShowCompare();

  LineRecorder recorder_;
  QtMessageBoxes qtMessages_;
  MessageBoxes& messages_;
  QtFileDialog fileDialog_;
  SingleCopy singleCopy_;
  QPointer<MainWindow> mainWindow_;
  std::vector<QPointer<StationWindow>> stations_;  // they journal, so they go before the journal
  std::unique_ptr<ManualCommand> manual_;
  std::unique_ptr<LineMonitor> monitor_;
  std::unique_ptr<Journal> journal_;
  std::unique_ptr<HistoryWindow> history_;
  QPointer<CompareWindow> compare_;
  JournalTarget historyTarget_;
  std::unique_ptr<InterruptNotifier> endRequests_;
  std::optional<int> portOverride_;
  bool settingsTroubleTold_ = false;
  bool ending_ = false;
};

}  // namespace hopper
