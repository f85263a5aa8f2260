// Any byte stream, with outside triggers mixed in, must keep the link's variables in range.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/receive_machine.h"

namespace {
class CheckingHost : public hopper::LinkHost {
 public:
  void OnLinkEvent(const hopper::LinkEvent& event) override {
    if (event.channel < 0 || event.channel > 15) std::abort();
    if (event.kind == hopper::LinkEventKind::ChannelValue && (event.value < 0 || event.value > 65535)) std::abort();
  }
  void SendByte(std::uint8_t byte) override {
    if (byte != 0x82) std::abort();
  }
  bool LineOpen() const override { return true; }
  bool SendFrame(std::span<const std::uint8_t> bytes) override {
    if (bytes.size() != 33 || bytes[0] != 0x83) std::abort();
    return bytes[1] != 0xFF;  // now and then the line refuses the frame
  }
  void ArmReceiveWatch() override {}
  void ArmResponseWatch() override {}
  void DrainInput() override {}
};

// The boxes a save takes: the next two bytes as the first box, the rest "0".
hopper::ChannelTexts Texts(const std::uint8_t* data, std::size_t i, std::size_t size) {
  hopper::ChannelTexts texts;
  texts.fill("0");
  if (i + 2 < size) texts[0] = std::to_string(data[i + 1] * 256 + data[i + 2]);
  return texts;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckingHost host;
  hopper::ReceiveMachine machine(host);
  machine.StartUp();
  for (std::size_t i = 0; i < size; ++i) {
    // A byte 0xF0..0xF3 after 0xEE stands for an outside trigger.
    if (data[i] == 0xEE && i + 1 < size && data[i + 1] >= 0xF0 && data[i + 1] <= 0xF3) {
      switch (data[++i]) {
        case 0xF0: machine.Save(Texts(data, i, size)); break;
        case 0xF1: machine.ReceiveWatchExpired(); break;
        case 0xF2: machine.ResponseWatchExpired(); break;
        default: machine.PortReturned(); break;
      }
      continue;
    }
    machine.Consume(data[i]);
    const auto& v = machine.Variables();
    if (v.dataCount < 0 || v.dataCount > 32 || v.pairHalf > 1) std::abort();
    if (v.checksumSum < 0 || v.checksumSum > 32 * 255) std::abort();
    if (v.channelValue < 0 || v.channelValue > 65535) std::abort();
    const auto state = static_cast<int>(machine.State());
    if (state < 1 || state > 8) std::abort();
  }
  return 0;
}
