#include "ui/port_selector.h"

#include <QClipboard>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWheelEvent>

namespace hopper {

namespace {
void ClearClipboard() { QGuiApplication::clipboard()->clear(); }
}  // namespace

PortSelector::PortSelector(QWidget* parent) : QComboBox(parent) {
  setObjectName(QStringLiteral("Combo1"));
  setEditable(true);  // the text field can show a port the list does not offer
  setInsertPolicy(QComboBox::NoInsert);
  lineEdit()->setReadOnly(true);
  for (int n = 1; n <= 4; ++n) addItem(QStringLiteral("COM%1").arg(n));
  ShowPort(1);
  connect(this, &QComboBox::activated, this, [this](int index) {
    ClearClipboard();
    emit PortChosen(index);
  });
}

void PortSelector::ShowPort(int portNumber) {
  const QString text = QStringLiteral("COM%1").arg(portNumber);
  // A port outside the list leaves no list entry chosen, so Down still reaches COM1 first.
  setCurrentIndex(findText(text));
  setEditText(text);
}

void PortSelector::focusInEvent(QFocusEvent* event) {
  // Coming back to the window, or out of its own list, is not the selector gaining the focus:
  // what the technician copied in another program meanwhile stays on the clipboard.
  if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason) ClearClipboard();
  QComboBox::focusInEvent(event);
}

void PortSelector::wheelEvent(QWheelEvent* event) {
  // A turn of the wheel while passing over the selector must not change the port.
  event->ignore();
}

void PortSelector::keyPressEvent(QKeyEvent* event) {
  // Every key that types a character is dropped, a digit too; the arrows still pick from the list.
  if (!event->text().isEmpty() && !(event->modifiers() & Qt::ControlModifier)) {
    event->accept();
    return;
  }
  QComboBox::keyPressEvent(event);
}

}  // namespace hopper
