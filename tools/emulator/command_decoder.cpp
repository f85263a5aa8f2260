#include "tools/emulator/command_decoder.h"

#include <span>

#include "core/dispense.h"

namespace hopper::emulator {

std::optional<Command> CommandDecoder::Consume(std::uint8_t byte) {
  if (pending_.empty()) {
    switch (byte) {
      case kSyncByte: pending_ = {byte}; return Complete(CommandKind::Echo);
      case kStartUpCommand: pending_ = {byte}; return Complete(CommandKind::StartUp);
      case kSaveLeadByte: expected_ = kSaveFrameSize; break;
      case kDispenseLead: expected_ = 3; break;
      default: pending_ = {byte}; return Complete(CommandKind::Unknown);
    }
    pending_ = {byte};
    return std::nullopt;
  }

  pending_.push_back(byte);
  if (pending_.size() < expected_) return std::nullopt;

  if (pending_.front() == kSaveLeadByte) {
    std::span<const std::uint8_t, kDataBlockSize> block(pending_.data() + 1, kDataBlockSize);
    const CoinNumbers coins = DecodeDataBlock(block);
    auto command = Complete(CommandKind::SaveFrame);
    command->coins = coins;
    return command;
  }

  const std::uint8_t channel = pending_[1];
  const bool good = channel >= kFirstChannelCode && channel <= kLastChannelCode && pending_[2] == kDispenseTail;
  auto command = Complete(good ? CommandKind::Dispense : CommandKind::BadDispense);
  if (good) command->channelIndex = channel - kFirstChannelCode;
  return command;
}

std::vector<std::uint8_t> CommandDecoder::Abandon() {
  std::vector<std::uint8_t> partial;
  partial.swap(pending_);
  expected_ = 0;
  return partial;
}

std::optional<Command> CommandDecoder::Complete(CommandKind kind) {
  Command command;
  command.kind = kind;
  command.bytes.swap(pending_);
  expected_ = 0;
  return command;
}

}  // namespace hopper::emulator
