#pragma once
// Where the main window lets the technician pick the device behind a port number: the port
// assignment window, or a test's scripted answer.

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QWidget;

namespace hopper {

class DeviceListing;
class MessageBoxes;

class PortChooser {
 public:
  virtual ~PortChooser() = default;
  // Returns when the technician is done: the port number a device was assigned to, or nothing
  // when the window was closed without an assignment.
  virtual std::optional<int> Choose(QWidget* parent, int portNumber) = 0;
  // The line settings the driver of `device` did not take at the port's last opening.
  virtual void NoteLineTrouble(const QString& device, const QStringList& trouble) {
    troubledDevice_ = device;
    lineTrouble_ = trouble;
  }

 protected:
  QString troubledDevice_;
  QStringList lineTrouble_;
};

// The port assignment window, modal over `parent`.
class WindowPortChooser final : public PortChooser {
 public:
  explicit WindowPortChooser(MessageBoxes& messages, std::shared_ptr<const DeviceListing> listing = nullptr);
  std::optional<int> Choose(QWidget* parent, int portNumber) override;

 private:
  MessageBoxes& messages_;
  std::shared_ptr<const DeviceListing> listing_;
};

}  // namespace hopper
