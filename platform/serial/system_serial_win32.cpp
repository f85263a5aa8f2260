#include "platform/serial/patient_serial_port.h"
#include "platform/serial/registry_device_listing.h"
#include "platform/serial/resume_notice_win32.h"
#include "platform/serial/system_serial.h"
#include "platform/serial/win32_serial_port.h"

namespace hopper {

std::unique_ptr<SerialPort> MakeSystemSerialPort(const QString& device) {
  auto port = std::make_unique<Win32SerialPort>(MakeSystemDeviceListing());
  port->SetDevice(device);
  // Windows refuses a port for a moment after a replug or a wake from sleep.
  auto patient = std::make_unique<PatientSerialPort>(std::move(port));
  QObject::connect(&ResumeNotice::Instance(), &ResumeNotice::Resumed, patient.get(), &PatientSerialPort::Resumed);
  return patient;
}

std::shared_ptr<const DeviceListing> MakeSystemDeviceListing() { return std::make_shared<RegistryDeviceListing>(); }

}  // namespace hopper
