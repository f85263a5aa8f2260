#include "core/save_judge.h"

#include <array>

namespace hopper {

namespace {

struct KindName {
  VerdictKind kind;
  std::string_view name;
};

constexpr std::array<KindName, 10> kNames{{
    {VerdictKind::Verified, "verified"},
    {VerdictKind::Differs, "differs"},
    {VerdictKind::NoAcknowledgement, "no-acknowledgement"},
    {VerdictKind::WrongAcknowledgement, "wrong-acknowledgement"},
    {VerdictKind::ReadBackCut, "read-back-cut"},
    {VerdictKind::ReadBackChecksum, "read-back-checksum"},
    {VerdictKind::NewReportInstead, "new-report-instead"},
    {VerdictKind::WriteFailed, "write-failed"},
    {VerdictKind::PortLost, "port-lost"},
    {VerdictKind::Interrupted, "interrupted"},
}};

std::string Hex(std::uint8_t b) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  return {'0', 'x', kDigits[b >> 4], kDigits[b & 0x0F]};
}

std::string DifferenceText(const std::vector<ChannelDifference>& differing) {
  std::string text;
  for (std::size_t k = 0; k < differing.size(); ++k) {
    if (k > 0) text += ", ";
    const ChannelDifference& d = differing[k];
    text += "Channel" + std::to_string(d.channel + 1) + " sent " + std::to_string(d.sent) + ", hopper holds " +
            std::to_string(d.held);
  }
  return text;
}

}  // namespace

std::string_view VerdictName(VerdictKind kind) {
  for (const KindName& entry : kNames)
    if (entry.kind == kind) return entry.name;
  return {};
}

std::optional<VerdictKind> VerdictNamed(std::string_view name) {
  for (const KindName& entry : kNames)
    if (entry.name == name) return entry.kind;
  return std::nullopt;
}

std::string VerdictText(const Verdict& v) {
  const std::string deadline = std::to_string(SaveJudge::kDeadlineMs) + " ms";
  switch (v.kind) {
    case VerdictKind::Verified: return "Verified: the hopper holds exactly what was sent.";
    case VerdictKind::Differs:
      return "Not as sent: the hopper holds other values in " + std::to_string(v.differing.size()) +
             (v.differing.size() == 1 ? " channel (" : " channels (") + DifferenceText(v.differing) + ").";
    case VerdictKind::NoAcknowledgement:
      return "Not verified: the hopper did not acknowledge the save within " + deadline + ".";
    case VerdictKind::WrongAcknowledgement:
      return "Not verified: the hopper answered " + Hex(v.byte) + " instead of acknowledging the save.";
    case VerdictKind::ReadBackCut:
      if (v.readBackBytes == 0)
        return "Not verified: the hopper acknowledged the save, but no read-back came within " + deadline + ".";
      return "Not verified: the hopper acknowledged the save, but its read-back stopped after " +
             std::to_string(v.readBackBytes) + " of " + std::to_string(kReadBackSize) + " bytes.";
    case VerdictKind::ReadBackChecksum: return "Not verified: the read-back's checksum did not match.";
    case VerdictKind::NewReportInstead:
      return "Not verified: the hopper started a new report instead of acknowledging the save.";
    case VerdictKind::WriteFailed: return "Not verified: the port did not take the whole save frame.";
    case VerdictKind::PortLost: return "Not verified: the port went away before the save was checked.";
    case VerdictKind::Interrupted: return "Not verified: stopped before the save was checked.";
  }
  return {};
}

Verdict VerdictOf(VerdictKind kind, const CoinNumbers& sent, const std::optional<CoinNumbers>& readBack) {
  Verdict verdict;
  verdict.kind = kind;
  verdict.sent = sent;
  verdict.readBack = readBack;
  if (readBack)
    for (std::size_t i = 0; i < kCoinCount; ++i)
      if ((*readBack)[i] != sent[i]) verdict.differing.push_back({static_cast<int>(i), sent[i], (*readBack)[i]});
  return verdict;
}

void SaveJudge::Take(const LinkEvent& event) {
  switch (event.kind) {
    case LinkEventKind::SaveSent: Sent(event.values); break;
    case LinkEventKind::SaveWriteFailed: WriteFailed(event.values); break;
    case LinkEventKind::Acknowledged: Answered(event.byte); break;
    case LinkEventKind::LinkError:
      if (event.fault == LinkFault::SaveFailed) Answered(event.byte);
      break;
    case LinkEventKind::HighByte:
    case LinkEventKind::ChannelValue:
      if (event.readBack) ReadBackByte();
      break;
    case LinkEventKind::BlockChecked:
      if (!event.readBack) break;
      ReadBackByte();
      ReadBack(event.values, event.ok);
      break;
    default: break;
  }
}

void SaveJudge::Sent(const CoinNumbers& values) {
  // A save still open when the next goes out is over unjudged.
  if (open_) Judge(VerdictKind::Interrupted);
  pending_ = Verdict{};
  pending_.sent = values;
  open_ = true;
  host_.ArmVerdictDeadline(kDeadlineMs);
}

void SaveJudge::WriteFailed(const CoinNumbers& values) {
  if (open_) Judge(VerdictKind::Interrupted);
  pending_ = Verdict{};
  pending_.sent = values;
  open_ = true;
  Judge(VerdictKind::WriteFailed);
}

void SaveJudge::Answered(std::uint8_t byte) {
  if (!open_ || pending_.acknowledged) return;
  if (byte == kSaveAckByte) {
    pending_.acknowledged = true;
    return;
  }
  pending_.byte = byte;
  Judge(byte == kStartByte ? VerdictKind::NewReportInstead : VerdictKind::WrongAcknowledgement);
}

void SaveJudge::ReadBackByte() {
  if (open_ && pending_.acknowledged) ++pending_.readBackBytes;
}

void SaveJudge::ReadBack(const CoinNumbers& values, bool checksumMatched) {
  if (!open_ || !pending_.acknowledged) return;
  if (!checksumMatched) {
    Judge(VerdictKind::ReadBackChecksum);
    return;
  }
  const Verdict compared = VerdictOf(VerdictKind::Verified, pending_.sent, values);
  pending_.readBack = values;
  pending_.differing = compared.differing;
  Judge(pending_.differing.empty() ? VerdictKind::Verified : VerdictKind::Differs);
}

void SaveJudge::DeadlineReached() {
  if (!open_) return;
  Judge(pending_.acknowledged ? VerdictKind::ReadBackCut : VerdictKind::NoAcknowledgement);
}

void SaveJudge::PortLost() {
  if (open_) Judge(VerdictKind::PortLost);
}

void SaveJudge::Interrupted() {
  if (open_) Judge(VerdictKind::Interrupted);
}

void SaveJudge::Judge(VerdictKind kind) {
  open_ = false;
  pending_.kind = kind;
  host_.VerdictReached(pending_);
}

}  // namespace hopper
