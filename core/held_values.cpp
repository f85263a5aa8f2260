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
  const bool saveOpen = verification_ == Verification::Pending || verification_ == Verification::NotVerified;
  if (!match) {
    // The values stay in their boxes, marked as unconfirmed; a save still open cannot be verified.
    if (saveOpen) verification_ = Verification::NotVerified;
    return;
  }
  confirmed_ = received_;
  unconfirmed_.fill(false);
  differs_.fill(false);
  if (!saveOpen) {
    verification_ = Verification::None;
    return;
  }
  for (std::size_t i = 0; i < kCoinCount; ++i) differs_[i] = received_[i] != sent_[i];
  verification_ = Differing().empty() ? Verification::Verified : Verification::Differs;
}

void HeldValues::Edited(int index) {
  const auto i = static_cast<std::size_t>(index);
  unconfirmed_[i] = false;
  differs_[i] = false;
  fromLine_[i] = false;
  otherPort_[i].clear();
}

void HeldValues::SaveSent(const CoinNumbers& sent) {
  sent_ = sent;
  differs_.fill(false);
  verification_ = Verification::Pending;
}

void HeldValues::ResponseWatchEnded() {
  if (verification_ == Verification::Pending) verification_ = Verification::NotVerified;
}

void HeldValues::HopperChanged(std::string_view before) {
  for (std::size_t i = 0; i < kCoinCount; ++i)
    if (fromLine_[i] && otherPort_[i].empty()) otherPort_[i] = before;
  confirmed_.reset();
  differs_.fill(false);
  verification_ = Verification::None;
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
            "sent " + std::to_string(sent_[i]) + ", hopper holds " + std::to_string(received_[i])};
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

std::string VerificationText(Verification state, std::size_t differing) {
  switch (state) {
    case Verification::Verified: return "Verified: the hopper holds exactly what was sent.";
    case Verification::Differs:
      return "Not as sent: the hopper holds other values in " + std::to_string(differing) +
             (differing == 1 ? " channel." : " channels.");
    case Verification::NotVerified: return "Not verified: no read-back with a matching checksum came.";
    case Verification::None:
    case Verification::Pending: break;
  }
  return {};
}

}  // namespace hopper
