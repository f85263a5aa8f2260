#include "core/receive_machine.h"

#include "core/save_check.h"
#include "core/setting_frames.h"

namespace hopper {

void ReceiveMachine::Consume(std::uint8_t b) {
  switch (state_) {
    case LinkState::WaitStart:
      if (b == kStartByte) {
        host_.ShowStatus(StatusColour::Blue, "");
        state_ = LinkState::Header;
        vars_.headerCount = 1;
      }
      break;

    case LinkState::Header:
      vars_.headerCount += 1;
      if (vars_.headerCount == 4) {
        vars_.infoLength = b;
        vars_.headerCount = 0;
        state_ = LinkState::SkipInfo;
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
        state_ = LinkState::Checksum;
      }
      break;

    case LinkState::Checksum: {
      const bool match = b == (vars_.checksumSum & 0xFF);
      vars_.checksumSum = 0;
      host_.BlockChecked(match);
      if (match) {
        state_ = afterSave_ ? LinkState::WaitStart : LinkState::AwaitSync;
        vars_.reportReceived = true;
      } else {
        LinkError(kCaptionChecksumError);
      }
      break;
    }

    case LinkState::AwaitSync:
      if (b == kSyncByte) {
        host_.SendByte(kSyncByte);
        state_ = LinkState::EnterData;
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
        state_ = LinkState::Data;
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
  afterSave_ = false;
  vars_.reportReceived = false;
  state_ = LinkState::Data;
  host_.ArmReceiveWatch();
}

void ReceiveMachine::LinkError(std::string_view caption) {
  host_.ShowStatus(StatusColour::Red, caption);
  state_ = LinkState::WaitStart;
  host_.DrainInput();
  vars_.headerCount = 0;
}

void ReceiveMachine::StartUp() {
  host_.ShowStatus(StatusColour::Blue, kCaptionSwitchOn);
  vars_.headerCount = 0;
  state_ = LinkState::WaitStart;
}

SaveOutcome ReceiveMachine::Save(const ChannelTexts& texts) {
  const SaveCheck check = CheckSave(texts);
  if (check.verdict != SaveVerdict::Valid) {
    host_.ShowStatus(StatusColour::Red, kCaptionDataError);
    if (check.verdict == SaveVerdict::RangeError) return {SaveResult::RangeError, check.channel, kRangeErrorMessage};
    return {SaveResult::AllZero, check.channel, kAllZeroMessage};
  }
  if (!host_.LineOpen()) return {SaveResult::PortClosed, 0, {}};
  vars_.saveAcknowledged = false;
  const SaveFrame frame = BuildSaveFrame(CoinNumbersOf(texts));
  if (!host_.SendFrame(frame)) {
    // Part of the frame may have reached the hopper: it needs a reset, and the link listens
    // for its next report.
    host_.ShowStatus(StatusColour::Red, kCaptionSaveFailed);
    host_.ReportWriteFailure();
    state_ = LinkState::WaitStart;
    afterSave_ = false;
    vars_.headerCount = 0;
    return {SaveResult::WriteFailed, 0, {}};
  }
  host_.ShowStatus(StatusColour::Blue, kCaptionSaving);
  state_ = LinkState::AwaitSaveAck;
  afterSave_ = true;
  host_.ArmResponseWatch();
  return {};
}

void ReceiveMachine::PortReturned() {
  afterSave_ = true;
  state_ = LinkState::WaitStart;
}

bool ReceiveMachine::ReceiveWatchExpired() {
  if (vars_.reportReceived) return false;
  state_ = LinkState::WaitStart;
  return true;
}

bool ReceiveMachine::ResponseWatchExpired() {
  if (!vars_.saveAcknowledged) host_.ShowStatus(StatusColour::Red, kCaptionNoResponse);
  return vars_.saveAcknowledged;
}

}  // namespace hopper
