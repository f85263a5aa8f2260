#pragma once
// A MessageBoxes that shows nothing, for tests: what would have been shown or asked is recorded.

#include <QList>
#include <QStringList>
#include <functional>

#include "platform/widgets/message_box.h"

namespace hopper {

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

}  // namespace hopper
