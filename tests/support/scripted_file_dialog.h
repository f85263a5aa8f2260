#pragma once
// A FileDialog for tests: answers each question with the next queued path (an empty path is a
// cancel; nothing queued is a cancel too) and records what it was asked.

#include <QList>
#include <QQueue>

#include "platform/widgets/file_dialog.h"

namespace hopper {

class ScriptedFileDialog final : public FileDialog {
 public:
  enum class Kind { Open, Save };
  struct Asked {
    Kind kind;
    FileDialogRequest request;
    QWidget* parent;
  };

  void Answer(const QString& path) { answers_.enqueue(path); }
  void Cancel() { answers_.enqueue(QString()); }

  QString AskOpen(QWidget* parent, const FileDialogRequest& request) override {
    return Take(Kind::Open, parent, request);
  }
  QString AskSave(QWidget* parent, const FileDialogRequest& request) override {
    return Take(Kind::Save, parent, request);
  }

  QList<Asked> asked;

 private:
  QString Take(Kind kind, QWidget* parent, const FileDialogRequest& request) {
    asked.append({kind, request, parent});
    return answers_.isEmpty() ? QString() : answers_.dequeue();
  }

  QQueue<QString> answers_;
};

}  // namespace hopper
