#pragma once
// What the emulated hopper holds and how it misbehaves when asked to.

#include <cstdint>
#include <optional>
#include <vector>

#include "core/setting_frames.h"

namespace hopper::emulator {

// Each fault is off unless set; several may be combined.
struct Faults {
  bool badReportChecksum = false;
  bool badReadBackChecksum = false;
  bool noEchoWait = false;                    // 0x83 follows 0x82 at once
  std::optional<std::uint8_t> wrongReady;     // sent instead of 0x83
  bool noAck = false;                         // a save frame gets no answer at all
  std::optional<std::uint8_t> wrongAck;       // sent instead of 0x84
  std::optional<std::size_t> cutReportAfter;  // the report stops after this many bytes
  bool infoLengthZero = false;                // length byte 0 and no info bytes
  std::size_t noiseBytes = 0;                 // random bytes before the report
  std::uint32_t noiseSeed = 1;
  std::optional<std::size_t> pullCableAfter;  // the line closes after this many bytes sent
  std::optional<std::size_t> readBackChange;  // this channel index is stored (and read back) one higher
  int ackDelayMs = 0;                         // the answer to a save frame waits this long
  int readBackDelayMs = 0;                    // the read-back follows the answer this long after it
};

struct HopperConfig {
  CoinNumbers coins{1000, 500, 250, 100, 50, 20, 10, 5, 2, 1, 0, 0, 0, 0, 0, 0};
  std::uint8_t header1 = 0x01;
  std::uint8_t header2 = 0x10;
  std::vector<std::uint8_t> info{'H', 'K', '1', '0'};  // 1..255 bytes
  int echoTimeoutMs = 1000;
  // A save frame that stops for longer than this is dropped, so later commands are not
  // taken as its data.
  int frameGapMs = 500;
  Faults faults;
};

}  // namespace hopper::emulator
