#pragma once
// Keeps a test away from the user's own settings: points XDG_CONFIG_HOME at a temporary
// folder for as long as the object lives. Create it before anything reads the settings.

#include <QByteArray>
#include <QTemporaryDir>

namespace hopper::test {

class SettingsSandbox {
 public:
  SettingsSandbox() : previous_(qgetenv("XDG_CONFIG_HOME")) { qputenv("XDG_CONFIG_HOME", dir_.path().toLocal8Bit()); }
  ~SettingsSandbox() {
    if (previous_.isEmpty()) qunsetenv("XDG_CONFIG_HOME");
    else qputenv("XDG_CONFIG_HOME", previous_);
  }
  SettingsSandbox(const SettingsSandbox&) = delete;
  SettingsSandbox& operator=(const SettingsSandbox&) = delete;

  bool IsValid() const { return dir_.isValid(); }
  QString path() const { return dir_.path(); }

 private:
  QByteArray previous_;
  QTemporaryDir dir_;
};

}  // namespace hopper::test
