#include "core/receive_machine.h"

#include "core/save_check.h"
#include "core/setting_frames.h"

namespace hopper {

namespace {

LinkEvent EventOf(LinkEventKind kind, std::uint8_t byte, int value, bool readBack) {
  LinkEvent event;
  event.kind = kind;
  event.byte = byte;
  event.value = value;
  event.readBack = readBack;
  return event;
}

}  // namespace

void ReceiveMachine::Report(LinkEventKind kind, std::uint8_t byte, int value) {
  host_.OnLinkEvent(EventOf(kind, byte, value, afterSave_));
}

void ReceiveMachine::Consume(std::uint8_t b) {
  switch (state_) {
    case LinkState::WaitStart:
      if (b == kStartByte) {
        header_.clear();
        info_.clear();
        Report(LinkEventKind::ReportStarted, b);
        state_ = LinkState::Header;
        vars_.headerCount = 1;
      } else {
        Report(LinkEventKind::IgnoredWaitingForStart, b);
      }
      break;

    case LinkState::Header:
      vars_.headerCount += 1;
      header_.push_back(b);
      if (vars_.headerCount == 4) {
        vars_.infoLength = b;
        vars_.headerCount = 0;
        state_ = LinkState::SkipInfo;
        // A report without info bytes: its length byte is the last byte of the header.
        if (vars_.infoLength == 0) {
          HeaderComplete(b);
        } else {
          Report(LinkEventKind::InfoLength, b, b);
        }
      } else {
        Report(LinkEventKind::HeaderByte, b);
      }
      break;

    case LinkState::SkipInfo:
      vars_.headerCount += 1;
      info_.push_back(b);
      if (vars_.headerCount == vars_.infoLength) HeaderComplete(b);
      else Report(LinkEventKind::InfoByte, b);
      break;

    case LinkState::Data: {
      vars_.checksumSum = static_cast<std::int16_t>(vars_.checksumSum + b);
      vars_.dataCount += 1;
      LinkEvent event;
      event.byte = b;
      event.channel = (vars_.dataCount - 1) / 2;
      event.readBack = afterSave_;
      if (vars_.pairHalf == 0) {
        vars_.channelValue = b * 256;
        vars_.pairHalf = 1;
        event.kind = LinkEventKind::HighByte;
      } else {
        vars_.channelValue += b;
        vars_.pairHalf = 0;
        event.kind = LinkEventKind::ChannelValue;
        event.value = vars_.channelValue;
        block_[static_cast<std::size_t>(event.channel)] = static_cast<std::uint16_t>(vars_.channelValue);
      }
      if (vars_.dataCount == static_cast<std::int16_t>(kDataBlockSize)) {
        vars_.dataCount = 0;
        state_ = LinkState::Checksum;
      }
      host_.OnLinkEvent(event);
      break;
    }

    case LinkState::Checksum: {
      const int sum = vars_.checksumSum & 0xFF;
      const bool match = b == sum;
      vars_.checksumSum = 0;
      LinkEvent event = EventOf(LinkEventKind::BlockChecked, b, sum, afterSave_);
      event.ok = match;
      event.values = block_;
      if (!afterSave_) {
        event.header = header_;
        event.info = info_;
      }
      if (match) {
        state_ = afterSave_ ? LinkState::WaitStart : LinkState::AwaitSync;
        vars_.reportReceived = true;
        host_.OnLinkEvent(event);
      } else {
        host_.OnLinkEvent(event);
        LinkError(LinkFault::Checksum, b, sum);
      }
      break;
    }

    case LinkState::AwaitSync:
      if (b == kSyncByte) {
        Report(LinkEventKind::SyncEchoed, b);
        host_.SendByte(kSyncByte);
        state_ = LinkState::EnterData;
      } else {
        LinkError(LinkFault::Communication, b, kSyncByte);
      }
      break;

    case LinkState::EnterData:
      // A repeated ready byte prompts again.
      if (b == kReadyByte) Report(LinkEventKind::Ready, b);
      else LinkError(LinkFault::Communication, b, kReadyByte);
      break;

    case LinkState::AwaitSaveAck:
      if (b == kSaveAckByte) {
        vars_.saveAcknowledged = true;
        // The read-back block follows without a header. It is a block of its own: a report
        // abandoned part-way must not shift its values into the wrong boxes.
        ClearBlock();
        state_ = LinkState::Data;
        Report(LinkEventKind::Acknowledged, b);
      } else {
        LinkError(LinkFault::SaveFailed, b, kSaveAckByte);
      }
      break;

    case LinkState::None:
      // Start-up never completed: the link listens to nothing.
      Report(LinkEventKind::IgnoredBeforeStart, b);
      break;
  }
}

void ReceiveMachine::ClearBlock() {
  vars_.channelValue = 0;
  vars_.dataCount = 0;
  vars_.pairHalf = 0;
  vars_.checksumSum = 0;
}

void ReceiveMachine::HeaderComplete(std::uint8_t b) {
  ClearBlock();
  afterSave_ = false;
  vars_.reportReceived = false;
  state_ = LinkState::Data;
  Report(LinkEventKind::HeaderComplete, b, vars_.infoLength);
  host_.ArmReceiveWatch();
}

void ReceiveMachine::LinkError(LinkFault fault, std::uint8_t b, int expected) {
  LinkEvent event = EventOf(LinkEventKind::LinkError, b, expected, afterSave_);
  event.fault = fault;
  host_.OnLinkEvent(event);
  state_ = LinkState::WaitStart;
  host_.DrainInput();
  vars_.headerCount = 0;
}

void ReceiveMachine::StartUp() {
  vars_.headerCount = 0;
  state_ = LinkState::WaitStart;
  Report(LinkEventKind::Started, 0);
}

SaveOutcome ReceiveMachine::Save(const ChannelTexts& texts) {
  const SaveCheck check = CheckSave(texts);
  if (check.verdict != SaveVerdict::Valid) {
    LinkEvent event;
    event.kind = LinkEventKind::SaveRefused;
    event.channel = check.channel;
    event.ok = check.verdict == SaveVerdict::RangeError;
    host_.OnLinkEvent(event);
    if (check.verdict == SaveVerdict::RangeError) return {SaveResult::RangeError, check.channel, kRangeErrorMessage};
    return {SaveResult::AllZero, check.channel, kAllZeroMessage};
  }
  if (!host_.LineOpen()) return {SaveResult::PortClosed, 0, {}};
  vars_.saveAcknowledged = false;
  LinkEvent sent;
  sent.values = CoinNumbersOf(texts);
  sent.readBack = true;
  if (!host_.SendFrame(BuildSaveFrame(sent.values))) {
    // Part of the frame may have reached the hopper: the link listens for its next report.
    sent.kind = LinkEventKind::SaveWriteFailed;
    sent.readBack = afterSave_;
    host_.OnLinkEvent(sent);
    state_ = LinkState::WaitStart;
    afterSave_ = false;
    vars_.headerCount = 0;
    return {SaveResult::WriteFailed, 0, {}};
  }
  state_ = LinkState::AwaitSaveAck;
  afterSave_ = true;
  // The watch runs from the frame's last byte: armed before anyone hears of the save, so what
  // they do about it (the journal's entry, the status line) cannot make it late.
  host_.ArmResponseWatch();
  sent.kind = LinkEventKind::SaveSent;
  host_.OnLinkEvent(sent);
  return {};
}

void ReceiveMachine::PortReturned() {
  afterSave_ = true;
  state_ = LinkState::WaitStart;
  Report(LinkEventKind::PortReturned, 0);
}

bool ReceiveMachine::ReceiveWatchExpired() {
  const bool expired = !vars_.reportReceived;
  if (expired) state_ = LinkState::WaitStart;
  LinkEvent event;
  event.kind = LinkEventKind::ReceiveWatchEnded;
  event.ok = !expired;
  host_.OnLinkEvent(event);
  return expired;
}

bool ReceiveMachine::ResponseWatchExpired() {
  LinkEvent event;
  event.kind = LinkEventKind::ResponseWatchEnded;
  event.ok = vars_.saveAcknowledged;
  host_.OnLinkEvent(event);
  return vars_.saveAcknowledged;
}

}  // namespace hopper
