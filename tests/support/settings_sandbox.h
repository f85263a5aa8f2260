#pragma once
// Keeps a test away from the user's own settings, backups and single-copy lock: points
// XDG_CONFIG_HOME, XDG_DATA_HOME and XDG_RUNTIME_DIR at a temporary folder for as long as the
// object lives. Create it before anything reads the settings.

#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>

namespace hopper::test {

class SettingsSandbox {
 public:
  SettingsSandbox()
      : previous_(qgetenv("XDG_CONFIG_HOME")),
        previousData_(qgetenv("XDG_DATA_HOME")),
        previousRuntime_(qgetenv("XDG_RUNTIME_DIR")) {
    qputenv("XDG_CONFIG_HOME", dir_.path().toLocal8Bit());
    qputenv("XDG_DATA_HOME", dir_.filePath(QStringLiteral("data")).toLocal8Bit());
    QDir(dir_.path()).mkdir(QStringLiteral("runtime"));
    qputenv("XDG_RUNTIME_DIR", dir_.filePath(QStringLiteral("runtime")).toLocal8Bit());
  }
  ~SettingsSandbox() {
    Restore("XDG_CONFIG_HOME", previous_);
    Restore("XDG_DATA_HOME", previousData_);
    Restore("XDG_RUNTIME_DIR", previousRuntime_);
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
  QByteArray previousData_;
  QByteArray previousRuntime_;
  QTemporaryDir dir_;
};

}  // namespace hopper::test
