#pragma once
// A main window on a pseudo-terminal for GUI tests (link hopper_ui as well): COM1 is mapped to
// the peer's device in the sandboxed settings, message boxes are recorded, not shown.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QTest>
#include <memory>

#include "core/setting_frames.h"
#include "platform/files/settings_store.h"
#include "pty_peer.h"
#include "recording_message_boxes.h"
#include "ui/main_window.h"
#include "windows_controls.h"

namespace hopper::test {

inline QByteArray Bytes(std::span<const std::uint8_t> bytes) {
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

inline QColor StatusColourOf(const MainWindow& window) {
  return StatusLine(window)->palette().color(QPalette::WindowText);
}
// The status line's two colours: blue while all is well, red on a fault.
inline const QColor kBlue(0, 0, 255);
inline const QColor kRed(255, 0, 0);

// True when the label's whole caption fits its width in the font it is shown in.
inline bool CaptionFits(const QLabel* label) {
  return label->fontMetrics().horizontalAdvance(label->text()) <= label->contentsRect().width();
}

struct MainWindowRig {
  PtyPeer peer;
  RecordingMessageBoxes messages;
  std::unique_ptr<MainWindow> window;

  // Maps COM1 to the peer and builds the window (not started yet).
  MainWindowRig() {
    SettingsStore().SetMappedDevice(1, peer.path());
    window = std::make_unique<MainWindow>(messages);
  }

  // Start-up, then the window shows and becomes active, as the program does.
  // On failure the test's log says why: the boxes the start-up showed, or the activation.
  bool StartAndShow() {
    if (!window->StartUp()) {
      qWarning("start-up on %s failed: %s", qPrintable(peer.path()),
               qPrintable(messages.Texts().join(QStringLiteral(" | "))));
      return false;
    }
    window->show();
    if (QTest::qWaitForWindowActive(window.get())) return true;
    qWarning("the main window did not become active");
    return false;
  }

  QString Entry(int index) const { return window->EntryText(index); }
};

}  // namespace hopper::test
