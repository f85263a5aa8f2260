#include "ui/manual_command.h"

#include <QDir>
#include <QFile>
#include <filesystem>
#include <system_error>

#include "platform/widgets/message_box.h"

namespace hopper {

namespace {

enum class ManualFile { Present, Missing, Inaccessible };

// An ordinary file counts; a folder, a device or a broken link does not. A path that cannot
// even be looked at (a folder without access, a name too long) is an access error, not a
// missing file.
ManualFile ProbeManualFile(const QString& path) {
  std::error_code error;
  const std::filesystem::path native(QFile::encodeName(path).toStdString());
  const std::filesystem::file_status status = std::filesystem::status(native, error);
  if (status.type() == std::filesystem::file_type::not_found) return ManualFile::Missing;
  if (error) return ManualFile::Inaccessible;
  return status.type() == std::filesystem::file_type::regular ? ManualFile::Present : ManualFile::Missing;
}

}  // namespace

ManualCommand::ManualCommand(QString programFolder, MessageBoxes& messages, QObject* parent)
    : QObject(parent), programFolder_(std::move(programFolder)), messages_(messages) {}

ManualCommand::~ManualCommand() { delete window_.data(); }

QString ManualCommand::ManualPath(const QString& programFolder) {
  return QDir(programFolder).filePath(QStringLiteral("Manual.rtf"));
}

void ManualCommand::Run(QWidget* dialogParent) {
  const QString path = ManualPath(programFolder_);
  switch (ProbeManualFile(path)) {
    case ManualFile::Missing:
      // An open manual window stays open with the text it has.
      ShowError(dialogParent, QStringLiteral("File Does Not Exist"), path);
      return;
    case ManualFile::Inaccessible: ShowError(dialogParent, QStringLiteral("File Not Exist Or Be Opened"), path); return;
    case ManualFile::Present: break;
  }

  if (window_) {
    window_->raise();
    window_->activateWindow();
    return;
  }

  // No owner: the manual window is a window of its own beside the main window.
  auto* window = new ManualWindow(nullptr);
  connect(window, &ManualWindow::Unloaded, this, &ManualCommand::ManualWindowClosed);
  if (window->LoadManual(path) == RtfFileStatus::CannotOpen) {
    ShowError(dialogParent, QStringLiteral("File Does Not Exist Or In Using"), path);
    window->close();  // never shown; its unload still brings the main window forward
    return;
  }
  window_ = window;
  window->show();
  window->activateWindow();
}

void ManualCommand::ShowError(QWidget* parent, const QString& text, const QString& path) {
  // The path under the message tells the technician which file of an installed program to
  // look for.
  messages_.Show(parent, Message{text, MessageIcon::Critical, QStringLiteral("Error"), QDir::toNativeSeparators(path)});
}

}  // namespace hopper
