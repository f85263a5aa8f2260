#pragma once
// Sixteen texts standing in for the main window's entry boxes, with hooks that let a test act
// at the moment a command reads or writes a box.

#include <QString>
#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>

#include "core/channel_table.h"
#include "ui/channel_table_view.h"

class FakeChannelTable final : public hopper::ChannelTableView {
 public:
  FakeChannelTable() { texts.fill(QStringLiteral("0")); }

  QString EntryText(int index) const override {
    if (onRead) onRead(index);
    return texts[static_cast<std::size_t>(index)];
  }
  void SetEntryText(int index, const QString& text) override {
    texts[static_cast<std::size_t>(index)] = text.left(static_cast<qsizetype>(hopper::kMaxEntryLength));
    if (onSet) onSet(index);
  }
  QWidget* DialogParent() override { return &window; }

  QStringList All() const {
    QStringList all;
    for (const QString& t : texts) all << t;
    return all;
  }
  void Fill(const QStringList& values) {
    for (int i = 0; i < hopper::kChannelCount; ++i) texts[static_cast<std::size_t>(i)] = values.value(i);
  }

  std::array<QString, hopper::kChannelCount> texts;
  QWidget window;
  std::function<void(int)> onRead;
  std::function<void(int)> onSet;
};
