#pragma once
// Splits what the tool sends into commands, one byte at a time: the echo of the sync byte,
// save frames, and the dispense protocol's start-up and dispense commands.

#include <cstdint>
#include <optional>
#include <vector>

#include "core/setting_frames.h"

namespace hopper::emulator {

enum class CommandKind {
  Echo,         // 0x82
  SaveFrame,    // 0x83 and 32 data bytes
  StartUp,      // 0x80
  Dispense,     // 0x81, 0x40 + channel index, 0x10
  BadDispense,  // 0x81 and two bytes that are not a channel byte and 0x10
  Unknown,      // a byte that starts no command
};

struct Command {
  CommandKind kind = CommandKind::Unknown;
  std::vector<std::uint8_t> bytes;  // everything that made it up, as received
  CoinNumbers coins{};              // SaveFrame: the 16 values to store
  int channelIndex = 0;             // Dispense: 0..15
};

class CommandDecoder {
 public:
  // The command this byte completes, if any.
  std::optional<Command> Consume(std::uint8_t byte);

  // Drops a command that stopped part-way; returns its bytes.
  std::vector<std::uint8_t> Abandon();

 private:
  std::optional<Command> Complete(CommandKind kind);

  std::vector<std::uint8_t> pending_;
  std::size_t expected_ = 0;  // bytes the pending command needs in all
};

}  // namespace hopper::emulator
