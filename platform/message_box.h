#pragma once
// Modal message boxes with an OK button only, behind an interface so tests can answer them.

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace hopper {

enum class MessageIcon { None, Exclamation, Critical };

struct Message {
  QString text;         // the main text, exactly as the program words it
  MessageIcon icon = MessageIcon::None;
  QString title;        // empty: the application title
  QString informative;  // optional detail under the main text (device path, what to do)
};

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Returns when the user has closed the box.
  virtual void Show(QWidget* parent, const Message& message) = 0;
};

// The real, modal QMessageBox.
class QtMessageBoxes final : public MessageBoxes {
 public:
  void Show(QWidget* parent, const Message& message) override;
};

// Records every message instead of showing it; returns at once, as if OK had been pressed.
class RecordingMessageBoxes final : public MessageBoxes {
 public:
  void Show(QWidget*, const Message& message) override {
    shown.append(message);
    if (whileShown) whileShown(message);  // what happens while the box would be up
  }
  QStringList Texts() const {
    QStringList texts;
    for (const Message& m : shown) texts << m.text;
    return texts;
  }
  QList<Message> shown;
  std::function<void(const Message&)> whileShown;
};

// The title a message box bears when the program gives it none.
QString ApplicationTitle();

}  // namespace hopper
