// How long the main window takes to echo the hopper's sync byte 0x82, with the line recorded
// and the line monitor open, recorded with the monitor closed, and not recorded at all.
//   bench_echo_monitor [rounds]     (QT_QPA_PLATFORM=offscreen works)
// A thread plays the hopper on a pseudo-terminal: report, 0x82, time until the echo, then a
// wrong byte to send the link back to waiting for the next report.

#include <poll.h>
#include <unistd.h>
#include <QApplication>
#include <QEventLoop>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "core/setting_frames.h"
#include "median.h"
#include "platform/files/settings_store.h"
#include "platform/serial/line_recorder.h"
#include "platform/serial/qt_serial_port.h"
#include "pty_peer.h"
#include "recording_message_boxes.h"
#include "scripted_file_dialog.h"
#include "settings_sandbox.h"
#include "ui/line_monitor.h"
#include "ui/main_window.h"

using namespace hopper;
using bench::Median;
using Clock = std::chrono::steady_clock;

namespace {

// Blocking hopper side on the master end: returns the echo times in microseconds.
std::vector<double> PlayHopper(int master, int rounds) {
  const std::vector<std::uint8_t> report = BuildReportFrame(1, 0x10, std::vector<std::uint8_t>{'H', 'K'}, {1000, 500});
  std::vector<double> times;
  auto drain = [&] {
    std::uint8_t buffer[256];
    pollfd p{master, POLLIN, 0};
    while (::poll(&p, 1, 0) > 0 && ::read(master, buffer, sizeof buffer) > 0) {}
  };
  for (int round = 0; round < rounds; ++round) {
    (void)!::write(master, report.data(), report.size());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the report is taken in
    drain();
    const std::uint8_t sync = kSyncByte;
    const auto start = Clock::now();
    (void)!::write(master, &sync, 1);
    pollfd p{master, POLLIN, 0};
    if (::poll(&p, 1, 2000) <= 0) continue;
    std::uint8_t echo = 0;
    if (::read(master, &echo, 1) == 1 && echo == kSyncByte)
      times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    const std::uint8_t wrong = 0x00;  // "Comunication Error": back to waiting for a start byte
    (void)!::write(master, &wrong, 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return times;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
  test::SettingsSandbox sandbox;
  test::PtyPeer peer;
  if (!peer.IsValid()) return 1;
  SettingsStore().SetMappedDevice(1, peer.path());
  RecordingMessageBoxes messages;
  ScriptedFileDialog dialog;

  for (const char* mode : {"not recorded", "recorded, monitor closed", "recorded, monitor open"}) {
    const bool recorded = mode[0] == 'r';
    LineRecorder recorder;
    std::unique_ptr<SerialPort> port = std::make_unique<QtSerialPort>();
    MainWindow window(messages, std::move(port));
    if (recorded) window.SetLineRecorder(&recorder);
    LineMonitor monitor(recorder, dialog, messages);
    if (mode[sizeof "recorded, monitor " - 1] == 'o') monitor.Open();
    window.show();
    if (!window.StartUp()) return 1;

    std::vector<double> times;
    QEventLoop loop;
    std::thread hopper([&] {
      times = PlayHopper(peer.MasterFd(), rounds);
      QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    hopper.join();
    std::printf("%-26s echo p50 %7.1f us  (%zu of %d rounds, %zu monitor rows)\n", mode, Median(times), times.size(),
                rounds, recorder.Entries().Size());
  }
  return 0;
}
