#pragma once
// The state of the setting link that the main window and the simulation window share.

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

// One object, owned by the program and reached by both windows.
struct SharedLink {
  LinkState linkState = LinkState::None;
  // True while the data block being received is the read-back after a save
  // (or after the simulation window handed the port back).
  bool afterSave = false;
};

// The simulation window gives the port back: the next block is taken as a read-back.
inline void SimulationClosed(SharedLink& link) {
  link.afterSave = true;
  link.linkState = LinkState::WaitStart;
}

}  // namespace hopper
