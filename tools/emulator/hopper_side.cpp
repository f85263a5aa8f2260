#include "tools/emulator/hopper_side.h"

#include "tools/emulator/power_on_frames.h"

namespace hopper::emulator {

namespace {
std::string Hex(std::uint8_t b) {
  static const char* digits = "0123456789ABCDEF";
  return {'0', 'x', digits[b >> 4], digits[b & 0x0F]};
}
}  // namespace

std::string CoinList(const CoinNumbers& coins) {
  std::string text;
  for (std::uint16_t value : coins) {
    if (!text.empty()) text += ' ';
    text += std::to_string(value);
  }
  return text;
}

void HopperSide::PowerOn() {
  host_.CancelTimer(HopperTimer::EchoWait);
  host_.CancelTimer(HopperTimer::FrameGap);
  host_.CancelTimer(HopperTimer::AckDelay);
  host_.CancelTimer(HopperTimer::ReadBackDelay);
  decoder_.Abandon();
  host_.Note("power on");

  const PowerOnFrames frames = BuildPowerOnFrames(config_);
  const Faults& faults = config_.faults;
  if (!frames.noise.empty())
    host_.Send(frames.noise, "noise: " + std::to_string(frames.noise.size()) + " random bytes");

  std::string meaning = "report " + std::to_string(kCoinCount) + " values: " + CoinList(config_.coins);
  if (faults.infoLengthZero) meaning += " (info length 0)";
  if (faults.badReportChecksum) meaning += " (checksum spoilt)";
  if (frames.cut) meaning = "report cut off after " + std::to_string(frames.report.size()) + " bytes";
  if (!frames.report.empty()) host_.Send(frames.report, meaning);

  if (frames.cut) {
    host_.Note("the report stops there: no sync byte follows");
    phase_ = HopperPhase::Ready;
    return;
  }
  host_.Send({kSyncByte}, "sync");
  if (faults.noEchoWait) {
    SendReady();
    return;
  }
  phase_ = HopperPhase::AwaitEcho;
  host_.ArmTimer(HopperTimer::EchoWait, config_.echoTimeoutMs);
}

void HopperSide::SendReady() {
  if (config_.faults.wrongReady) {
    host_.Send({*config_.faults.wrongReady}, "wrong byte instead of ready " + Hex(kReadyByte));
  } else {
    host_.Send({kReadyByte}, "ready");
  }
  phase_ = HopperPhase::Ready;
}

void HopperSide::Consume(std::uint8_t byte) {
  if (phase_ == HopperPhase::Off) {
    host_.Heard({byte}, "ignored: the hopper is off");
    return;
  }
  const std::optional<Command> command = decoder_.Consume(byte);
  if (!command) {
    host_.ArmTimer(HopperTimer::FrameGap, config_.frameGapMs);
    return;
  }
  host_.CancelTimer(HopperTimer::FrameGap);
  Interpret(*command);
}

void HopperSide::Interpret(const Command& command) {
  switch (command.kind) {
    case CommandKind::Echo:
      if (phase_ == HopperPhase::AwaitEcho) {
        host_.Heard(command.bytes, "echo");
        host_.CancelTimer(HopperTimer::EchoWait);
        SendReady();
      } else {
        host_.Heard(command.bytes, "echo (not awaited)");
      }
      break;
    case CommandKind::SaveFrame: AnswerSave(command); break;
    case CommandKind::StartUp: host_.Heard(command.bytes, "start up"); break;
    case CommandKind::Dispense: {
      const std::size_t index = static_cast<std::size_t>(command.channelIndex);
      host_.Heard(command.bytes, "dispense channel " + std::to_string(index + 1) + ": would pay from Channel" +
                                     std::to_string(index + 1) + " (coin number " +
                                     std::to_string(config_.coins[index]) + ")");
      break;
    }
    case CommandKind::BadDispense: host_.Heard(command.bytes, "dispense command with a bad channel or end byte"); break;
    case CommandKind::Unknown: host_.Heard(command.bytes, "unexpected byte"); break;
  }
}

void HopperSide::AnswerSave(const Command& command) {
  host_.Heard(command.bytes, "save frame: " + CoinList(command.coins));
  config_.coins = command.coins;
  const Faults& faults = config_.faults;
  std::string changed;
  if (faults.readBackChange) {
    std::uint16_t& value = config_.coins[*faults.readBackChange];
    value = static_cast<std::uint16_t>(value + 1);
    changed = " (Channel" + std::to_string(*faults.readBackChange + 1) + " stored as " + std::to_string(value) + ")";
  }
  if (faults.noAck) {
    host_.Note("no answer to the save frame (fault: no acknowledgement)");
    return;
  }
  answer_ = faults.wrongAck ? Outgoing{{*faults.wrongAck}, "wrong byte instead of acknowledgement " + Hex(kSaveAckByte)}
                            : Outgoing{{kSaveAckByte}, "acknowledgement"};
  const ReadBackBlock block = BuildReadBack(config_.coins, faults);
  readBack_ = {
      {block.begin(), block.end()},
      "read-back " + CoinList(config_.coins) + changed + (faults.badReadBackChecksum ? " (checksum spoilt)" : "")};
  if (faults.ackDelayMs > 0) {
    host_.Note("the answer waits " + std::to_string(faults.ackDelayMs) + " ms (fault: late acknowledgement)");
    host_.ArmTimer(HopperTimer::AckDelay, faults.ackDelayMs);
    return;
  }
  SendAnswer();
}

void HopperSide::SendAnswer() {
  host_.Send(answer_.bytes, answer_.meaning);
  if (config_.faults.readBackDelayMs > 0) {
    host_.Note("the read-back waits " + std::to_string(config_.faults.readBackDelayMs) + " ms (fault: late read-back)");
    host_.ArmTimer(HopperTimer::ReadBackDelay, config_.faults.readBackDelayMs);
    return;
  }
  SendReadBack();
}

void HopperSide::SendReadBack() { host_.Send(readBack_.bytes, readBack_.meaning); }

void HopperSide::TimerFired(HopperTimer timer) {
  if (timer == HopperTimer::AckDelay) {
    SendAnswer();
    return;
  }
  if (timer == HopperTimer::ReadBackDelay) {
    SendReadBack();
    return;
  }
  if (timer == HopperTimer::EchoWait) {
    if (phase_ != HopperPhase::AwaitEcho) return;
    host_.Note("no echo within " + std::to_string(config_.echoTimeoutMs) + " ms: the ready byte is not sent");
    phase_ = HopperPhase::Ready;
    return;
  }
  const std::vector<std::uint8_t> partial = decoder_.Abandon();
  if (!partial.empty()) {
    host_.Heard(partial, "command cut off after " + std::to_string(partial.size()) + " bytes: dropped");
  }
}

}  // namespace hopper::emulator
