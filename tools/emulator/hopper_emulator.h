#pragma once
// The emulated hopper on a line: HopperSide's decisions carried out over a ByteChannel,
// with paced output, real timers, the power-on triggers and the traffic log.

#include <QObject>
#include <QTimer>
#include <optional>

#include "tools/emulator/byte_channel.h"
#include "tools/emulator/hopper_side.h"
#include "tools/emulator/traffic_log.h"
#include "tools/emulator/transmitter.h"

namespace hopper::emulator {

class HopperEmulator final : public QObject, private HopperHost {
  Q_OBJECT
 public:
  HopperEmulator(HopperConfig config, ByteChannel& channel, TrafficLog& log, QObject* parent = nullptr);

  // 0: as fast as possible; the default paces like 9600 baud 8E1.
  void SetByteTimeUs(int us) { transmitter_.SetByteTimeUs(us); }

  // Switches the hopper on now (again, if it was on).
  void PowerOn();
  // Switches it on this long from now.
  void PowerOnAfter(int ms);
  // Switches it on this long after the far end first opens the line (at once if it is open).
  void PowerOnWhenOpened(int ms);
  // Switches it on again every `ms` from now, as a production line brings the next hopper;
  // 0 stops that.
  void PowerOnEvery(int ms);

  const HopperSide& Side() const { return side_; }
  const Transmitter& Output() const { return transmitter_; }

 signals:
  // The line is closed for good (the cable was pulled, or the device went away).
  void LineGone();

 private:
  void Send(const std::vector<std::uint8_t>& bytes, const std::string& meaning) override;
  void Heard(const std::vector<std::uint8_t>& bytes, const std::string& meaning) override;
  void Note(const std::string& text) override;
  void ArmTimer(HopperTimer timer, int ms) override;
  void CancelTimer(HopperTimer timer) override;

  void Received(const QByteArray& bytes);
  void FarEndOpened();
  QTimer& TimerFor(HopperTimer timer);

  ByteChannel& channel_;
  TrafficLog& log_;
  Transmitter transmitter_;
  HopperSide side_;
  QTimer echoTimer_;
  QTimer gapTimer_;
  QTimer ackTimer_;       // --ack-delay
  QTimer readBackTimer_;  // --readback-delay
  QTimer powerTimer_;
  QTimer repeatTimer_;                  // --power-on-every
  std::optional<int> powerOnOpenedMs_;  // waiting for the far end to open the line
};

}  // namespace hopper::emulator
