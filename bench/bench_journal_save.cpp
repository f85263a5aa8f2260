// What the service journal adds to a save as the technician sees it: the time from the
// hopper's last read-back byte to the verified mark on the main window, with the journal off,
// on the SQLite file and on a PostgreSQL server (a throwaway cluster, as the tests start it).
//   bench_journal_save [rounds] [--results FILE]   (QT_QPA_PLATFORM=offscreen works)
// Three main windows, each on a pseudo-terminal of its own, save in turns; a thread plays the
// hopper for each save: report, sync, ready; the window saves; the hopper acknowledges and
// reads the set back.

#include <poll.h>
#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
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
  std::atomic<bool> finished{false};
};

// The hopper's side of one save: report, sync, ready, then (once `save` pressed Save) the
// acknowledgement and the read-back, its last byte alone.
void PlayOneSave(int master, Round& round, const std::function<void()>& save) {
  const std::vector<std::uint8_t> report = BuildReportFrame(1, 0x10, std::vector<std::uint8_t>{'H', 'K'}, kReported);
  (void)!::write(master, report.data(), report.size());
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  Drain(master);
  const std::uint8_t sync = kSyncByte, ready = kReadyByte, ack = kSaveAckByte;
  (void)!::write(master, &sync, 1);
  if (ReadExactly(master, 1)) {
    (void)!::write(master, &ready, 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    save();
    if (ReadExactly(master, kSaveFrameSize)) {
      (void)!::write(master, &ack, 1);
      const ReadBackBlock block = BuildReadBackBlock(kReported);
      (void)!::write(master, block.data(), block.size() - 1);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      (void)!::write(master, block.data() + block.size() - 1, 1);
      round.lastByteAt = Now();
    }
  }
  round.finished = true;
}

// One main window on a line of its own, with its journal or none.
struct Station {
  explicit Station(const char* shownAs) : name(shownAs) {}
  const char* name;
  std::unique_ptr<test::PtyPeer> peer = std::make_unique<test::PtyPeer>();
  std::unique_ptr<Journal> journal;
  std::unique_ptr<MainWindow> window;
  std::vector<double> times;
};

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  // The windows' backups and local journal stay with the run, not among the user's.
  QTemporaryDir data;
  qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
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

  std::vector<Station> stations;
  stations.emplace_back("journal off");
  stations.emplace_back("SQLite file");
  stations.back().journal = std::make_unique<Journal>();
  if (haveServer) {
    stations.emplace_back("PostgreSQL server");
    stations.back().journal = std::make_unique<Journal>(JournalSetupFor(server.Url()));
  } else {
    std::fprintf(stderr, "bench_journal_save: no PostgreSQL server: %s\n", qPrintable(server.Problem()));
  }
  for (std::size_t n = 0; n < stations.size(); ++n) {
    Station& station = stations[n];
    SettingsStore().SetMappedDevice(int(n) + 1, station.peer->path());
    station.window = std::make_unique<MainWindow>(messages, std::make_unique<QtSerialPort>());
    if (station.journal) station.window->AttachJournal(*station.journal);
    station.window->StartOnPort(int(n) + 1);
    station.window->show();
    if (!station.window->StartUp()) return 1;
  }
  // The saves in turns, one station after the other, so that the load of the machine falls on
  // all of them alike. The main thread spins: the mark is seen the moment the handlers return.
  for (int r = 0; r < rounds; ++r) {
    for (Station& station : stations) {
      auto* mark = station.window->findChild<QLabel*>(QStringLiteral("verifyMark"));
      auto* saveButton = station.window->findChild<QPushButton*>(QStringLiteral("Command1"));
      // The response watch gives Save back 1000 ms after the last save's frame.
      while (!saveButton->isEnabled()) app.processEvents(QEventLoop::AllEvents);
      Round round;
      std::thread hopper(PlayOneSave, station.peer->MasterFd(), std::ref(round), [saveButton] {
        QMetaObject::invokeMethod(saveButton, &QPushButton::click, Qt::QueuedConnection);
      });
      const auto limit = Clock::now() + std::chrono::seconds(5);
      for (bool seen = false; !seen && Clock::now() < limit;) {
        app.processEvents(QEventLoop::AllEvents);
        const std::int64_t at = round.lastByteAt;
        seen = at != 0 && mark->text() == QStringLiteral("\u2713");
        if (seen) station.times.push_back(double(Now() - at) / 1e3);
      }
      hopper.join();
    }
  }
  std::vector<std::pair<std::string, double>> medians;
  for (const Station& station : stations) {
    medians.emplace_back(station.name, Median(station.times));
    std::printf("%-18s read-back to verified mark p50 %7.1f us  (%zu of %d saves)\n", station.name,
                Median(station.times), station.times.size(), rounds);
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
                    "median of %d saves taken in turns with the journal off, the floor | %.1f µs | %.1f µs | %.2f× | ≤ "
                    "1.05× floor | %s |\n",
                    medians[i].first.c_str(), rounds, medians[i].second, medians[0].second, ratio,
                    ratio <= 1.05 ? "yes" : "**no**");
      out << row;
    }
  }
  return 0;
}
