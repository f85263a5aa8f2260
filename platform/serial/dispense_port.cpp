#include "platform/serial/dispense_port.h"

#include "core/dispense.h"
#include "platform/serial/serial_port.h"

namespace hopper {

bool SendStartUp(SerialPort& port) {
  for (const std::uint8_t byte : StartUpCommand()) {
    if (!port.WriteByte(byte)) return false;
  }
  return true;
}

bool SendDispense(SerialPort& port, std::int16_t channelCode) {
  for (const std::uint8_t byte : DispenseCommand(channelCode)) {
    if (!port.WriteByte(byte)) return false;
  }
  return true;
}

void DrainReplies(SerialPort& port) {
  if (port.BytesWaiting() > 0) port.ReadAll();
}

}  // namespace hopper
