// What the service journal adds to a save as the technician sees it: the time from the
// hopper's last read-back byte to the verified mark on the main window, with the journal off,
// on the SQLite file and on a PostgreSQL server (a throwaway cluster, as the tests start it).
//   bench_journal_save [rounds] [--results FILE]   (QT_QPA_PLATFORM=offscreen works)
// A thread plays the hopper on a pseudo-terminal: report, sync, ready; the window saves; the
// hopper acknowledges and reads the set back.

#include <poll.h>
#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "core/setting_frames.h"
#include "median.h"
#include "pg_cluster.h"
#include "platform/files/settings_store.h"
#include "platform/journal/journal.h"
#include "platform/serial/qt_serial_port.h"
#include "pty_peer.h"
#include "recording_message_boxes.h"
#include "settings_sandbox.h"
#include "ui/main_window.h"

using namespace hopper;
using bench::Median;
using Clock = std::chrono::steady_clock;

namespace {

const CoinNumbers kReported{1000, 500, 250, 100, 50, 20, 10, 5, 2, 1, 0, 0, 0, 0, 0, 0};

std::int64_t Now() { return Clock::now().time_since_epoch().count(); }

bool ReadExactly(int fd, std::size_t count) {
  std::uint8_t buffer[64];
  while (count > 0) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 3000) <= 0) return false;
    const ssize_t n = ::read(fd, buffer, std::min(count, sizeof buffer));
    if (n <= 0) return false;
    count -= std::size_t(n);
  }
  return true;
}

void Drain(int fd) {
  std::uint8_t buffer[256];
  pollfd p{fd, POLLIN, 0};
  while (::poll(&p, 1, 0) > 0 && ::read(fd, buffer, sizeof buffer) > 0) {}
}

struct Round {
  std::atomic<std::int64_t> lastByteAt{0};  // the read-back's last byte went out
  std::atomic<bool> seen{false};            // the mark showed
  std::atomic<bool> finished{false};
};

// The hopper: `rounds` saves; the window's Save is pressed through `save`.
void PlayHopper(int master, int rounds, Round& round, const std::function<void()>& save) {
  const std::vector<std::uint8_t> report = BuildReportFrame(1, 0x10, std::vector<std::uint8_t>{'H', 'K'}, kReported);
  for (int r = 0; r < rounds; ++r) {
    (void)!::write(master, report.data(), report.size());
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    Drain(master);
    const std::uint8_t sync = kSyncByte, ready = kReadyByte;
    (void)!::write(master, &sync, 1);
    if (!ReadExactly(master, 1)) break;
    (void)!::write(master, &ready, 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    save();
    if (!ReadExactly(master, kSaveFrameSize)) break;
    const std::uint8_t ack = kSaveAckByte;
    (void)!::write(master, &ack, 1);
    const ReadBackBlock block = BuildReadBackBlock(kReported);
    round.seen = false;
    (void)!::write(master, block.data(), block.size() - 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    (void)!::write(master, block.data() + block.size() - 1, 1);
    round.lastByteAt = Now();
    // The response watch gives Save back 1000 ms after the frame.
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
  }
  round.finished = true;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  int rounds = 15;
  std::string results;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--results" && i + 1 < argc) results = argv[++i];
    else rounds = std::max(1, std::atoi(argv[i]));
  }
  test::SettingsSandbox sandbox;
  test::PtyPeer peer;
  if (!peer.IsValid()) return 1;
  SettingsStore().SetMappedDevice(1, peer.path());
  RecordingMessageBoxes messages;
  test::PgCluster server;
  const bool haveServer = server.Problem().isEmpty() && server.Start();

  struct Mode {
    const char* name;
    std::optional<JournalSetup> setup;
  };
  std::vector<Mode> modes{{"journal off", std::nullopt}, {"SQLite file", JournalSetup{}}};
  if (haveServer) modes.push_back({"PostgreSQL server", JournalSetupFor(server.Url(), nullptr)});
  else std::fprintf(stderr, "bench_journal_save: no PostgreSQL server: %s\n", qPrintable(server.Problem()));

  std::vector<std::pair<std::string, double>> medians;
  for (const Mode& mode : modes) {
    std::unique_ptr<Journal> journal;
    if (mode.setup) journal = std::make_unique<Journal>(*mode.setup);
    MainWindow window(messages, std::make_unique<QtSerialPort>());
    if (journal) window.AttachJournal(*journal);
    window.show();
    if (!window.StartUp()) return 1;
    auto* mark = window.findChild<QLabel*>(QStringLiteral("verifyMark"));
    auto* saveButton = window.findChild<QPushButton*>(QStringLiteral("Command1"));
    Round round;
    std::vector<double> times;
    std::thread hopper(PlayHopper, peer.MasterFd(), rounds, std::ref(round),
                       [&] { QMetaObject::invokeMethod(saveButton, &QPushButton::click, Qt::QueuedConnection); });
    // The main thread spins so that the mark is seen the moment the window's handlers return.
    while (!round.finished) {
      app.processEvents(QEventLoop::AllEvents);
      const std::int64_t at = round.lastByteAt;
      if (at != 0 && !round.seen && mark->text() == QStringLiteral("\u2713")) {
        times.push_back(double(Now() - at) / 1e3);
        round.seen = true;
        round.lastByteAt = 0;
      }
    }
    hopper.join();
    medians.emplace_back(mode.name, Median(times));
    std::printf("%-18s read-back to verified mark p50 %7.1f us  (%zu of %d saves)\n", mode.name, Median(times),
                times.size(), rounds);
  }
  if (!results.empty()) {
    std::ofstream out(results, std::ios::app);
    out << "\n## Journal\n\n| figure | method | value | floor | ratio | target | met "
           "|\n|---|---|---|---|---|---|---|\n";
    for (std::size_t i = 1; i < medians.size(); ++i) {
      const double ratio = medians[0].second > 0 ? medians[i].second / medians[0].second : 0;
      char row[512];
      std::snprintf(row, sizeof row,
                    "| save with the journal on %s | from writing the read-back's last byte to the verified mark, "
                    "median of %d saves, journal off as the floor | %.1f µs | %.1f µs | %.2f× | ≤ 1.05× floor | %s |\n",
                    medians[i].first.c_str(), rounds, medians[i].second, medians[0].second, ratio,
                    ratio <= 1.05 ? "yes" : "**no**");
      out << row;
    }
  }
  return 0;
}
