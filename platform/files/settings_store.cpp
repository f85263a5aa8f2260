#include "platform/files/settings_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <utility>

#include "platform/files/file_checks.h"
#include "platform/files/portable_folder.h"

namespace hopper {

namespace {
const QString kComPort = QStringLiteral("Setting/COMPORT");
const QString kLoadPath = QStringLiteral("Setting/Load_path");
const QString kSavePath = QStringLiteral("Setting/Save_path");
const QString kJournalEnabled = QStringLiteral("Journal/Enabled");
const QString kJournalDatabase = QStringLiteral("Journal/Database");
QString PortKey(int n) { return QStringLiteral("Ports/COM%1").arg(n); }

// The first failure not yet taken for the user.
std::optional<SettingsTrouble>& PendingTrouble() {
  static std::optional<SettingsTrouble> pending;
  return pending;
}

QString WhyNotRead(const QString& path) {
  if (QFileInfo(path).isDir()) return QStringLiteral("A folder stands where the file should be.");
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return file.errorString();
  return QStringLiteral("It could not be read.");
}

QString WhyNotWritten(const QString& path) {
  const QFileInfo info(path);
  if (info.isDir()) return QStringLiteral("A folder stands where the file should be.");
  const QFileInfo folder(info.absolutePath());
  const QString folderName = QDir::toNativeSeparators(folder.filePath());
  if (!folder.isDir()) return QStringLiteral("Its folder %1 cannot be made.").arg(folderName);
  if (info.exists() && !info.isWritable()) return QStringLiteral("This user may not write the file.");
  if (!folder.isWritable()) return QStringLiteral("This user may not write in its folder %1.").arg(folderName);
  return QStringLiteral("It could not be written.");
}

// Keeps the first failure for the user; later ones say nothing new.
void NoteTrouble(const QString& what, const QString& why) {
  if (PendingTrouble()) return;
  PendingTrouble() = SettingsTrouble{what, QDir::toNativeSeparators(SettingsStore::FilePath()), why};
}

const QString kNotRead = QStringLiteral("The settings file could not be read; the tool uses its defaults.");
const QString kNotWritten =
    QStringLiteral("The settings file could not be written; the port and folders chosen will not be remembered.");

// QSettings would wait for good opening a pipe, or read a device without end: only a regular
// file, or none yet, is handed to it. True when the file may be used.
// A folder in its place fails at once and is told as before.
bool MayOpen(const QString& whatFails) {
  const QFileInfo info(SettingsStore::FilePath());
  if (!info.exists() || info.isFile() || info.isDir()) return true;
  NoteTrouble(whatFails, WhyNotPlainFile(info));
  return false;
}
}  // namespace

std::optional<SettingsTrouble> SettingsStore::TakeTrouble() { return std::exchange(PendingTrouble(), std::nullopt); }

QString SettingsStore::Folder() {
  if (const QString portable = PortableFolder(); !portable.isEmpty()) return portable;
  return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
      .filePath(QStringLiteral("Hopper kit"));
}

QString SettingsStore::FilePath() { return QDir(Folder()).filePath(QStringLiteral("Hopper kit.ini")); }

QString SettingsStore::Read(const QString& key, const QString& fallback) const {
  if (!MayOpen(kNotRead)) return fallback;
  QSettings settings(FilePath(), QSettings::IniFormat);
  const QString value = settings.value(key, fallback).toString();
  if (settings.status() == QSettings::AccessError) NoteTrouble(kNotRead, WhyNotRead(FilePath()));
  return value;
}

void SettingsStore::Write(const QString& key, const QString& value) {
  if (!MayOpen(kNotWritten)) return;
  QSettings settings(FilePath(), QSettings::IniFormat);
  settings.setValue(key, value);
  settings.sync();
  if (settings.status() == QSettings::AccessError) NoteTrouble(kNotWritten, WhyNotWritten(FilePath()));
}

QString SettingsStore::ComPortText() const { return Read(kComPort, QStringLiteral("1")); }
void SettingsStore::SetComPort(int portNumber) { Write(kComPort, QString::number(portNumber)); }

QString SettingsStore::LoadPath(const QString& fallback) const { return Read(kLoadPath, fallback); }
void SettingsStore::SetLoadPath(const QString& path) { Write(kLoadPath, path); }
QString SettingsStore::SavePath(const QString& fallback) const { return Read(kSavePath, fallback); }
void SettingsStore::SetSavePath(const QString& path) { Write(kSavePath, path); }

QString SettingsStore::MappedDevice(int portNumber) const { return Read(PortKey(portNumber), QString()); }
void SettingsStore::SetMappedDevice(int portNumber, const QString& device) { Write(PortKey(portNumber), device); }

void SettingsStore::RemoveMappedDevice(int portNumber) {
  if (!MayOpen(kNotWritten)) return;
  QSettings settings(FilePath(), QSettings::IniFormat);
  settings.remove(PortKey(portNumber));
  settings.sync();
}

PortEntries SettingsStore::MappedDevices() const {
  if (!MayOpen(kNotRead)) return {};
  QSettings settings(FilePath(), QSettings::IniFormat);
  settings.beginGroup(QStringLiteral("Ports"));
  PortEntries entries;
  for (const QString& key : settings.childKeys()) {
    const std::optional<int> number = ParsePortName(key.toStdString());
    if (number && key.startsWith(QStringLiteral("COM"), Qt::CaseInsensitive))
      entries[*number] = settings.value(key).toString().toStdString();
  }
  return entries;
}

bool SettingsStore::JournalEnabled() const {
  const QString value = Read(kJournalEnabled, QStringLiteral("true")).trimmed().toLower();
  return value != QLatin1String("false") && value != QLatin1String("0") && value != QLatin1String("no");
}

QString SettingsStore::JournalUrl() const { return Read(kJournalDatabase, QString()).trimmed(); }

}  // namespace hopper
