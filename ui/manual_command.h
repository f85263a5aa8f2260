#pragma once
// The manual command of the main window ("[F1]Manual" and F1): checks that Manual.rtf is in
// the program folder, then opens the manual window, or brings it to the front if it is open.
// The file is read each time the window is created, never for a window already open.

#include <QObject>
#include <QPointer>
#include <QString>

#include "ui/manual_window.h"

class QWidget;

namespace hopper {

class MessageBoxes;

class ManualCommand : public QObject {
  Q_OBJECT

 public:
  // `programFolder` is where Manual.rtf is looked for; tests point it at a folder of their own.
  ManualCommand(QString programFolder, MessageBoxes& messages, QObject* parent = nullptr);
  // An open manual window goes with the command.
  ~ManualCommand() override;

  static QString ManualPath(const QString& programFolder);

  // Runs the command; `dialogParent` (the main window, or none) owns the message boxes only.
  void Run(QWidget* dialogParent);

  // The open manual window, or null.
  ManualWindow* Window() const { return window_; }

 signals:
  // The manual window has closed, or its load failed: the main window is to be shown again.
  void ManualWindowClosed();

 private:
  void ShowError(QWidget* parent, const QString& text, const QString& path);

  QString programFolder_;
  MessageBoxes& messages_;
  QPointer<ManualWindow> window_;
};

}  // namespace hopper
