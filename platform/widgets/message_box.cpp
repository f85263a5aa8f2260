#include "platform/widgets/message_box.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace hopper {

QString ApplicationTitle() { return QStringLiteral("Hopper Setting Tool"); }

namespace {

void Prepare(QMessageBox& box, const Message& message) {
  switch (message.icon) {
    case MessageIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MessageIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MessageIcon::Critical: box.setIcon(QMessageBox::Critical); break;
  }
  box.setWindowTitle(message.title.isEmpty() ? ApplicationTitle() : message.title);
  QString text = message.text;
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));  // a carriage return starts a new line
  box.setText(text);
  box.setTextFormat(Qt::PlainText);
  if (!message.informative.isEmpty()) box.setInformativeText(message.informative);
  // File names and device paths reach both lines: whatever they hold is shown as written and
  // nothing in them opens a browser. The box guesses the informative line's format itself.
  for (QLabel* label : box.findChildren<QLabel*>()) {
    label->setTextFormat(Qt::PlainText);
    label->setOpenExternalLinks(false);
    label->setTextInteractionFlags(label->textInteractionFlags() & ~Qt::LinksAccessibleByMouse &
                                   ~Qt::LinksAccessibleByKeyboard);
  }
  box.setStandardButtons(QMessageBox::Ok);
}

}  // namespace

void QtMessageBoxes::Show(QWidget* parent, const Message& message) {
  QMessageBox box(parent);
  Prepare(box, message);
  box.exec();
}

bool QtMessageBoxes::ShowWithChoice(QWidget* parent, const Message& message, const QString& choice) {
  QMessageBox box(parent);
  Prepare(box, message);
  QPushButton* chooseButton = box.addButton(choice, QMessageBox::ActionRole);
  box.setDefaultButton(QMessageBox::Ok);
  box.exec();
  return box.clickedButton() == chooseButton;
}

bool QtMessageBoxes::Ask(QWidget* parent, const Message& question) {
  QMessageBox box(parent);
  Prepare(box, question);
  box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
  box.setDefaultButton(QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

}  // namespace hopper
