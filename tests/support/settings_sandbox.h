#pragma once
// Keeps a test away from the user's own settings, single-copy lock and backups: points
// XDG_CONFIG_HOME, XDG_RUNTIME_DIR and XDG_DATA_HOME at a temporary folder for as long as the
// object lives. Create it before
// anything reads the settings.

#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>

namespace hopper::test {

class SettingsSandbox {
 public:
  SettingsSandbox()
      : previous_(qgetenv("XDG_CONFIG_HOME")),
        previousRuntime_(qgetenv("XDG_RUNTIME_DIR")),
        previousData_(qgetenv("XDG_DATA_HOME")) {
    qputenv("XDG_CONFIG_HOME", dir_.path().toLocal8Bit());
    QDir(dir_.path()).mkdir(QStringLiteral("runtime"));
    qputenv("XDG_RUNTIME_DIR", dir_.filePath(QStringLiteral("runtime")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", dir_.filePath(QStringLiteral("data")).toLocal8Bit());
  }
  ~SettingsSandbox() {
    Restore("XDG_CONFIG_HOME", previous_);
    Restore("XDG_RUNTIME_DIR", previousRuntime_);
    Restore("XDG_DATA_HOME", previousData_);
  }
  SettingsSandbox(const SettingsSandbox&) = delete;
  SettingsSandbox& operator=(const SettingsSandbox&) = delete;

  bool IsValid() const { return dir_.isValid(); }
  QString path() const { return dir_.path(); }

 private:
  static void Restore(const char* name, const QByteArray& value) {
    if (value.isEmpty()) qunsetenv(name);
    else qputenv(name, value);
  }
  QByteArray previous_;
  QByteArray previousRuntime_;
  QByteArray previousData_;
  QTemporaryDir dir_;
};

}  // namespace hopper::test
