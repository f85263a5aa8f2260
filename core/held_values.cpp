#include "core/held_values.h"

namespace hopper {

namespace {
std::string Name(int index) { return "Channel" + std::to_string(index + 1); }
}  // namespace

void HeldValues::ValueReceived(int index, std::uint16_t value) {
  const auto i = static_cast<std::size_t>(index);
  received_[i] = value;
  unconfirmed_[i] = true;
  fromLine_[i] = true;
  otherPort_[i].clear();
}

void HeldValues::BlockChecked(bool match) {
  // Without a match the values stay in their boxes, marked as unconfirmed.
  if (!match) return;
  confirmed_ = received_;
  unconfirmed_.fill(false);
}

void HeldValues::Edited(int index) {
  const auto i = static_cast<std::size_t>(index);
  unconfirmed_[i] = false;
  differs_[i] = false;
  fromLine_[i] = false;
  otherPort_[i].clear();
}

void HeldValues::SaveSent() { differs_.fill(false); }

void HeldValues::Judged(const Verdict& verdict) {
  differs_.fill(false);
  for (const ChannelDifference& d : verdict.differing) {
    const auto i = static_cast<std::size_t>(d.channel);
    differs_[i] = true;
    difference_[i] = d;
  }
}

void HeldValues::HopperChanged(std::string_view before) {
  for (std::size_t i = 0; i < kCoinCount; ++i)
    if (fromLine_[i] && otherPort_[i].empty()) otherPort_[i] = before;
  confirmed_.reset();
  differs_.fill(false);
}

std::vector<int> HeldValues::Unconfirmed() const {
  std::vector<int> channels;
  for (int i = 0; i < kChannelCount; ++i)
    if (unconfirmed_[static_cast<std::size_t>(i)]) channels.push_back(i);
  return channels;
}

std::vector<int> HeldValues::Differing() const {
  std::vector<int> channels;
  for (int i = 0; i < kChannelCount; ++i)
    if (differs_[static_cast<std::size_t>(i)]) channels.push_back(i);
  return channels;
}

ChannelMarkText HeldValues::MarkFor(int index, std::string_view text) const {
  const auto i = static_cast<std::size_t>(index);
  if (differs_[i])
    return {ChannelMark::Differs,
            "sent " + std::to_string(difference_[i].sent) + ", hopper holds " + std::to_string(difference_[i].held)};
  if (!otherPort_[i].empty())
    return {ChannelMark::OtherHopper, "from the hopper on " + otherPort_[i] + ", not this one"};
  if (unconfirmed_[i]) return {ChannelMark::Unconfirmed, "not confirmed: the block it came in did not complete"};
  if (confirmed_ && EntryValue(text) != (*confirmed_)[i])
    return {ChannelMark::Changed, "hopper holds " + std::to_string((*confirmed_)[i])};
  return {};
}

std::string ChannelListText(const std::vector<int>& channels) {
  if (channels.size() == static_cast<std::size_t>(kChannelCount)) return "all 16 channels";
  std::string text;
  for (std::size_t k = 0; k < channels.size(); ++k) {
    if (k > 0) text += k + 1 == channels.size() ? " and " : ", ";
    text += Name(channels[k]);
  }
  return text;
}

}  // namespace hopper
