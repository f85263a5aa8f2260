#include "ui/parameter_commands.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "core/parameter_file.h"
#include "platform/files/parameter_file_io.h"
#include "ui/main_window.h"

namespace hopper {

namespace {

// The working folder the dialogs open in. Without drive letters every path shares the
// process's current folder, whatever the stored value names.
QString DriveWorkingFolder(const QString& /*storedPath*/) {
  const QString current = QDir::currentPath();
  return current.isEmpty() ? QString() : QDir::toNativeSeparators(current);
}

// The folder a stored value names, when it still exists: "Load_path" holds a file's full path,
// "Save_path" a folder followed by "*.txt", and a hand-edited value may name the folder itself.
QString StoredFolder(const QString& stored) {
  const QFileInfo info(QDir::cleanPath(QDir::fromNativeSeparators(stored)));
  if (stored.isEmpty() || !info.isAbsolute()) return QString();
  const QString folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
  return QFileInfo(folder).isDir() ? QDir::toNativeSeparators(folder) : QString();
}

// Choosing a file in either dialog makes its folder the current one, so the next dialog opens
// there. False when the folder does not exist.
bool MakeChosenFolderCurrent(const QString& chosen) {
  const QString folder = QFileInfo(chosen).absolutePath();
  return QFileInfo(folder).isDir() && QDir::setCurrent(folder);
}

}  // namespace

ParameterCommands::ParameterCommands(ChannelTableView& table, FileDialog& dialog, MessageBoxes& boxes,
                                     QString programFolder, SettingsStore settings, QObject* parent)
    : QObject(parent),
      table_(table),
      dialog_(dialog),
      boxes_(boxes),
      programFolder_(std::move(programFolder)),
      settings_(settings) {}

QString ParameterCommands::DialogFolder(const QString& storedPath) const {
  if (chosenThisRun_) return DriveWorkingFolder(storedPath);
  const QString stored = StoredFolder(storedPath);
  return stored.isEmpty() ? QDir::toNativeSeparators(programFolder_) : stored;
}

bool ParameterCommands::PrepareRequest(FileDialogRequest& request, const QString& title,
                                       const QString& storedPath) const {
  const QString folder = DialogFolder(storedPath);
  if (folder.isEmpty()) return false;
  request.title = title;
  request.filter = kParameterFileFilter;
  request.initialFileName = folder + QDir::separator() + QStringLiteral("*.TXT");
  request.confirmOverwrite = dialogHasSaveFlags_;
  request.folderMustExist = dialogHasSaveFlags_;
  return true;
}

void ParameterCommands::Warn(const QString& text, const QString& path, const QString& why, const QString& title) {
  Message message;
  message.text = text;
  message.icon = MessageIcon::Exclamation;
  message.title = title;
  message.informative = QDir::toNativeSeparators(path);
  if (!why.isEmpty()) message.informative += QLatin1Char('\n') + why;
  boxes_.Show(table_.DialogParent(), message);
}

void ParameterCommands::LoadFile() {
  FileDialogRequest request;
  if (!PrepareRequest(request, kLoadFileTitle, settings_.LoadPath(QString()))) return;
  const QString chosen = dialog_.AskOpen(table_.DialogParent(), request);
  if (!chosen.isEmpty()) LoadChosenFile(chosen);
}

void ParameterCommands::LoadDroppedFile(const QString& path) { LoadChosenFile(QDir::toNativeSeparators(path)); }

void ParameterCommands::LoadChosenFile(const QString& chosen) {
  if (MakeChosenFolderCurrent(chosen)) chosenThisRun_ = true;

  if (!IsOrdinaryFile(chosen)) {
    if (QFileInfo::exists(chosen)) {
      Warn(tr("This is not a regular file; choose a parameter file."), chosen, QString(), QStringLiteral("Error"));
    } else {
      boxes_.Show(table_.DialogParent(),
                  {kFileDoesNotExistMessage, MessageIcon::Exclamation, QStringLiteral("Error"), QString()});
    }
    return;
  }
  settings_.SetLoadPath(QDir::toNativeSeparators(chosen));

  // The whole file is read and checked before any box changes: a file that cannot be loaded
  // leaves the technician's values as they were.
  QFile file(chosen);
  if (!file.open(QIODevice::ReadOnly)) {
    Warn(tr("The file could not be opened; no channel was changed."), chosen, file.errorString());
    return;
  }
  ItemReader reader(ChunksOf(file));
  const LoadResult result = LoadParameterItems(reader);
  file.close();

  if (result.outcome == LoadOutcome::Rejected) {
    Message message{QString::fromLatin1(kUnableToLoadMessage), MessageIcon::Exclamation, QString(), QString()};
    message.informative =
        tr("Channel%1 is not a number of at most five digits. No channel was changed.").arg(result.channel + 1);
    boxes_.Show(table_.DialogParent(), message);
    return;
  }
  if (reader.ReadErrorSeen()) {
    Warn(tr("The file could not be read to its end; no channel was changed."), chosen, file.errorString());
    return;
  }
  for (int i = 0; i < kChannelCount; ++i) {
    table_.SetEntryText(i, QString::fromStdString(result.entries[static_cast<std::size_t>(i)]));
  }
  if (result.outcome == LoadOutcome::Short) {
    Warn(QString::fromStdString(ShortFileText(result.channel)), chosen, QString());
  }
}

void ParameterCommands::SaveFile() {
  dialogHasSaveFlags_ = true;
  FileDialogRequest request;
  if (!PrepareRequest(request, kSaveFileTitle, settings_.SavePath(QString()))) return;
  const QString chosen = dialog_.AskSave(table_.DialogParent(), request);
  if (chosen.isEmpty()) return;
  if (MakeChosenFolderCurrent(chosen)) chosenThisRun_ = true;

  // Only a missing name is created first: a file already there, hidden ones included, is left
  // whole until its replacement is complete.
  const bool createdNow = !QFileInfo(chosen).isFile();
  if (const FileOutcome created = createdNow ? CreateAfile(chosen) : FileOutcome{}; !created.ok()) {
    Warn(tr("The file could not be created; nothing was saved."), chosen, created.why);
    return;
  }
  QString folder = DriveWorkingFolder(chosen);
  if (folder.isEmpty()) folder = QDir::toNativeSeparators(QFileInfo(chosen).absolutePath());
  settings_.SetSavePath(folder + QDir::separator() + QStringLiteral("*.txt"));

  ChannelTexts entries;
  for (int i = 0; i < kChannelCount; ++i) {
    entries[static_cast<std::size_t>(i)] = table_.EntryText(i).toStdString();
  }
  const std::string text = ParameterFileText(entries);
  const QString why = WriteWholeFile(chosen, QByteArray::fromStdString(text));
  if (why.isEmpty()) return;
  if (createdNow) QFile::remove(chosen);  // leave no empty file where the save failed
  Warn(createdNow ? tr("The file could not be written; nothing was saved.")
                  : tr("The file could not be written; it still holds what it held before."),
       chosen, why);
}

ParameterCommands* AttachParameterCommands(MainWindow& window, FileDialog& dialog, MessageBoxes& boxes,
                                           const QString& programFolder) {
  auto* commands = new ParameterCommands(window, dialog, boxes, programFolder, SettingsStore(), &window);
  QObject::connect(&window, &MainWindow::OpenParameterFileRequested, commands, &ParameterCommands::LoadFile);
  QObject::connect(&window, &MainWindow::SaveParameterFileRequested, commands, &ParameterCommands::SaveFile);
  QObject::connect(&window, &MainWindow::ParameterFileDropped, commands, &ParameterCommands::LoadDroppedFile);
  return commands;
}

}  // namespace hopper
