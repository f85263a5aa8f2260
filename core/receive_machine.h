#pragma once
// The receive state machine of the setting link: one byte in, host operations out.
// Every effect happens through LinkHost before Consume() returns.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/channel_table.h"
#include "core/link_state.h"

namespace hopper {

enum class StatusColour { Blue, Red };

inline constexpr std::string_view kCaptionSwitchOn = "Switch on Kavoo";
inline constexpr std::string_view kCaptionEnterData = "Enter Data (Do not Reset hopper)";
inline constexpr std::string_view kCaptionSaveComplete = "Save complete";
inline constexpr std::string_view kCaptionChecksumError = "Checksum Error,Reset hopper";
inline constexpr std::string_view kCaptionCommunicationError = "Comunication Error,Reset hopper";
inline constexpr std::string_view kCaptionSaveFailed = "Save faild,Reset hopper";
inline constexpr std::string_view kCaptionSaving = "Saving";
inline constexpr std::string_view kCaptionDataError = "Data Error";
inline constexpr std::string_view kCaptionNoResponse = "No Response";

// The receive watch's message: two lines joined by a carriage return.
inline constexpr std::string_view kReceiveWatchMessage =
    "Receive Error perhaps incorrect interface\rswitch to Vorn interface then Restart Hopper";

inline constexpr int kReceiveWatchMs = 500;
inline constexpr int kResponseWatchMs = 1000;

// What the state machine needs from the window that owns the port.
class LinkHost {
 public:
  virtual ~LinkHost() = default;
  virtual void ShowStatus(StatusColour colour, std::string_view caption) = 0;
  virtual void SetChannelEntry(int index, const std::string& text) = 0;
  virtual void SendByte(std::uint8_t byte) = 0;
  // Whether the port is open: a save on a closed one sends nothing.
  virtual bool LineOpen() const = 0;
  // The bytes in one write; false when the line did not take them all.
  virtual bool SendFrame(std::span<const std::uint8_t> bytes) = 0;
  virtual void ArmReceiveWatch() = 0;
  virtual void ArmResponseWatch() = 0;
  // A save frame could not be written: tell the technician, once.
  virtual void ReportWriteFailure() = 0;
  virtual void DrainInput() = 0;
  // A data block's checksum byte arrived: whether it matched. The host may keep the block's
  // values as what the hopper holds; the link itself needs nothing done.
  virtual void BlockChecked(bool /*match*/) {}
};

enum class SaveResult {
  Sent,         // the frame is on the line; the response watch runs
  RangeError,   // refused: a box above 65535
  AllZero,      // refused: no box above 0
  PortClosed,   // valid, but there is no open port: nothing was sent
  WriteFailed,  // the line did not take the frame; the host has reported it
};

struct SaveOutcome {
  SaveResult result = SaveResult::Sent;
  int focusChannel = 0;       // the box to focus after a refusal
  std::string_view message;   // the refusal's message text
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

  // The port opened at start-up: blue "Switch on Kavoo", then wait for a report.
  void StartUp();

  // The Save command: checks the boxes, sends the save frame in one piece, shows "Saving" and
  // arms the response watch. A refusal shows red "Data Error" and sends nothing; a failed write
  // is reported through the host and the link waits for a report again.
  SaveOutcome Save(const ChannelTexts& texts);

  // The simulation window gave the port back: the next block is taken as a read-back.
  void PortReturned();

  // The receive watch fired. Returns true when the report did not complete in time,
  // in which case the link went back to WaitStart and the caller shows kReceiveWatchMessage.
  bool ReceiveWatchExpired();

  // The response watch fired, after the caller gave the inputs back.
  // Shows red "No Response" when no acknowledgement came; returns whether it did.
  bool ResponseWatchExpired();

  LinkState State() const { return state_; }
  // True while the data block being received is the read-back after a save
  // (or after the simulation window handed the port back).
  bool AfterSave() const { return afterSave_; }
  const LinkVariables& Variables() const { return vars_; }

 private:
  void LinkError(std::string_view caption);
  void HeaderComplete();
  void ClearBlock();

  LinkHost& host_;
  LinkState state_ = LinkState::None;
  bool afterSave_ = false;
  LinkVariables vars_;
};

}  // namespace hopper
