#pragma once
// The main window's one file dialog, kept between uses, behind an interface so tests can
// answer it with a path or a cancel.

#include <QString>

class QWidget;

namespace hopper {

struct FileDialogRequest {
  QString title;                  // "LOAD FILE" or "SAVE FIEL"
  QString filter;                 // "TXT File(*.TXT)|*.TXT|": shown name, then the pattern
  QString initialFileName;        // folder followed by the pattern the name field shows
  bool confirmOverwrite = false;  // ask before replacing an existing file
  bool folderMustExist = false;   // refuse a folder that does not exist
};

class FileDialog {
 public:
  virtual ~FileDialog() = default;
  // The chosen path, or an empty text when the user cancelled.
  virtual QString AskOpen(QWidget* parent, const FileDialogRequest& request) = 0;
  virtual QString AskSave(QWidget* parent, const FileDialogRequest& request) = 0;
};

}  // namespace hopper
