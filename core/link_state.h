#pragma once
// The states of the setting link's receive machine. The machine owns its state; everyone
// else reads it through ReceiveMachine::State().

#include <cstdint>

namespace hopper {

enum class LinkState : std::uint8_t {
  None = 0,  // before start-up set a state: every byte is ignored
  WaitStart = 1,
  Header = 2,
  SkipInfo = 3,
  Data = 4,
  Checksum = 5,
  AwaitSync = 6,
  EnterData = 7,
  AwaitSaveAck = 8,
};

}  // namespace hopper
