#pragma once
// The port assignment window: every serial device of the machine with what it is, which port
// number it stands for now and whether this user may open it; the technician gives a device
// to a port number (1 to 255) and the tool stores it under "Ports", by the device's stable name
// when it has one. The list follows devices being plugged in and out while the window is open,
// and below it stands what keeps a device from the tool, with what to do.

#include <QDialog>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "core/port_resolution.h"
#include "platform/serial/port_survey.h"

class QLabel;
class QPlainTextEdit;
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
  // Looks for findings with `survey` from now on (tests give one over a tree of their own).
  void SetSurvey(PortSurvey survey);
  // The line settings the driver of `device` did not take when the tool opened it.
  void SetLineTrouble(const QString& device, const QStringList& trouble);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildControls();
  void OnRowChosen();
  void OnAssign();
  void OnAutomatic();
  // Giving the port the tool works on to another device ends the hopper's link: asked first,
  // naming both devices.
  bool MayTakePortInUse(const QString& path);
  void ShowResolved();
  void ShowFindings(const std::vector<SerialDevice>& devices);
  void ShowSharedNameWarning();

  // The controls; each carries its own name without the underscore as its objectName.
  QTableWidget* deviceTable_ = nullptr;
  QLineEdit* devicePath_ = nullptr;
  QSpinBox* portNumberBox_ = nullptr;
  QPushButton* assignButton_ = nullptr;
  QPushButton* automaticButton_ = nullptr;
  QPushButton* closeButton_ = nullptr;
  QLabel* resolvedLine_ = nullptr;  // what the chosen number stands for now
  QLabel* warningLine_ = nullptr;   // why the chosen device is assigned by its USB path
  QPlainTextEdit* findingsText_ = nullptr;

  std::shared_ptr<const DeviceListing> listing_;
  MessageBoxes& messages_;
  QTimer* refresh_ = nullptr;
  QList<QStringList> shownRows_;
  std::vector<SerialDevice> shownDevices_;
  PortSurvey survey_;
  QString troubledDevice_;
  QStringList lineTrouble_;
  const int portInUse_;  // the number the main window works on
  std::optional<int> assigned_;
};

}  // namespace hopper
