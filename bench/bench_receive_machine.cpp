// How fast the receive state machine takes bytes, against the line's 960 bytes a second.
#include <chrono>
#include <cstdio>
#include <vector>

#include "core/receive_machine.h"
#include "core/setting_frames.h"

namespace {
class CountingHost : public hopper::LinkHost {
 public:
  void OnLinkEvent(const hopper::LinkEvent& event) override { ops += 1 + static_cast<std::size_t>(event.value & 1); }
  void SendByte(std::uint8_t) override { ++ops; }
  bool LineOpen() const override { return true; }
  bool SendFrame(std::span<const std::uint8_t> bytes) override {
    ops += bytes.size();
    return true;
  }
  void ArmReceiveWatch() override { ++ops; }
  void ArmResponseWatch() override { ++ops; }
  void DrainInput() override { ++ops; }
  std::size_t ops = 0;
};
}  // namespace

int main() {
  hopper::CoinNumbers coins{};
  for (std::size_t i = 0; i < coins.size(); ++i) coins[i] = static_cast<std::uint16_t>(i * 1111);
  const std::uint8_t info[8] = {};
  std::vector<std::uint8_t> dialogue = hopper::BuildReportFrame(1, 2, info, coins);
  dialogue.push_back(hopper::kSyncByte);
  dialogue.push_back(hopper::kReadyByte);

  CountingHost host;
  hopper::ReceiveMachine machine(host);
  const int rounds = 200000;
  const auto start = std::chrono::steady_clock::now();
  for (int r = 0; r < rounds; ++r) {
    machine.StartUp();
    for (std::uint8_t b : dialogue) machine.Consume(b);
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double bytes = double(rounds) * double(dialogue.size());
  std::printf("receive machine: %.0f bytes in %.3f s = %.1f million bytes/s (%.0f times the 9600 baud line)\n", bytes,
              seconds, bytes / seconds / 1e6, bytes / seconds / 960.0);
  return host.ops == 0;
}
