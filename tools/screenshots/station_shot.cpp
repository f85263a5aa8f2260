// The station window for the README: four fixtures at COM2..COM5, the one at COM4 with a
// hopper whose read-back differs, after a few units each.

#include "tools/screenshots/station_shot.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <cstdio>
#include <memory>

#include "platform/files/settings_store.h"
#include "tools/emulator/hopper_emulator.h"
#include "tools/emulator/pty_channel.h"
#include "ui/station_tile.h"
#include "ui/station_window.h"

namespace hopper {

bool ShootStation(const QString& path) {
  constexpr int kFixtures = 4;
  emulator::TrafficLog log([](const QString&) {});
  std::vector<std::unique_ptr<emulator::PtyChannel>> lines;
  std::vector<std::unique_ptr<emulator::HopperEmulator>> hoppers;
  std::vector<StationPort> ports;
  for (int i = 0; i < kFixtures; ++i) {
    lines.push_back(std::make_unique<emulator::PtyChannel>());
    if (!lines.back()->Open().isEmpty()) return false;
    SettingsStore().SetMappedDevice(i + 2, lines.back()->SlavePath());
    emulator::HopperConfig config;
    if (i == 2) config.faults.readBackChange = 4;
    hoppers.push_back(std::make_unique<emulator::HopperEmulator>(config, *lines.back(), log));
    hoppers.back()->SetByteTimeUs(0);
    ports.push_back({QStringLiteral("COM%1").arg(i + 2), {}, i + 2});
  }
  ChannelTexts set;
  set.fill("0");
  for (std::size_t i = 0; i < 10; ++i) set[i] = std::to_string(1200 - 100 * i);
  StationWindow window(set, ports);
  window.resize(1100, 760);
  window.show();
  if (!window.Start()) return false;
  // Every fixture programs three hoppers.
  const QDeadlineTimer deadline(30000);
  const auto opened = [&] {
    for (const auto& line : lines)
      if (!line->PeerPresent()) return false;
    return true;
  };
  while (!opened()) {
    if (deadline.hasExpired()) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  for (int round = 0; round < 3; ++round) {
    for (auto& hopper : hoppers) hopper->PowerOn();
    const auto done = [&] {
      for (int i = 0; i < kFixtures; ++i) {
        const LineCounts& n = window.Stations().Lines()[static_cast<std::size_t>(i)]->Counts();
        if (n.passed + n.failed <= round) return false;
      }
      return true;
    };
    while (!done()) {
      if (deadline.hasExpired()) return false;
      QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
  }
  if (!window.grab().save(path)) return false;
  std::printf("%s\n", qPrintable(path));
  return true;
}

}  // namespace hopper
