#pragma once
// What every parameter-file test needs: a private settings folder, a scratch folder, the
// process's current folder put back afterwards, file helpers and the common test set-ups.

#include <sys/resource.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <csignal>
#include <memory>

#include "fake_channel_table.h"
#include "platform/files/settings_store.h"
#include "recording_message_boxes.h"
#include "scripted_file_dialog.h"
#include "ui/parameter_commands.h"

namespace testing {

// The 16 box texts: the given values first, "0" for the rest.
inline QStringList Boxes(const QString& firstValues) {
  QStringList boxes = firstValues.isEmpty() ? QStringList() : firstValues.split(QLatin1Char(','));
  while (boxes.size() < 16) boxes << QStringLiteral("0");
  return boxes;
}

// What "Open" says about a file it stopped reading part-way.
inline const QString kUnable = QStringLiteral("Unable to load , Please check file");

// The bytes "Save" writes for sixteen boxes showing "0".
inline QByteArray SixteenZeros() { return QByteArray(" 0\r\n").repeated(16); }

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

// Caps the size of any file this process writes, for as long as it lives; writing past the cap
// fails with "file too large" instead of ending the process.
class FileSizeCap {
 public:
  explicit FileSizeCap(rlim_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit cap = old_;
    cap.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &cap);
  }
  ~FileSizeCap() { setrlimit(RLIMIT_FSIZE, &old_); }
  FileSizeCap(const FileSizeCap&) = delete;
  FileSizeCap& operator=(const FileSizeCap&) = delete;

 private:
  rlimit old_{};
};

// The set-up of a test that opens and saves files: its own settings, a scratch folder for the
// files, the file dialog answered by the test and the message boxes recorded, not shown.
class FileTest : public QObject {
 protected:
  FileTest() = default;
  // The scratch folder made from `workTemplate`, e.g. a short one where its path is stored.
  explicit FileTest(const QString& workTemplate) : work_(workTemplate) {}

  QString Path(const QString& name) const { return work_.filePath(name); }
  // No settings file, the start folder current again, nothing shown and nothing asked yet.
  void ResetAll() {
    sandbox_.Reset();
    boxes_.shown.clear();
    dialog_.asked.clear();
  }

  Sandbox sandbox_;
  QTemporaryDir work_;
  hopper::ScriptedFileDialog dialog_;
  hopper::RecordingMessageBoxes boxes_;
  hopper::SettingsStore settings_;
};

// "Open" and "Save" on sixteen fake boxes instead of the main window.
class CommandsTest : public FileTest {
 protected:
  // Fresh commands on the boxes, as the program makes them at start-up.
  void MakeCommands() {
    commands_ = std::make_unique<hopper::ParameterCommands>(table_, dialog_, boxes_, QStringLiteral("/opt/hopper"));
  }
  // The technician picks `path` in the dialog of "Open" or of "Save".
  void Load(const QString& path) {
    dialog_.Answer(path);
    commands_->LoadFile();
  }
  void Save(const QString& path) {
    dialog_.Answer(path);
    commands_->SaveFile();
  }

  FakeChannelTable table_;
  std::unique_ptr<hopper::ParameterCommands> commands_;
};

}  // namespace testing
