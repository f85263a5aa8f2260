#pragma once
// The "Parameter" menu's "Open" and "Save" commands: load a parameter file into the 16 boxes,
// write the boxes to a parameter file. Neither talks to the hopper.

#include <QObject>
#include <QString>

#include "core/parameter_file.h"
#include "platform/files/parameter_file_io.h"
#include "platform/files/settings_store.h"
#include "platform/widgets/file_dialog.h"
#include "platform/widgets/message_box.h"
#include "ui/channel_table_view.h"

namespace hopper {

class MainWindow;

inline const QString kLoadFileTitle = QStringLiteral("LOAD FILE");
inline const QString kSaveFileTitle = QStringLiteral("SAVE FIEL");
inline const QString kParameterFileFilter = QStringLiteral("TXT File(*.TXT)|*.TXT|");
inline const QString kFileDoesNotExistMessage =
    QString::fromLatin1(kMissingFileMessage.data(), static_cast<qsizetype>(kMissingFileMessage.size()));

class ParameterCommands : public QObject {
  Q_OBJECT
 public:
  // `programFolder` is where the dialogs start when no stored folder exists yet.
  ParameterCommands(ChannelTableView& table, FileDialog& dialog, MessageBoxes& boxes, QString programFolder,
                    SettingsStore settings = SettingsStore(), QObject* parent = nullptr);

  // Creates an empty file at `path`, replacing any file there.
  FileOutcome CreateAfile(const QString& path) { return CreateEmptyFile(path); }

 public slots:
  void LoadFile();  // "Open"
  // A file dropped onto the window, loaded as if chosen in "Open"'s dialog.
  void LoadDroppedFile(const QString& path);
  void SaveFile();  // "Save"

 private:
  // Until a file is chosen in this run, a dialog starts in the folder its stored path names
  // (so a restart opens where the technician last was), else in `programFolder_`; afterwards
  // both start in the working folder, where the last file was chosen.
  QString DialogFolder(const QString& storedPath) const;
  // The dialog question for a command, opening in the working folder of the stored path;
  // false when no working folder can be found.
  bool PrepareRequest(FileDialogRequest& request, const QString& title, const QString& storedPath) const;
  // The checks and the loading of a chosen file, shared by "Open" and a drop.
  void LoadChosenFile(const QString& chosen);
  void Warn(const QString& text, const QString& path, const QString& why, const QString& title = QString());

  ChannelTableView& table_;
  FileDialog& dialog_;
  MessageBoxes& boxes_;
  QString programFolder_;
  SettingsStore settings_;
  // The one dialog keeps its flags between uses: once a save has set them, later loads refuse
  // a folder that does not exist as well.
  bool dialogHasSaveFlags_ = false;
  bool chosenThisRun_ = false;
};

// Runs the window's "Open" and "Save" items with these commands, which live as long as the window.
ParameterCommands* AttachParameterCommands(MainWindow& window, FileDialog& dialog, MessageBoxes& boxes,
                                           const QString& programFolder);

}  // namespace hopper
