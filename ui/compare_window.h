#pragma once
// Parameter > Compare…: sets side by side, channel by channel, the differing channels marked
// in words ("differs") and in bold, not by colour alone. It starts with the hopper's last
// report, the boxes as they stand and the backup before the last save; a parameter file or a
// History entry can be added. Tick channels, choose the set to take them from, and "Put the
// ticked values into the boxes": the boxes take them as typed values, and Save writes as always.

#include <QWidget>
#include <vector>

#include "core/channel_table.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace hopper {

class FileDialog;
class MainWindow;
class MessageBoxes;

class CompareWindow final : public QWidget {
  Q_OBJECT
 public:
  CompareWindow(MainWindow& main, FileDialog& dialog, MessageBoxes& messages, QWidget* parent = nullptr);

  // Shows the window with the sets as they stand now.
  void Open();
  void AddSet(const QString& name, const ChannelTexts& texts);
  void AddFile();
  // Puts the ticked channels' values of the set chosen into the boxes.
  void PutTicked();

 private:
  struct Set {
    QString name;
    ChannelTexts texts;
  };
  void Show();

  MainWindow& main_;
  FileDialog& dialog_;
  MessageBoxes& messages_;
  std::vector<Set> sets_;
  QTableWidget* table_;
  QLabel* summary_;
  QComboBox* takeFrom_;
  QPushButton* addFileButton_;
  QPushButton* putButton_;
};

}  // namespace hopper
