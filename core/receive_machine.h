#pragma once
// The receive state machine of the setting link: one byte in, host operations out.
// Every effect happens through LinkHost before Consume() returns.

#include <cstdint>
#include <string>
#include <string_view>

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
  virtual void ArmReceiveWatch() = 0;
  virtual void DrainInput() = 0;
  // A data block's checksum byte arrived: whether it matched. The host may keep the block's
  // values as what the hopper holds; the link itself needs nothing done.
  virtual void BlockChecked(bool /*match*/) {}
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
  ReceiveMachine(SharedLink& link, LinkHost& host) : link_(link), host_(host) {}

  // One received byte.
  void Consume(std::uint8_t byte);

  // The port opened at start-up: blue "Switch on Kavoo", then wait for a report.
  void StartUp();

  // The Save command is about to send its frame.
  void SaveStarting() { vars_.saveAcknowledged = false; }
  // The Save command has sent its frame; the caller arms the response watch.
  void SaveSent();

  // The receive watch fired. Returns true when the report did not complete in time,
  // in which case the link went back to WaitStart and the caller shows kReceiveWatchMessage.
  bool ReceiveWatchExpired();

  // The response watch fired, after the caller gave the inputs back.
  // Shows red "No Response" when no acknowledgement came; returns whether it did.
  bool ResponseWatchExpired();

  LinkState State() const { return link_.linkState; }
  const LinkVariables& Variables() const { return vars_; }

 private:
  void LinkError(std::string_view caption);
  void HeaderComplete();
  void ClearBlock();

  SharedLink& link_;
  LinkHost& host_;
  LinkVariables vars_;
};

}  // namespace hopper
