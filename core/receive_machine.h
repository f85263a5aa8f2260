#pragma once
// The receive state machine of the setting link: one byte in, host operations out.
// Every effect happens through LinkHost before Consume() returns.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/channel_table.h"
#include "core/link_event.h"
#include "core/link_state.h"

namespace hopper {

inline constexpr int kReceiveWatchMs = 500;
inline constexpr int kResponseWatchMs = 1000;

// What the state machine needs from whoever owns the port. Every fact goes to OnLinkEvent(); the
// other operations are the link's own actions on the line and its watches.
class LinkHost {
 public:
  virtual ~LinkHost() = default;
  virtual void OnLinkEvent(const LinkEvent& event) = 0;
  virtual void SendByte(std::uint8_t byte) = 0;
  // Whether the port is open: a save on a closed one sends nothing.
  virtual bool LineOpen() const = 0;
  // The bytes in one write; false when the line did not take them all.
  virtual bool SendFrame(std::span<const std::uint8_t> bytes) = 0;
  virtual void ArmReceiveWatch() = 0;
  virtual void ArmResponseWatch() = 0;
  virtual void DrainInput() = 0;
};

enum class SaveResult {
  Sent,         // the frame is on the line; the response watch runs
  RangeError,   // refused: a box above 65535
  AllZero,      // refused: no box above 0
  PortClosed,   // valid, but there is no open port: nothing was sent
  Withheld,     // valid, but the technician kept it back (or its backup failed): nothing was sent
  WriteFailed,  // the line did not take the frame
};

struct SaveOutcome {
  SaveResult result = SaveResult::Sent;
  int focusChannel = 0;      // the box to focus after a refusal
  std::string_view message;  // the refusal's message text
};

// The main window's own link variables.
struct LinkVariables {
  std::uint8_t headerCount = 0;  // 1..4 in the header, then counts the info bytes
  std::uint8_t infoLength = 0;
  std::int16_t dataCount = 0;  // data bytes of the current block, 0..32
  std::uint8_t pairHalf = 0;   // 0 before a high byte, 1 after it
  std::int32_t channelValue = 0;
  std::int16_t checksumSum = 0;
  bool reportReceived = false;    // a block with a matching checksum since the last header
  bool saveAcknowledged = false;  // 0x84 since the last save frame
};

class ReceiveMachine {
 public:
  explicit ReceiveMachine(LinkHost& host) : host_(host) {}

  // One received byte.
  void Consume(std::uint8_t byte);

  // The port opened at start-up: the link waits for a report.
  void StartUp();

  // The Save command: checks the boxes, sends the save frame in one piece and arms the response
  // watch. A refusal sends nothing; after a failed write the link waits for a report again.
  SaveOutcome Save(const ChannelTexts& texts);

  // The simulation window gave the port back: the next block is taken as a read-back.
  void PortReturned();

  // The receive watch fired. Returns true when the report did not complete in time,
  // in which case the link went back to WaitStart.
  bool ReceiveWatchExpired();

  // The response watch fired, after the caller gave the inputs back. Returns whether the save
  // was acknowledged.
  bool ResponseWatchExpired();

  LinkState State() const { return state_; }
  // True while the data block being received is the read-back after a save
  // (or after the simulation window handed the port back).
  bool AfterSave() const { return afterSave_; }
  const LinkVariables& Variables() const { return vars_; }

 private:
  void Report(LinkEventKind kind, std::uint8_t byte, int value = 0);
  void LinkError(LinkFault fault, std::uint8_t byte, int expected);
  void HeaderComplete(std::uint8_t byte);
  void ClearBlock();

  LinkHost& host_;
  LinkState state_ = LinkState::None;
  bool afterSave_ = false;
  LinkVariables vars_;
  CoinNumbers block_{};               // the coin numbers of the block being received
  std::vector<std::uint8_t> header_;  // of the report being received
  std::vector<std::uint8_t> info_;
};

}  // namespace hopper
