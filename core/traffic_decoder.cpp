#include "core/traffic_decoder.h"

#include <string>

#include "core/dispense.h"
#include "core/receive_machine.h"
#include "core/setting_frames.h"

namespace hopper {

namespace {

std::string Byte(std::uint8_t b) { return "0x" + HexText({b}); }

std::string ChannelName(int index) { return "Channel" + std::to_string(index + 1); }

// What the link did with one byte: only what tells its meaning apart is kept.
class Effects final : public LinkHost {
 public:
  void Clear() {
    entry = -1;
    value.clear();
    error.clear();
  }
  void ShowStatus(StatusColour colour, std::string_view caption) override {
    if (colour == StatusColour::Red) error = caption;
  }
  void SetChannelEntry(int index, const std::string& text) override {
    entry = index;
    value = text;
  }
  void SendByte(std::uint8_t) override {}  // the real echo and frame are seen as sent bytes
  bool LineOpen() const override { return true; }
  bool SendFrame(std::span<const std::uint8_t>) override { return true; }
  void ArmReceiveWatch() override {}
  void ArmResponseWatch() override {}
  void ReportWriteFailure() override {}
  void DrainInput() override {}  // what the real link discards is reported as discarded

  int entry = -1;
  std::string value;
  std::string error;
};

}  // namespace

// The link as this decoder follows it: the same state machine, fed the same bytes.
struct TrafficDecoder::Follower {
  Effects effects;
  ReceiveMachine machine{effects};
};

TrafficDecoder::TrafficDecoder(Sink sink) : sink_(std::move(sink)), follower_(std::make_unique<Follower>()) {}

TrafficDecoder::~TrafficDecoder() = default;

void TrafficDecoder::Emit(std::int64_t ms, TrafficDirection direction, std::vector<std::uint8_t> bytes,
                          std::string meaning, bool joins) {
  sink_(TrafficEntry{ms, direction, std::move(bytes), std::move(meaning), joins});
}

void TrafficDecoder::FlushHalfPair(std::int64_t ms) {
  if (heldReceived_.empty()) return;
  Emit(ms, TrafficDirection::FromHopper, std::move(heldReceived_), std::move(heldMeaning_));
  heldReceived_.clear();
  heldMeaning_.clear();
}

void TrafficDecoder::Received(std::int64_t ms, LineRole role, std::uint8_t b) {
  if (role == LineRole::Simulation) {
    Emit(ms, TrafficDirection::FromHopper, {b}, "read and discarded by the simulation window", true);
    return;
  }
  Follower& f = *follower_;
  const LinkState before = f.machine.State();
  const int expectedSum = f.machine.Variables().checksumSum & 0xFF;
  const int channel = f.machine.Variables().dataCount / 2;
  const bool readBack = f.machine.AfterSave();
  f.effects.Clear();
  f.machine.Consume(b);
  const LinkState after = f.machine.State();
  const std::string& error = f.effects.error;

  std::string meaning;
  bool joins = false;
  switch (before) {
    case LinkState::None:
      meaning = "ignored: the link has not started";
      joins = true;
      break;
    case LinkState::WaitStart:
      if (b == kStartByte) {
        meaning = "report start " + Byte(b);
      } else {
        meaning = "ignored while waiting for a start byte";
        joins = true;
      }
      break;
    case LinkState::Header:
      if (after == LinkState::Header) meaning = "header byte";
      else if (after == LinkState::SkipInfo) meaning = "info length " + std::to_string(b);
      else meaning = "info length 0: the data block follows, receive watch armed";
      break;
    case LinkState::SkipInfo:
      if (after == LinkState::Data) {
        meaning = "last info byte: the data block follows, receive watch armed";
      } else {
        meaning = "info bytes";
        joins = true;
      }
      break;
    case LinkState::Data:
      if (f.effects.entry < 0) {
        heldReceived_ = {b};
        heldMeaning_ = ChannelName(channel) + " high byte (no low byte came)";
        return;
      }
      heldReceived_.push_back(b);
      meaning = (readBack ? "read-back " : "") + ChannelName(f.effects.entry) + " = " + f.effects.value;
      Emit(ms, TrafficDirection::FromHopper, std::move(heldReceived_), std::move(meaning));
      heldReceived_.clear();
      heldMeaning_.clear();
      return;
    case LinkState::Checksum:
      if (!error.empty()) {
        meaning = "checksum " + Byte(b) + " bad, the data add up to " + Byte(static_cast<std::uint8_t>(expectedSum)) +
                  ": " + error;
      } else {
        meaning = "checksum " + Byte(b) + " good: " +
                  (after == LinkState::WaitStart ? "read-back complete" : "report complete, waiting for sync 0x82");
      }
      break;
    case LinkState::AwaitSync:
      meaning = error.empty() ? "sync 0x82: the tool echoes it" : "expected sync 0x82: " + error;
      break;
    case LinkState::EnterData:
      meaning = error.empty() ? "ready 0x83: " + std::string(kCaptionEnterData) : "expected ready 0x83: " + error;
      break;
    case LinkState::AwaitSaveAck:
      meaning = error.empty() ? "acknowledgement 0x84: Save complete, the read-back follows"
                              : "expected acknowledgement 0x84: " + error;
      break;
  }
  Emit(ms, TrafficDirection::FromHopper, {b}, std::move(meaning), joins);
}

void TrafficDecoder::Sent(std::int64_t ms, LineRole role, std::uint8_t b) {
  FlushHalfPair(ms);
  if (role == LineRole::Simulation) SentBySimulation(ms, b);
  else SentOnSettingLink(ms, b);
}

void TrafficDecoder::SentOnSettingLink(std::int64_t ms, std::uint8_t b) {
  if (heldSent_.empty()) {
    if (b == kSaveLeadByte) {
      heldSent_ = {b};
      Emit(ms, TrafficDirection::ToHopper, {b}, "save frame: lead byte 0x83");
    } else if (b == kSyncByte) {
      Emit(ms, TrafficDirection::ToHopper, {b}, "echo 0x82");
    } else {
      Emit(ms, TrafficDirection::ToHopper, {b}, "unexpected byte");
    }
    return;
  }
  heldSent_.push_back(b);
  const std::size_t dataBytes = heldSent_.size() - 1;
  if (dataBytes % 2 != 0) return;
  const std::uint8_t high = heldSent_[dataBytes - 1];
  Emit(ms, TrafficDirection::ToHopper, {high, b},
       "save " + ChannelName(static_cast<int>(dataBytes / 2 - 1)) + " = " +
           std::to_string(DecodeCoinNumber(high, b)));
  if (dataBytes == kDataBlockSize) {
    // The link takes the frame as the save it is: waiting for 0x84, the next block a read-back.
    ChannelTexts texts;
    for (std::size_t i = 0; i < kCoinCount; ++i)
      texts[i] = std::to_string(DecodeCoinNumber(heldSent_[1 + 2 * i], heldSent_[2 + 2 * i]));
    heldSent_.clear();
    follower_->machine.Save(texts);
    Emit(ms, TrafficDirection::Event, {}, "save frame sent: waiting for acknowledgement 0x84, response watch armed");
  }
}

void TrafficDecoder::SentBySimulation(std::int64_t ms, std::uint8_t b) {
  if (heldSent_.empty()) {
    if (b == kDispenseLead) heldSent_ = {b};
    else Emit(ms, TrafficDirection::ToHopper, {b}, b == kStartUpCommand ? "start up 0x80" : "unexpected byte");
    return;
  }
  heldSent_.push_back(b);
  if (heldSent_.size() < 3) return;
  const int code = heldSent_[1];
  const bool good = code >= kFirstChannelCode && code <= kLastChannelCode && heldSent_[2] == kDispenseTail;
  Emit(ms, TrafficDirection::ToHopper, std::move(heldSent_),
       good ? "dispense " + ChannelName(code - kFirstChannelCode) : "dispense command with a bad channel or end byte");
  heldSent_.clear();
}

void TrafficDecoder::Discarded(std::int64_t ms, LineRole role, std::span<const std::uint8_t> bytes) {
  FlushHalfPair(ms);
  const char* meaning = role == LineRole::Simulation ? "read and discarded by the simulation window"
                                                     : "discarded: the rest of the input after the error";
  for (std::size_t at = 0; at < bytes.size(); at += TrafficRing::kMaxJoinedBytes) {
    const auto piece = bytes.subspan(at, std::min(TrafficRing::kMaxJoinedBytes, bytes.size() - at));
    Emit(ms, TrafficDirection::FromHopper, {piece.begin(), piece.end()}, meaning, true);
  }
}

void TrafficDecoder::Port(std::int64_t ms, LineRole role, PortEvent event, std::string_view detail) {
  FlushHalfPair(ms);
  heldSent_.clear();
  const bool simulation = role == LineRole::Simulation;
  std::string meaning;
  switch (event) {
    case PortEvent::Opened:
      meaning = simulation ? "hand-over: the simulation window opened its port " : "port opened ";
      break;
    case PortEvent::OpenFailed:
      meaning = simulation ? "the simulation window could not open its port: " : "port could not be opened: ";
      break;
    case PortEvent::Closed:
      if (simulation) {
        follower_->machine.PortReturned();
        meaning = "hand-back: the simulation window closed its port; the link waits for a start byte";
      } else {
        meaning = "port closed";
      }
      break;
    case PortEvent::Lost: meaning = "port lost: "; break;
  }
  if (event != PortEvent::Closed) meaning += detail;
  Emit(ms, TrafficDirection::Event, {}, std::move(meaning));
}

void TrafficDecoder::Link(std::int64_t ms, LinkEvent event) {
  FlushHalfPair(ms);
  Follower& f = *follower_;
  std::string meaning;
  switch (event) {
    case LinkEvent::Started:
      f.machine.StartUp();
      meaning = "link started: waiting for the hopper's report (" + std::string(kCaptionSwitchOn) + ")";
      break;
    case LinkEvent::ReceiveWatchExpired:
      meaning = f.machine.ReceiveWatchExpired()
                    ? "receive watch expired: no complete report, back to waiting for a start byte"
                    : "receive watch ended: the report was complete";
      break;
    case LinkEvent::ResponseWatchExpired:
      meaning = f.machine.ResponseWatchExpired() ? "response watch ended: the save was acknowledged"
                                                 : "response watch expired: no acknowledgement (No Response)";
      break;
  }
  Emit(ms, TrafficDirection::Event, {}, std::move(meaning));
}

}  // namespace hopper
