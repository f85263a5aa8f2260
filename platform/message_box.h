#pragma once
// Modal message boxes with an OK button only, behind an interface so tests can answer them.

#include <QString>
#include <QtGlobal>
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

// Records every message instead of showing it; returns at once, as if OK had been pressed.
class RecordingMessageBoxes final : public MessageBoxes {
 public:
  void Show(QWidget*, const Message& message) override {
    shown.append(message);
    if (whileShown) whileShown(message);  // what happens while the box would be up
  }
  // Answers with the next of `choose` (OK once they run out) and notes the button offered.
  bool ShowWithChoice(QWidget* parent, const Message& message, const QString& choice) override {
    offered.append(choice);
    Show(parent, message);
    return !choose.isEmpty() && choose.takeFirst();
  }
  // Records the question and gives `answer`.
  bool Ask(QWidget*, const Message& question) override {
    asked.append(question);
    return answer;
  }
  QStringList Texts() const {
    QStringList texts;
    for (const Message& m : shown) texts << m.text;
    return texts;
  }
  QList<Message> shown;
  QList<Message> asked;
  bool answer = false;
  QStringList offered;
  QList<bool> choose;
  std::function<void(const Message&)> whileShown;
};

// The title a message box bears when the program gives it none.
QString ApplicationTitle();

}  // namespace hopper
