#pragma once
// FileDialog on Qt's own (non-native) QFileDialog, so it behaves the same on every desktop.

#include <QFileDialog>
#include <QStringList>
#include <functional>

#include "platform/widgets/file_dialog.h"

namespace hopper {

// "TXT File(*.TXT)|*.TXT|" (shown name and pattern, pairs separated by '|') as Qt name filters.
// A shown name that already ends in its pattern in brackets is kept exactly as written.
QStringList QtNameFilters(const QString& filter);

// What the dialog does with the name the user confirmed.
enum class ChoiceCheck {
  Accept,         // return it to the command
  ApplyAsFilter,  // the name holds '*' or '?': list the matching files instead
  MissingFolder,  // the folder does not exist and the request refuses that
};
ChoiceCheck CheckChoice(const QString& path, const FileDialogRequest& request);

// A QFileDialog set up from a request; shown modally by QtFileDialog, non-modally by tests.
class RequestFileDialog final : public QFileDialog {
  Q_OBJECT
 public:
  RequestFileDialog(QWidget* parent, const FileDialogRequest& request, AcceptMode mode);

  // Tells the user why a choice was refused; a warning box unless replaced.
  std::function<void(const QString& why)> refuse;

 public slots:
  void accept() override;

 private:
  FileDialogRequest request_;
};

class QtFileDialog final : public FileDialog {
 public:
  QString AskOpen(QWidget* parent, const FileDialogRequest& request) override;
  QString AskSave(QWidget* parent, const FileDialogRequest& request) override;
};

}  // namespace hopper
