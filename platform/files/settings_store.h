#pragma once
// The per-user settings of the tool: an INI file under the user's configuration folder
// ($XDG_CONFIG_HOME, else ~/.config on Linux), organization and application "Hopper kit"; in the
// program's folder when that holds portable.ini (platform/files/portable_folder.h).
// Every key is named here once.

#include <QString>
#include <optional>

#include "core/port_resolution.h"

namespace hopper {

// A settings file that could not be read or written: what failed, where, and why.
struct SettingsTrouble {
  QString what;  // a sentence for the user
  QString path;
  QString why;
};

class SettingsStore {
 public:
  // The folder that holds the settings file; it is looked up anew each time, so a changed
  // XDG_CONFIG_HOME or a portable.ini put beside the program takes effect at once.
  static QString Folder();
  static QString FilePath();

  // The first time the settings file could not be read or written since the last call;
  // nothing when it always could.
  static std::optional<SettingsTrouble> TakeTrouble();

  // "Setting/COMPORT" as stored, or "1" when absent.
  QString ComPortText() const;
  void SetComPort(int portNumber);

  // "Setting/Load_path" and "Setting/Save_path"; `fallback` when absent.
  QString LoadPath(const QString& fallback) const;
  void SetLoadPath(const QString& path);
  QString SavePath(const QString& fallback) const;
  void SetSavePath(const QString& path);

  // "Journal/Enabled" (default true) and "Journal/Database": the URL of a shared database the
  // stations of a line write to, or another journal file; empty keeps the file in the data folder.
  bool JournalEnabled() const;
  QString JournalUrl() const;

  // "Ports/COMn": the device that port n stands for on this machine, or empty when not mapped.
  QString MappedDevice(int portNumber) const;
  void SetMappedDevice(int portNumber, const QString& device);
  void RemoveMappedDevice(int portNumber);
  // Every "Ports/COMn" entry with n from 1 to 255, as stored (empty and junk values too).
  PortEntries MappedDevices() const;

 private:
  QString Read(const QString& key, const QString& fallback) const;
  void Write(const QString& key, const QString& value);
};

}  // namespace hopper
