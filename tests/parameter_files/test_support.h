#pragma once
// What every parameter-file test needs: a private settings folder, a scratch folder, the
// process's current folder put back afterwards, and file helpers.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include "platform/settings_store.h"

namespace testing {

// The 16 box texts: the given values first, "0" for the rest.
inline QStringList Boxes(const QString& firstValues) {
  QStringList boxes = firstValues.isEmpty() ? QStringList() : firstValues.split(QLatin1Char(','));
  while (boxes.size() < 16) boxes << QStringLiteral("0");
  return boxes;
}

inline bool WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Gives the settings store a folder of its own and puts the current folder back after each test.
class Sandbox {
 public:
  Sandbox() { qputenv("XDG_CONFIG_HOME", config_.path().toLocal8Bit()); }
  void Reset() {
    QFile::remove(hopper::SettingsStore::FilePath());
    if (!QDir::setCurrent(start_)) qFatal("cannot return to the start folder");
  }
  QString StartFolder() const { return start_; }

 private:
  QTemporaryDir config_;
  QString start_ = QDir::currentPath();
};

}  // namespace testing
