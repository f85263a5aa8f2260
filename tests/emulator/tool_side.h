#pragma once
// The tool's end of the line for the emulator's tests: the core receive state machine with a
// host that records what the main window would show and send.

#include <QByteArray>
#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

#include "core/channel_table.h"
#include "core/link_captions.h"
#include "core/receive_machine.h"
#include "core/setting_frames.h"

namespace hopper::test {

class ToolSide final : public LinkHost {
 public:
  ToolSide() { machine.StartUp(); }

  void OnLinkEvent(const LinkEvent& event) override {
    if (const auto status = StatusCaptionFor(event)) {
      red = status->colour == StatusColour::Red;
      caption_ = std::string(status->text);
      captions << QString::fromStdString(caption_);
    }
    if (event.kind == LinkEventKind::ChannelValue)
      entries[static_cast<std::size_t>(event.channel)] = std::to_string(event.value);
  }
  void SendByte(std::uint8_t byte) override { sent.append(static_cast<char>(byte)); }
  bool LineOpen() const override { return true; }
  bool SendFrame(std::span<const std::uint8_t> bytes) override {
    sent.append(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
    return true;
  }
  void ArmReceiveWatch() override { ++watchesArmed; }
  void ArmResponseWatch() override {}
  void DrainInput() override { ++drains; }

  // Takes everything in `bytes` from `from` on; returns how many were taken.
  qsizetype Feed(const QByteArray& bytes, qsizetype from = 0) {
    for (qsizetype i = from; i < bytes.size(); ++i) machine.Consume(static_cast<std::uint8_t>(bytes[i]));
    return bytes.size();
  }
  QString Caption() const { return QString::fromStdString(caption_); }
  QByteArray TakeSent() {
    QByteArray out;
    out.swap(sent);
    return out;
  }

  ReceiveMachine machine{*this};
  ChannelTexts entries;
  QStringList captions;
  QByteArray sent;
  bool red = false;
  int watchesArmed = 0;
  int drains = 0;

 private:
  std::string caption_;
};

// The boxes as a technician would fill them in for `coins`.
inline ChannelTexts TextsOf(const CoinNumbers& coins) {
  ChannelTexts texts;
  for (std::size_t i = 0; i < coins.size(); ++i) texts[i] = std::to_string(coins[i]);
  return texts;
}

inline QByteArray Bytes(std::initializer_list<int> values) {
  QByteArray out;
  for (int v : values) out.append(static_cast<char>(v));
  return out;
}

}  // namespace hopper::test
