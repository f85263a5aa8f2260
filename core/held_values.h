#pragma once
// What the tool knows the hopper holds, and how the 16 boxes stand against it: the set the
// hopper last confirmed (a block whose checksum matched), the channels whose values came from
// a block that never completed, and the channels the last save's verdict found different.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/channel_table.h"
#include "core/save_judge.h"
#include "core/setting_frames.h"

namespace hopper {

enum class ChannelMark {
  None,
  Changed,      // the box differs from what the hopper last confirmed
  Unconfirmed,  // the box holds a value from a block that failed, not typed or loaded since
  Differs,      // the hopper's read-back differs from what the last save sent
  OtherHopper,  // the box holds a value received on another port, from another hopper
};

struct ChannelMarkText {
  ChannelMark mark = ChannelMark::None;
  std::string tip;  // "hopper holds 250", "sent 250, hopper holds 251", ...
};

class HeldValues {
 public:
  // The link wrote a received value into box `index`.
  void ValueReceived(int index, std::uint16_t value);
  // The block being received ended: its checksum matched, or it did not.
  void BlockChecked(bool match);
  // The technician typed into box `index`, or a parameter file was loaded into it.
  void Edited(int index);
  // A save frame went out: the last save's differences are history.
  void SaveSent();
  // The save's verdict: its differing channels are marked until edited.
  void Judged(const Verdict& verdict);
  // The link moved from the port named `before` to another: the hopper there has confirmed
  // nothing yet, and the received values in the boxes are that other hopper's.
  void HopperChanged(std::string_view before);

  // Channels whose values came from a block that never completed with a matching checksum and
  // were neither typed nor loaded since, in channel order.
  std::vector<int> Unconfirmed() const;
  // Channels whose read-back differed from what the last save sent.
  std::vector<int> Differing() const;

  const std::optional<CoinNumbers>& Confirmed() const { return confirmed_; }

  // How box `index` showing `text` stands against the hopper.
  ChannelMarkText MarkFor(int index, std::string_view text) const;

 private:
  CoinNumbers received_{};
  std::optional<CoinNumbers> confirmed_;
  std::array<ChannelDifference, kChannelCount> difference_{};
  std::array<bool, kChannelCount> unconfirmed_{};
  std::array<bool, kChannelCount> differs_{};
  std::array<bool, kChannelCount> fromLine_{};        // received, not typed or loaded since
  std::array<std::string, kChannelCount> otherPort_;  // where a value of another hopper came from
};

// "Channel3", "Channel1 and Channel4", "Channel1, Channel2 and Channel5", "all 16 channels".
std::string ChannelListText(const std::vector<int>& channels);

}  // namespace hopper
