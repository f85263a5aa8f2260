#pragma once
// The program as a whole: one copy per user, the message boxes, and the main window,
// created anew with its whole start-up whenever it is needed.

#include <QLockFile>
#include <QObject>
#include <QPointer>
#include <memory>

#include "platform/line_recorder.h"
#include "platform/message_box.h"
#include "platform/qt_file_dialog.h"

namespace hopper {

class Form1;
class LineMonitor;
class ManualCommand;

class ToolApp final : public QObject {
  Q_OBJECT
 public:
  ToolApp();
  ~ToolApp() override;

  // Takes the single-copy lock and starts the main window. False when the program must end
  // at once: another copy runs (nothing opened, nothing said) or the start-up failed.
  bool Start();

  // The open main window, or a new one after its start-up; nullptr when that start-up ended
  // the program.
  Form1* EnsureMainWindow();

  MessageBoxes& Messages() { return messages_; }
  // F1 and "[F1]Manual": the manual window beside the main window, from the program folder.
  ManualCommand& Manual() { return *manual_; }

  // The lock file that keeps a second copy from starting, in the settings folder.
  static QString LockFilePath();

  // Everything that passes over the hopper line, from start-up on, for the line monitor.
  LineRecorder& Recorder() { return recorder_; }
  // Shows the line monitor, made on first use; it lives as long as the program.
  LineMonitor& ShowLineMonitor();

 private:
  LineRecorder recorder_;
  QtMessageBoxes messages_;
  QtFileDialog fileDialog_;
  std::unique_ptr<QLockFile> lock_;
  QPointer<Form1> mainWindow_;
  std::unique_ptr<ManualCommand> manual_;
  std::unique_ptr<LineMonitor> monitor_;
};

}  // namespace hopper
