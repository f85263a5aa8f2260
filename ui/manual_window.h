#pragma once
// The manual window (objectName Form2): the maker's logo, the version information and the operating manual
// (Manual.rtf from the program folder) on a read-only viewer. It has no owner, so the main
// window stays usable beside it, and it outlives the main window if that is closed first.

#include <QWidget>

#include "platform/rich_text/rtf_reader.h"

class QTextEdit;

namespace hopper {

class ManualWindow : public QWidget {
  Q_OBJECT

 public:
  explicit ManualWindow(QWidget* parent = nullptr);

  // The window's load: reads the manual into the viewer. Bad content shows what could be
  // read; only a file that cannot be opened is reported back.
  RtfFileStatus LoadManual(const QString& path);

 signals:
  // The window's unload: it is closing, by "&Close", its close box or a failed load.
  void Unloaded();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildVersionFrame();
  void BuildInstructionFrame();

  QTextEdit* viewer_ = nullptr;  // objectName RichTextBox1
};

}  // namespace hopper
