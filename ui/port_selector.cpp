#include "ui/port_selector.h"

#include <QClipboard>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>

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
  const int index = findText(text);
  if (index >= 0) setCurrentIndex(index);
  setEditText(text);
}

void PortSelector::focusInEvent(QFocusEvent* event) {
  ClearClipboard();
  QComboBox::focusInEvent(event);
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
