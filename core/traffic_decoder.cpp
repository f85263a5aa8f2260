#include "core/traffic_decoder.h"

#include <string>

#include "core/dispense.h"
#include "core/link_captions.h"
#include "core/setting_frames.h"

namespace hopper {

namespace {

std::string Byte(std::uint8_t b) { return "0x" + HexText({b}); }

std::string ChannelName(int index) { return "Channel" + std::to_string(index + 1); }

}  // namespace

void TrafficDecoder::Emit(std::int64_t ms, TrafficDirection direction, TrafficBytes bytes, std::string meaning,
                          bool joins) {
  sink_(TrafficEntry{ms, direction, bytes, std::move(meaning), joins});
}

void TrafficDecoder::FlushHalfPair(std::int64_t ms) {
  if (heldReceived_.empty()) return;
  Emit(ms, TrafficDirection::FromHopper, heldReceived_, std::move(heldMeaning_));
  heldReceived_.clear();
  heldMeaning_.clear();
}

void TrafficDecoder::Received(std::int64_t ms, LineRole role, std::uint8_t b) {
  if (role == LineRole::Simulation)
    Emit(ms, TrafficDirection::FromHopper, {b}, "read and discarded by the simulation window", true);
}

void TrafficDecoder::ByteOfLink(std::int64_t ms, const LinkEvent& e) {
  using K = LinkEventKind;
  const std::uint8_t b = e.byte;
  const std::string readBack = e.readBack ? "read-back " : "";
  std::string meaning;
  bool joins = false;
  switch (e.kind) {
    case K::IgnoredBeforeStart:
      meaning = "ignored: the link has not started";
      joins = true;
      break;
    case K::IgnoredWaitingForStart:
      meaning = "ignored while waiting for a start byte";
      joins = true;
      break;
    case K::ReportStarted: meaning = "report start " + Byte(b); break;
    case K::HeaderByte: meaning = "header byte"; break;
    case K::InfoLength: meaning = "info length " + std::to_string(b); break;
    case K::InfoByte:
      meaning = "info bytes";
      joins = true;
      break;
    case K::HeaderComplete:
      meaning = e.value == 0 ? "info length 0: the data block follows, receive watch armed"
                             : "last info byte: the data block follows, receive watch armed";
      break;
    case K::HighByte:
      FlushHalfPair(ms);
      heldReceived_ = {b};
      heldMeaning_ = ChannelName(e.channel) + " high byte (no low byte came)";
      return;
    case K::ChannelValue:
      heldReceived_.push_back(b);
      Emit(ms, TrafficDirection::FromHopper, heldReceived_,
           readBack + ChannelName(e.channel) + " = " + std::to_string(e.value));
      heldReceived_.clear();
      heldMeaning_.clear();
      return;
    case K::BlockChecked:
      if (e.ok) {
        meaning = "checksum " + Byte(b) +
                  " good: " + (e.readBack ? "read-back complete" : "report complete, waiting for sync 0x82");
      } else {
        LinkEvent fault;
        fault.kind = K::LinkError;
        fault.byte = b;
        fault.ok = false;
        fault.readBack = e.readBack;
        meaning = "checksum " + Byte(b) + " bad, the data add up to " + Byte(static_cast<std::uint8_t>(e.value)) +
                  ": " + std::string(StatusCaptionFor(fault)->text);
      }
      break;
    case K::SyncEchoed: meaning = "sync 0x82: the tool echoes it"; break;
    case K::Ready: meaning = "ready 0x83: " + std::string(StatusCaptionFor(e)->text); break;
    case K::Acknowledged: meaning = "acknowledgement 0x84: Save complete, the read-back follows"; break;
    case K::LinkError: {
      const std::string caption(StatusCaptionFor(e)->text);
      switch (e.fault) {
        case LinkFault::Checksum: return;  // its BlockChecked said it
        case LinkFault::Communication:
          meaning = std::string(e.value == kSyncByte ? "expected sync 0x82: " : "expected ready 0x83: ") + caption;
          break;
        case LinkFault::SaveFailed: meaning = "expected acknowledgement 0x84: " + caption; break;
      }
      break;
    }
    default: return;
  }
  FlushHalfPair(ms);
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
       "save " + ChannelName(static_cast<int>(dataBytes / 2 - 1)) + " = " + std::to_string(DecodeCoinNumber(high, b)));
  if (dataBytes == kDataBlockSize) heldSent_.clear();
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
  Emit(ms, TrafficDirection::ToHopper, heldSent_,
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
      meaning = simulation ? "hand-back: the simulation window closed its port; the link waits for a start byte"
                           : "port closed";
      break;
    case PortEvent::Lost: meaning = "port lost: "; break;
  }
  if (event != PortEvent::Closed) meaning += detail;
  Emit(ms, TrafficDirection::Event, {}, std::move(meaning));
}

void TrafficDecoder::Link(std::int64_t ms, const LinkEvent& event) {
  using K = LinkEventKind;
  std::string meaning;
  switch (event.kind) {
    case K::Started:
      meaning = "link started: waiting for the hopper's report (" + std::string(kCaptionSwitchOn) + ")";
      break;
    case K::SaveSent: meaning = "save frame sent: waiting for acknowledgement 0x84, response watch armed"; break;
    case K::ReceiveWatchEnded:
      meaning = event.ok ? "receive watch ended: the report was complete"
                         : "receive watch expired: no complete report, back to waiting for a start byte";
      break;
    case K::ResponseWatchEnded:
      meaning = event.ok ? "response watch ended: the save was acknowledged"
                         : "response watch expired: no acknowledgement (No Response)";
      break;
    case K::SaveRefused:
    case K::SaveWriteFailed:
    case K::PortReturned: return;  // nothing on the line; a failed write is seen as no bytes sent
    default: ByteOfLink(ms, event); return;
  }
  FlushHalfPair(ms);
  Emit(ms, TrafficDirection::Event, {}, std::move(meaning));
}

}  // namespace hopper
