#include "tools/emulator/hopper_emulator.h"

namespace hopper::emulator {

HopperEmulator::HopperEmulator(HopperConfig config, ByteChannel& channel, TrafficLog& log, QObject* parent)
    : QObject(parent), channel_(channel), log_(log), transmitter_(channel), side_(std::move(config), *this) {
  transmitter_.SetPullCableAfter(side_.Config().faults.pullCableAfter);
  for (QTimer* timer : {&echoTimer_, &gapTimer_, &powerTimer_, &ackTimer_, &readBackTimer_}) timer->setSingleShot(true);
  for (QTimer* timer : {&ackTimer_, &readBackTimer_}) timer->setTimerType(Qt::PreciseTimer);
  connect(&ackTimer_, &QTimer::timeout, this, [this] { side_.TimerFired(HopperTimer::AckDelay); });
  connect(&readBackTimer_, &QTimer::timeout, this, [this] { side_.TimerFired(HopperTimer::ReadBackDelay); });
  connect(&echoTimer_, &QTimer::timeout, this, [this] { side_.TimerFired(HopperTimer::EchoWait); });
  connect(&gapTimer_, &QTimer::timeout, this, [this] { side_.TimerFired(HopperTimer::FrameGap); });
  connect(&powerTimer_, &QTimer::timeout, this, &HopperEmulator::PowerOn);
  repeatTimer_.setTimerType(Qt::PreciseTimer);
  connect(&repeatTimer_, &QTimer::timeout, this, [this] {
    // Only a hopper the tool can hear is switched on; the next one follows at the same pace.
    if (channel_.PeerPresent()) PowerOn();
  });

  connect(&channel_, &ByteChannel::BytesReceived, this, &HopperEmulator::Received);
  connect(&channel_, &ByteChannel::PeerOpened, this, &HopperEmulator::FarEndOpened);
  connect(&channel_, &ByteChannel::PeerClosed, this, [this] { log_.Note(QStringLiteral("the tool closed the line")); });
  connect(&channel_, &ByteChannel::Lost, this, [this](const QString& why) {
    log_.Note(QStringLiteral("the line is gone: %1").arg(why));
    emit LineGone();
  });
  connect(&transmitter_, &Transmitter::CablePulled, this, [this](std::size_t after) {
    log_.Note(QStringLiteral("cable pulled after %1 bytes: the line is closed").arg(after));
    for (QTimer* timer : {&echoTimer_, &gapTimer_, &ackTimer_, &readBackTimer_, &repeatTimer_}) timer->stop();
    emit LineGone();
  });
  connect(&transmitter_, &Transmitter::BytesLost, this, [this](std::size_t count) {
    log_.Note(QStringLiteral("%1 bytes went nowhere: the tool does not have the line open").arg(count));
  });
}

void HopperEmulator::PowerOn() {
  powerTimer_.stop();
  powerOnOpenedMs_.reset();
  if (!channel_.IsOpen()) {
    log_.Note(QStringLiteral("power on refused: the line is closed"));
    return;
  }
  transmitter_.Clear();
  side_.PowerOn();
}

void HopperEmulator::PowerOnAfter(int ms) { powerTimer_.start(ms < 0 ? 0 : ms); }

void HopperEmulator::PowerOnEvery(int ms) {
  if (ms <= 0) repeatTimer_.stop();
  else repeatTimer_.start(ms);
}

void HopperEmulator::PowerOnWhenOpened(int ms) {
  powerOnOpenedMs_ = ms < 0 ? 0 : ms;
  if (channel_.PeerPresent()) FarEndOpened();
}

void HopperEmulator::FarEndOpened() {
  log_.Note(QStringLiteral("the tool opened the line"));
  if (!powerOnOpenedMs_) return;
  PowerOnAfter(*powerOnOpenedMs_);
  powerOnOpenedMs_.reset();
}

void HopperEmulator::Received(const QByteArray& bytes) {
  for (char c : bytes) side_.Consume(static_cast<std::uint8_t>(c));
}

void HopperEmulator::Send(const std::vector<std::uint8_t>& bytes, const std::string& meaning) {
  log_.Bytes(Direction::ToTool, bytes, QString::fromStdString(meaning));
  transmitter_.Queue(bytes);
}

void HopperEmulator::Heard(const std::vector<std::uint8_t>& bytes, const std::string& meaning) {
  log_.Bytes(Direction::FromTool, bytes, QString::fromStdString(meaning));
}

void HopperEmulator::Note(const std::string& text) { log_.Note(QString::fromStdString(text)); }

QTimer& HopperEmulator::TimerFor(HopperTimer timer) {
  switch (timer) {
    case HopperTimer::EchoWait: return echoTimer_;
    case HopperTimer::FrameGap: return gapTimer_;
    case HopperTimer::AckDelay: return ackTimer_;
    case HopperTimer::ReadBackDelay: return readBackTimer_;
  }
  return gapTimer_;
}

void HopperEmulator::ArmTimer(HopperTimer timer, int ms) {
  // The waits for the echo and before the read-back start when the byte before them has gone
  // out, not when it was queued.
  const int backlog =
      timer == HopperTimer::EchoWait || timer == HopperTimer::ReadBackDelay ? transmitter_.BacklogMs() : 0;
  TimerFor(timer).start(ms + backlog);
}

void HopperEmulator::CancelTimer(HopperTimer timer) { TimerFor(timer).stop(); }

}  // namespace hopper::emulator
