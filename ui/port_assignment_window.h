#pragma once
// The port assignment window: every serial device of the machine with what it is, which port
// number it stands for now and whether this user may open it; the technician gives a device
// to a port number (1 to 255) and the tool stores it under "Ports", by the device's stable name
// when it has one. The list follows devices being plugged in and out while the window is open.

#include <QDialog>
#include <QStringList>
#include <memory>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTimer;

namespace hopper {

class DeviceListing;
class MessageBoxes;

class PortAssignmentWindow final : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kRefreshMs = 1000;

  PortAssignmentWindow(std::shared_ptr<const DeviceListing> listing, MessageBoxes& messages, int portNumber,
                       QWidget* parent = nullptr);

  // The port number given a device (or given back to the first-start rule by "Automatic");
  // the window closes then.
  std::optional<int> Assigned() const { return assigned_; }

  // Lists the devices again (the timer does this while the window is open).
  void Refresh();

 private:
  void BuildControls();
  void OnRowChosen();
  void OnAssign();
  void OnAutomatic();
  void ShowResolved();

  // The controls; each carries its own name without the underscore as its objectName.
  QTableWidget* deviceTable_ = nullptr;
  QLineEdit* devicePath_ = nullptr;
  QSpinBox* portNumberBox_ = nullptr;
  QPushButton* assignButton_ = nullptr;
  QPushButton* automaticButton_ = nullptr;
  QPushButton* closeButton_ = nullptr;
  QLabel* resolvedLine_ = nullptr;  // what the chosen number stands for now

  std::shared_ptr<const DeviceListing> listing_;
  MessageBoxes& messages_;
  QTimer* refresh_ = nullptr;
  QList<QStringList> shownRows_;
  std::optional<int> assigned_;
};

}  // namespace hopper
