#pragma once
// A simulation window under test, with its port on a pseudo-terminal (or a fake port), its
// message boxes recorded and the link it resets on closing.

#include <QCoreApplication>
#include <QString>
#include <memory>

#include "core/link_state.h"
#include "fake_serial_port.h"
#include "platform/serial/qt_serial_port.h"
#include "pty_peer.h"
#include "recording_message_boxes.h"
#include "settings_sandbox.h"
#include "ui/simulation_window.h"
#include "windows_controls.h"

using hopper::test::AnimationArea;
using hopper::test::AnimationTimer;
using hopper::test::ChannelSelector;
using hopper::test::CloseButton;
using hopper::test::DispenseButton;
using hopper::test::FakeSerialPort;
using hopper::test::PromptLine;
using hopper::test::PromptTimer;
using hopper::test::PtyPeer;
using hopper::test::StartUpButton;

// Points the per-user settings at a fresh temporary folder, once per run, so port numbers can
// be mapped to pseudo-terminals without touching the user's own settings.
void UseTemporarySettings();

// The number the tests give the simulation's port.
inline constexpr int kTestPort = 5;

QString ProgramFolder();

struct Simulation {
  // The window on a real serial port whose port number names the peer's pseudo-terminal.
  explicit Simulation(const QString& programFolder = ProgramFolder());
  // The window on a fake port.
  Simulation(std::unique_ptr<FakeSerialPort> fakePort, const QString& programFolder = ProgramFolder());

  template <class T>
  T* Child(const char* name) const {
    return hopper::test::FindControl<T>(*form, QString::fromLatin1(name));
  }
  // Stops the window's timers, so that a test drives every tick itself.
  void StopTimers() const;

  PtyPeer peer;
  hopper::RecordingMessageBoxes messages;
  hopper::QtSerialPort* port = nullptr;  // owned by the window; null with a fake port
  FakeSerialPort* fake = nullptr;        // owned by the window; null with a real port
  std::unique_ptr<hopper::SimulationWindow> form;
};
