#pragma once
// A serial port that gives a device a moment after it appeared. Right after an adapter is
// plugged in again, or the computer wakes from sleep, Windows answers "access denied" for up to
// some two seconds while the driver starts the device anew; the same happens at the program's
// start when the adapter was plugged in just before. So the first opening, and the first
// opening after the device came back, try again for up to kPatienceMs before they report the
// port in use. Any other opening (another port chosen, the hand-over) answers at once.
// A wake from sleep counts as a replug: the open line is given up as lost and reopened, since
// an adapter's handle seldom survives the sleep even when nothing reports it.

#include <functional>
#include <memory>

#include "platform/serial/serial_port_wrapper.h"

namespace hopper {

class PatientSerialPort final : public SerialPortWrapper {
  Q_OBJECT
 public:
  static constexpr int kPatienceMs = 2000;
  static constexpr int kRetryStepMs = 100;
  // Waits `ms` milliseconds; the tests' pause waits for nothing.
  using Pause = std::function<void(int ms)>;

  explicit PatientSerialPort(std::unique_ptr<SerialPort> port, Pause pause = {}, QObject* parent = nullptr);

  OpenOutcome Open() override;
  void Close() override;

  // The computer woke from sleep.
  void Resumed();

 private:
  void OnDeviceReturned() override;

  Pause pause_;
  bool patient_ = true;         // the next opening waits out a passing "in use"
  bool returnPending_ = false;  // a wake's "device returned" is on its way
};

}  // namespace hopper
