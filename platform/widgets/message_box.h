#pragma once
// Modal message boxes with an OK button only, behind an interface so tests can answer them.

#include <QString>
#include <QtGlobal>

class QWidget;

namespace hopper {

enum class MessageIcon { None, Exclamation, Critical };

struct Message {
  QString text;  // the main text, exactly as the program words it
  MessageIcon icon = MessageIcon::None;
  QString title;        // empty: the application title
  QString informative;  // optional detail under the main text (device path, what to do)
};

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Returns when the user has closed the box.
  virtual void Show(QWidget* parent, const Message& message) = 0;
  // A question with Yes and No, No the default: true only when the user chose Yes.
  // Boxes that cannot ask answer No, which leaves everything as it was.
  virtual bool Ask(QWidget* /*parent*/, const Message& /*question*/) { return false; }
  // The box with a second button, `choice`, beside OK; true when that button closed it.
  virtual bool ShowWithChoice(QWidget* parent, const Message& message, const QString& choice) {
    Q_UNUSED(choice);
    Show(parent, message);
    return false;
  }
};

// The real, modal QMessageBox.
class QtMessageBoxes final : public MessageBoxes {
 public:
  void Show(QWidget* parent, const Message& message) override;
  bool Ask(QWidget* parent, const Message& question) override;
  bool ShowWithChoice(QWidget* parent, const Message& message, const QString& choice) override;
};

// The title a message box bears when the program gives it none.
QString ApplicationTitle();

}  // namespace hopper
