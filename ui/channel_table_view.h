#pragma once
// The 16 entry boxes as the commands that read and write them see them.
// The boxes are the channel table's only store.

#include <QString>

class QWidget;

namespace hopper {

class ChannelTableView {
 public:
  virtual ~ChannelTableView() = default;
  virtual QString EntryText(int index) const = 0;
  // Sets the box's text as the program does: at most five characters are kept, and the
  // box's change rule runs as for any other change.
  virtual void SetEntryText(int index, const QString& text) = 0;
  // The window that dialogs and message boxes belong to.
  virtual QWidget* DialogParent() = 0;
};

}  // namespace hopper
