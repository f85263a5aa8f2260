#pragma once
// The real main window and the emulated hopper on the two ends of a pseudo-terminal, with
// settings and message boxes of their own.

#include <QColor>
#include <QLabel>
#include <QPalette>
#include <memory>

#include "core/link_state.h"
#include "platform/files/settings_store.h"
#include "platform/serial/line_recorder.h"
#include "platform/serial/qt_serial_port.h"
#include "recording_message_boxes.h"
#include "settings_sandbox.h"
#include "tests/emulator/line_test_support.h"
#include "tools/emulator/hopper_emulator.h"
#include "tools/emulator/pty_channel.h"
#include "ui/main_window.h"
#include "windows_controls.h"

namespace hopper::test {

class HopperBench {
 public:
  // With a `linkPath`, COM1 is assigned to a link to the line, as to an adapter's stable name.
  // The window speaks through `port`, Qt's own port when none is given.
  explicit HopperBench(const emulator::HopperConfig& config = {}, const QString& linkPath = {},
                       std::unique_ptr<SerialPort> port = nullptr)
      : config_(config), linkPath_(linkPath) {
    PlugIn();
    SettingsStore().SetMappedDevice(1, linkPath.isEmpty() ? line.SlavePath() : linkPath);
    window = std::make_unique<MainWindow>(messages, port ? std::move(port) : std::make_unique<QtSerialPort>());
    window->SetLineRecorder(&recorder);
  }
  // The emulator ends and its line goes, link and all, as with a pulled adapter.
  void Unplug() {
    hopper.reset();
    line.Close();
  }
  // A new emulator on a new line, through the same link.
  void PlugIn() {
    openError = line.Open(linkPath_);
    hopper = std::make_unique<emulator::HopperEmulator>(config_, line, log.log);
    // Switched on a moment after the tool has opened its port, as a technician would.
    hopper->PowerOnWhenOpened(50);
  }
  ~HopperBench() {
    window.reset();
    hopper.reset();
  }

  QString Caption() const { return StatusLine(*window)->text(); }
  QColor Colour() const { return StatusLine(*window)->palette().color(QPalette::WindowText); }
  bool Red() const { return Colour() == QColor(255, 0, 0); }
  bool Blue() const { return Colour() == QColor(0, 0, 255); }
  QString Entry(int index) const { return window->EntryText(index); }
  // Both watches have run out: nothing more will change on its own.
  bool WatchesIdle() const { return !ResponseWatch(*window)->isActive() && !ReceiveWatch(*window)->isActive(); }

  SettingsSandbox sandbox;  // first: nothing may read the user's own settings
  emulator::HopperConfig config_;
  QString linkPath_;
  MemoryLog log;
  emulator::PtyChannel line;
  QString openError;
  std::unique_ptr<emulator::HopperEmulator> hopper;
  RecordingMessageBoxes messages;
  LineRecorder recorder;
  std::unique_ptr<MainWindow> window;
};

}  // namespace hopper::test
