#pragma once
// One entry box of the channel table: at most five characters, typed characters filtered,
// Enter or an arrow key asking for the focus to move round the ring of boxes, and drops.

#include <QLineEdit>

#include "core/held_values.h"

namespace hopper {

class ChannelBox final : public QLineEdit {
  Q_OBJECT
 public:
  ChannelBox(int index, QWidget* parent);
  int Index() const { return index_; }

  // How the box stands against what the hopper holds: a tinted background and a tool tip.
  void SetMark(const ChannelMarkText& mark);
  ChannelMark Mark() const { return mark_; }

 signals:
  // The key pressed in this box moves the focus to box `target`.
  void FocusMoveRequested(int target);
  // A file was dropped onto the box: the window loads it as a parameter file.
  void FileDropped(const QString& path);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // A dropped file is handed on; dropped text is taken only when the filter lets it through.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  int index_;
  ChannelMark mark_ = ChannelMark::None;
};

}  // namespace hopper
