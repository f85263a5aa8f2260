#include "platform/settings_store.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace hopper {

namespace {
const QString kComPort = QStringLiteral("Setting/COMPORT");
const QString kLoadPath = QStringLiteral("Setting/Load_path");
const QString kSavePath = QStringLiteral("Setting/Save_path");
QString PortKey(int n) { return QStringLiteral("Ports/COM%1").arg(n); }
}  // namespace

QString SettingsStore::Folder() {
  return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
      .filePath(QStringLiteral("Hopper kit"));
}

QString SettingsStore::FilePath() { return QDir(Folder()).filePath(QStringLiteral("Hopper kit.ini")); }

QString SettingsStore::Read(const QString& key, const QString& fallback) const {
  QSettings settings(FilePath(), QSettings::IniFormat);
  return settings.value(key, fallback).toString();
}

void SettingsStore::Write(const QString& key, const QString& value) {
  QSettings settings(FilePath(), QSettings::IniFormat);
  settings.setValue(key, value);
  settings.sync();
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
  QSettings settings(FilePath(), QSettings::IniFormat);
  settings.remove(PortKey(portNumber));
  settings.sync();
}

PortEntries SettingsStore::MappedDevices() const {
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

}  // namespace hopper
