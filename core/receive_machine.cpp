#include "core/receive_machine.h"

#include "core/setting_frames.h"

namespace hopper {

void ReceiveMachine::Consume(std::uint8_t b) {
  switch (link_.linkState) {
    case LinkState::WaitStart:
      if (b == kStartByte) {
        host_.ShowStatus(StatusColour::Blue, "");
        link_.linkState = LinkState::Header;
        vars_.headerCount = 1;
      }
      break;

    case LinkState::Header:
      vars_.headerCount += 1;
      if (vars_.headerCount == 4) {
        vars_.infoLength = b;
        vars_.headerCount = 0;
        link_.linkState = LinkState::SkipInfo;
        // A report without info bytes: its length byte is the last byte of the header.
        if (vars_.infoLength == 0) HeaderComplete();
      }
      break;

    case LinkState::SkipInfo:
      vars_.headerCount += 1;
      if (vars_.headerCount == vars_.infoLength) HeaderComplete();
      break;

    case LinkState::Data:
      vars_.checksumSum = static_cast<std::int16_t>(vars_.checksumSum + b);
      vars_.dataCount += 1;
      if (vars_.pairHalf == 0) {
        vars_.channelValue = b * 256;
        vars_.pairHalf = 1;
      } else {
        vars_.channelValue += b;
        vars_.pairHalf = 0;
        host_.SetChannelEntry(vars_.dataCount / 2 - 1, std::to_string(vars_.channelValue));
      }
      if (vars_.dataCount == static_cast<std::int16_t>(kDataBlockSize)) {
        vars_.dataCount = 0;
        link_.linkState = LinkState::Checksum;
      }
      break;

    case LinkState::Checksum: {
      const bool match = b == (vars_.checksumSum & 0xFF);
      vars_.checksumSum = 0;
      host_.BlockChecked(match);
      if (match) {
        link_.linkState = link_.afterSave ? LinkState::WaitStart : LinkState::AwaitSync;
        vars_.reportReceived = true;
      } else {
        LinkError(kCaptionChecksumError);
      }
      break;
    }

    case LinkState::AwaitSync:
      if (b == kSyncByte) {
        host_.SendByte(kSyncByte);
        link_.linkState = LinkState::EnterData;
      } else {
        LinkError(kCaptionCommunicationError);
      }
      break;

    case LinkState::EnterData:
      if (b == kReadyByte) {
        host_.ShowStatus(StatusColour::Blue, kCaptionEnterData);
      } else {
        LinkError(kCaptionCommunicationError);
      }
      break;

    case LinkState::AwaitSaveAck:
      if (b == kSaveAckByte) {
        host_.ShowStatus(StatusColour::Blue, kCaptionSaveComplete);
        vars_.saveAcknowledged = true;
        // The read-back block follows without a header. It is a block of its own: a report
        // abandoned part-way must not shift its values into the wrong boxes.
        ClearBlock();
        link_.linkState = LinkState::Data;
      } else {
        LinkError(kCaptionSaveFailed);
      }
      break;

    case LinkState::None:
      break;  // start-up never completed: the link listens to nothing
  }
}

void ReceiveMachine::ClearBlock() {
  vars_.channelValue = 0;
  vars_.dataCount = 0;
  vars_.pairHalf = 0;
  vars_.checksumSum = 0;
}

void ReceiveMachine::HeaderComplete() {
  ClearBlock();
  link_.afterSave = false;
  vars_.reportReceived = false;
  link_.linkState = LinkState::Data;
  host_.ArmReceiveWatch();
}

void ReceiveMachine::LinkError(std::string_view caption) {
  host_.ShowStatus(StatusColour::Red, caption);
  link_.linkState = LinkState::WaitStart;
  host_.DrainInput();
  vars_.headerCount = 0;
}

void ReceiveMachine::StartUp() {
  host_.ShowStatus(StatusColour::Blue, kCaptionSwitchOn);
  vars_.headerCount = 0;
  link_.linkState = LinkState::WaitStart;
}

void ReceiveMachine::SaveSent() {
  link_.linkState = LinkState::AwaitSaveAck;
  link_.afterSave = true;
}

bool ReceiveMachine::ReceiveWatchExpired() {
  if (vars_.reportReceived) return false;
  link_.linkState = LinkState::WaitStart;
  return true;
}

bool ReceiveMachine::ResponseWatchExpired() {
  if (!vars_.saveAcknowledged) host_.ShowStatus(StatusColour::Red, kCaptionNoResponse);
  return vars_.saveAcknowledged;
}

}  // namespace hopper
