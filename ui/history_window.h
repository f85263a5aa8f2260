#pragma once
// Parameter > History…: the journal's entries, newest first, filtered by date, port and
// result and unit; the chosen entry in full, with the channels its save changed (before → after).
// "Load into boxes" puts its set into the main window as Open does a backup file; "Save as
// parameter file" writes it; "Compare" sets it beside the boxes; "Report…" writes the visit
// report of the selected entries as a PDF; "Export CSV…" the filtered entries. Works by keyboard alone: Tab through the
// filters, the list and the buttons; Escape closes.

#include <QWidget>
#include <memory>

#include "core/setting_frames.h"
#include "platform/journal/journal_query.h"
#include "platform/journal/journal_target.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableView;

namespace hopper {

class FileDialog;
class HistoryModel;
class HistoryReader;
class MessageBoxes;

class HistoryWindow final : public QWidget {
  Q_OBJECT
 public:
  HistoryWindow(JournalTarget target, FileDialog& dialog, MessageBoxes& messages, QWidget* parent = nullptr);
  ~HistoryWindow() override;

  // Shows the window with the newest entries, reading the journal again. The reading happens
  // on a thread of its own: the window says "loading…" meanwhile and stays usable.
  void Open();
  HistoryModel& Model() { return *model_; }

 signals:
  void LoadRequested(const CoinNumbers& values);
  void CompareRequested(const QString& name, const CoinNumbers& values);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Refresh();
  void PageCame(const QString& error, bool first);
  void ShowChosen();
  void SaveChosen();
  void ReportSelected();
  void ExportCsv();
  void CsvSaved(const QString& path, const QString& error);
  HistoryFilter CurrentFilter() const;
  // A file written: a message when it failed.
  void TellFailure(const QString& what, const QString& path, const QString& why);
  std::optional<CoinNumbers> ChosenValues() const;

  FileDialog& dialog_;
  MessageBoxes& messages_;
  HistoryReader* reader_;
  HistoryModel* model_;
  QLineEdit* sinceEdit_;
  QComboBox* portFilter_;
  QComboBox* resultFilter_;
  QLineEdit* unitFilter_;
  QTableView* table_;
  QPlainTextEdit* details_;
  QLabel* problem_;
  QPushButton* loadButton_;
  QPushButton* saveButton_;
  QPushButton* compareButton_;
  QPushButton* reportButton_;
  QPushButton* csvButton_;
};

}  // namespace hopper
