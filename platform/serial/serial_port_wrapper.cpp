#include "platform/serial/serial_port_wrapper.h"

namespace hopper {

SerialPortWrapper::SerialPortWrapper(std::unique_ptr<SerialPort> port, QObject* parent)
    : SerialPort(parent), port_(std::move(port)) {
  port_->setParent(this);
  connect(port_.get(), &SerialPort::BytesArrived, this, &SerialPort::BytesArrived);
  connect(port_.get(), &SerialPort::DeviceLost, this, [this](const QString& why) { OnDeviceLost(why); });
  connect(port_.get(), &SerialPort::DeviceReturned, this, [this] { OnDeviceReturned(); });
}

}  // namespace hopper
