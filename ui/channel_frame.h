#pragma once
// The channel table (objectName Frame1) as 16 captioned entry boxes (Text1_0..Text1_15),
// with the focus ring and the entry-change rule. The boxes are the table's only store.

#include <QGroupBox>
#include <array>

#include "core/channel_table.h"
#include "core/held_values.h"

class QLabel;

namespace hopper {

class ChannelBox;
class MessageBoxes;

class ChannelFrame final : public QGroupBox {
  Q_OBJECT
 public:
  ChannelFrame(MessageBoxes& messages, QWidget* parent);

  ChannelBox* Box(int index) const { return boxes_.at(static_cast<std::size_t>(index)); }
  const std::array<ChannelBox*, kChannelCount>& Boxes() const { return boxes_; }
  ChannelTexts Texts() const;

  // Locked boxes cannot be edited by the user but still take part in the focus ring.
  void SetLocked(bool locked);

  // Focus box `index` and select its whole text, so the next digit typed replaces it.
  void FocusAndSelect(int index);

  // Marks every box as it stands against what the hopper holds.
  void ShowMarks(const HeldValues& held);

 signals:
  // Box `index` has a new text that passed the entry-change rule (typed, loaded or received).
  void EntryChanged(int index);
  // A file was dropped onto one of the boxes.
  void FileDropped(const QString& path);

 private:
  void ApplyEntryChangeRule(ChannelBox* box);

  MessageBoxes& messages_;
  std::array<ChannelBox*, kChannelCount> boxes_{};
  std::array<QLabel*, kChannelCount> labels_{};
};

}  // namespace hopper
