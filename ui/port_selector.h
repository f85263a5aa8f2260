#pragma once
// The serial-port selector (objectName Combo1). A fixed list COM1..COM4; its text field may
// name a port outside the list (a stored COM7) but nothing can be typed into it: the port
// changes only by a choice from the list. Gaining the focus or a choice clears the system
// clipboard.

#include <QComboBox>

namespace hopper {

class PortSelector final : public QComboBox {
  Q_OBJECT
 public:
  explicit PortSelector(QWidget* parent);

  // Shows "COM<n>" in the text field, whether or not the list offers it.
  void ShowPort(int portNumber);

 signals:
  // The user chose list position `index` (0 for COM1).
  void PortChosen(int index);

 protected:
  void focusInEvent(QFocusEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
};

}  // namespace hopper
