#pragma once
// Copies of the coin numbers a hopper held before each save, one parameter file per save in
// the user's data folder ($XDG_DATA_HOME/Hopper kit/backups on Linux; "backups" in the program's
// folder when that holds portable.ini), so Parameter > Open brings any of them back. Only the
// newest ones are kept; files of any other name in the folder are never touched. Qt Core only: the command-line tool
// keeps its backups here too.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include "core/channel_table.h"

namespace hopper {

struct BackupResult {
  QString path;   // the file written, when it was
  QString error;  // why nothing was written; empty on success
  bool ok() const { return error.isEmpty(); }
};

class BackupStore {
 public:
  static constexpr int kKeep = 500;

  // The folder is looked up anew each time, so a changed XDG_DATA_HOME takes effect at once.
  static QString DefaultFolder();

  explicit BackupStore(QString folder = DefaultFolder(), int keep = kKeep);

  // Writes `entries` in the parameter-file format to a new file named by `when` and the port
  // ("backup-2026-12-07-142031-123-COM1.txt"; a device path such as /dev/ttyUSB0 gives
  // "...-ttyUSB0.txt"), through a temporary file that takes its name only once complete; then
  // removes the oldest backups beyond the number kept, oldest by when they were written, never
  // the one just written. The folder and the files are this user's alone.
  BackupResult Write(const ChannelTexts& entries, const QString& port,
                     const QDateTime& when = QDateTime::currentDateTime()) const;

  // The backups in the folder, newest first (full paths); other files are not listed.
  QStringList Backups() const;
  // Those of the hopper on `port`, newest first.
  QStringList BackupsOf(const QString& port) const;

  const QString& Folder() const { return folder_; }

 private:
  // Removes the oldest backups beyond the number kept; `written` is always kept.
  void RemoveOldest(const QString& written) const;

  QString folder_;
  int keep_;
};

// Makes `path` and every missing folder above it readable by this user only; with
// `closeExisting`, an existing `path` (a folder of the tool's own) is closed to other users too.
// False when it cannot be made.
bool MakePrivateFolder(const QString& path, bool closeExisting = false);
// Closes the file to other users.
void MakePrivateFile(const QString& path);

}  // namespace hopper
