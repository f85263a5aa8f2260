#pragma once
// The one judge of a save. The facts of one save go in as they happen on the link; exactly one
// verdict comes out, and every face of the tool (the window's marks, the journal, hopper-cli,
// the station) shows that verdict and no judgement of its own. Free of I/O and clocks.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/link_event.h"
#include "core/receive_machine.h"
#include "core/setting_frames.h"

namespace hopper {

enum class VerdictKind : std::uint8_t {
  Verified,              // the read-back holds every value sent
  Differs,               // the read-back's checksum matched, but it holds other values
  NoAcknowledgement,     // nothing answered the save frame by the deadline
  WrongAcknowledgement,  // another byte came instead of the acknowledgement
  ReadBackCut,           // acknowledged, but no complete read-back by the deadline
  ReadBackChecksum,      // the read-back's checksum did not match
  NewReportInstead,      // the hopper started a new report instead of acknowledging
  WriteFailed,           // the port did not take the save frame
  PortLost,              // the device went away before the verdict
  Interrupted,           // the program or the station stopped before the verdict
};

struct ChannelDifference {
  int channel = 0;  // 0..15
  std::uint16_t sent = 0;
  std::uint16_t held = 0;
  friend bool operator==(const ChannelDifference&, const ChannelDifference&) = default;
};

struct Verdict {
  VerdictKind kind = VerdictKind::Verified;
  CoinNumbers sent{};
  std::optional<CoinNumbers> readBack;  // a read-back whose checksum matched
  std::vector<ChannelDifference> differing;
  std::uint8_t byte = 0;      // what came instead of the acknowledgement
  bool acknowledged = false;  // 0x84 came
  int readBackBytes = 0;      // bytes of the read-back that had come by the verdict, 0..33

  bool Verified() const { return kind == VerdictKind::Verified; }
};

// "verified", "differs", "no-acknowledgement", ...: a kind's stable name, for the journal and scripts.
std::string_view VerdictName(VerdictKind kind);
std::optional<VerdictKind> VerdictNamed(std::string_view name);
// The verdict in words, one sentence: "Verified: the hopper holds exactly what was sent.", ...
std::string VerdictText(const Verdict& verdict);
// A verdict of `kind` on a save of `sent` with its read-back, the differing channels found; what
// else a kind tells (the wrong byte, how much of the read-back came) is left unknown.
Verdict VerdictOf(VerdictKind kind, const CoinNumbers& sent, const std::optional<CoinNumbers>& readBack);

// Whoever carries the judge: its one clock and where the verdict goes.
class JudgeHost {
 public:
  virtual ~JudgeHost() = default;
  virtual void ArmVerdictDeadline(int ms) = 0;
  virtual void VerdictReached(const Verdict& verdict) = 0;
};

class SaveJudge {
 public:
  // The read-back deadline counts from the moment the save frame went out, as the response
  // watch does, and is as long: a read-back not complete by then is judged cut, even if it
  // completes later (its values still reach the boxes, the verdict stays).
  static constexpr int kDeadlineMs = kResponseWatchMs;

  explicit SaveJudge(JudgeHost& host) : host_(host) {}

  // The facts of one save as the receive machine reports them: the save sent or its write
  // failing, the answer to it, the read-back block. Every other event is passed over.
  void Take(const LinkEvent& event);

  // The same facts one by one, and those from outside the machine.
  void Sent(const CoinNumbers& values);
  void WriteFailed(const CoinNumbers& values);
  // The first byte after the save frame: 0x84, or what came instead.
  void Answered(std::uint8_t byte);
  // One byte of the read-back block, data or checksum.
  void ReadBackByte();
  void ReadBack(const CoinNumbers& values, bool checksumMatched);
  void DeadlineReached();
  void PortLost();
  void Interrupted();

  // A save is out and not judged yet.
  bool Open() const { return open_; }

 private:
  void Judge(VerdictKind kind);

  JudgeHost& host_;
  Verdict pending_;
  bool open_ = false;
};

}  // namespace hopper
