#pragma once
// What happened on the setting link, as facts of the protocol: the receive machine reports one
// event for every byte it takes and one for each outside trigger. The window turns events into
// captions and colours, the command line into exit codes, the line monitor into meanings; none
// of them reads the others' words.

#include <cstdint>
#include <vector>

#include "core/setting_frames.h"

namespace hopper {

// Why the link gave up on the dialogue and went back to the search for a start byte.
enum class LinkFault : std::uint8_t {
  Checksum,       // a data block whose checksum did not match
  Communication,  // something other than the sync or the ready byte
  SaveFailed,     // something other than the save acknowledgement
};

enum class LinkEventKind : std::uint8_t {
  // Outside the bytes
  Started,             // start-up: the link waits for the hopper's report
  SaveRefused,         // channel: the first box out of range, or 0 for a table of zeros; ok: range
  SaveSent,            // values: the set in the frame now on the line; the response watch runs
  SaveWriteFailed,     // values: the set the line did not take; the link waits for a report
  ResponseWatchEnded,  // ok: the save was acknowledged in time
  ReceiveWatchEnded,   // ok: the report had completed in time; otherwise back to WaitStart
  PortReturned,        // the simulation window gave the port back: the next block is a read-back
  // One for each received byte
  IgnoredBeforeStart,  // start-up never completed
  IgnoredWaitingForStart,
  ReportStarted,  // the start byte
  HeaderByte,
  InfoLength,  // value: the info length, above 0
  InfoByte,
  HeaderComplete,  // value: the info length; the data block follows, receive watch armed
  HighByte,        // channel: the box whose coin number it starts
  ChannelValue,    // channel, value: a coin number for the box
  BlockChecked,    // ok: the checksum matched; value: what the data add up to (mod 256); values: the
                   // block's 16 coin numbers; header, info: the report's, unless it is a read-back
  SyncEchoed,
  Ready,
  Acknowledged,
  LinkError,  // fault; value: the byte expected (the sum, for a checksum fault,
              // which follows its BlockChecked)
};

struct LinkEvent {
  LinkEventKind kind = LinkEventKind::Started;
  std::uint8_t byte = 0;  // the received byte, for the events of a byte
  int channel = 0;        // 0..15
  int value = 0;
  bool ok = true;
  bool readBack = false;  // the block is the read-back after a save
  LinkFault fault = LinkFault::Checksum;
  CoinNumbers values{};                // a whole set: the block checked, or the save's
  std::vector<std::uint8_t> header{};  // the two header bytes and the info length
  std::vector<std::uint8_t> info{};    // the info bytes
};

}  // namespace hopper
