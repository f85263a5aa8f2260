#include "simulation_fixture.h"

#include <QAbstractButton>
#include <QTimer>

#include "platform/files/settings_store.h"

void UseTemporarySettings() { static const hopper::test::SettingsSandbox sandbox; }

QString ProgramFolder() { return QCoreApplication::applicationDirPath(); }

Simulation::Simulation(const QString& programFolder) {
  UseTemporarySettings();
  hopper::SettingsStore().SetMappedDevice(kTestPort, peer.path());
  auto real = std::make_unique<hopper::QtSerialPort>();
  port = real.get();
  form = std::make_unique<hopper::SimulationWindow>(kTestPort, messages, programFolder, std::move(real));
}

Simulation::Simulation(std::unique_ptr<FakeSerialPort> fakePort, const QString& programFolder) {
  fake = fakePort.get();
  form = std::make_unique<hopper::SimulationWindow>(kTestPort, messages, programFolder, std::move(fakePort));
}

void Simulation::StopTimers() const {
  AnimationTimer(*form)->stop();
  PromptTimer(*form)->stop();
}
