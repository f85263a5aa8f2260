// The figures taken on the line: the echo against a raw echo loop, memory across minutes of
// dialogues, the two watches against their nominal intervals, and a flood of noise.

#include <sched.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <thread>

#include "core/setting_frames.h"
#include "measures.h"

namespace bench {

namespace {
constexpr double kReceiveWatchMs = 500;
constexpr double kResponseWatchMs = 1000;
constexpr int kEffectTimeoutMs = 10000;

double MsBetween(std::int64_t from, std::int64_t to) { return static_cast<double>(to - from) / 1e6; }

// The worst departure from the nominal interval, with its sign.
double WorstError(const std::vector<double>& errors) {
  double worst = 0;
  for (double e : errors) worst = std::abs(e) > std::abs(worst) ? e : worst;
  return worst;
}
}  // namespace

bool MeasureEchoAndMemory(const Setting& setting, const Programs& programs, ToolRig& rig, ResultsTable& table) {
  LinePeer floorLine;
  ChildProcess floorEcho(programs.floorEcho, {floorLine.Device()}, {}, "");
  if (!rig.Dialogue()) return Failed("the first dialogue was not answered");  // it fills the boxes once
  // The first entry opens the journal's file on its own thread; once that is done, what grows
  // is what the dialogues cost.
  std::this_thread::sleep_for(std::chrono::seconds(1));
  const double startKiB = static_cast<double>(rig.tool->StatusKiB("VmHWM"));
  std::vector<double> tool, floor;
  const std::int64_t end = NowNs() + static_cast<std::int64_t>(setting.dialogueSeconds) * 1000000000;
  while (NowNs() < end || tool.size() < static_cast<std::size_t>(setting.minimumEchoTrials)) {
    const auto echo = rig.Dialogue();
    if (!echo) return Failed("a dialogue was not answered");
    tool.push_back(*echo);
    WaitSettled(floorEcho, &floorLine);
    std::int64_t echoedAt = 0;
    const std::int64_t sentAt = floorLine.Write({hopper::kSyncByte});
    if (floorLine.Read(1, kEffectTimeoutMs, &echoedAt).empty()) return Failed("the floor's echo did not come");
    floor.push_back(MsBetween(sentAt, echoedAt));
  }
  const std::string trials = std::to_string(tool.size()) + " trials";
  const std::string method = "peer writes 0x82 after a valid report, times until the echo is read; " + trials +
                             ", each in turn with one of the floor (raw echo loop on its own pty)";
  const double p50 = Percentile(tool, 0.5), p99 = Percentile(tool, 0.99), top = Largest(tool);
  const double f50 = Percentile(floor, 0.5), f99 = Percentile(floor, 0.99), ftop = Largest(floor);
  table.Add({"echo of 0x82, p50", method, Ms(p50), Ms(f50), Ratio(p50, f50), "≤ 1.2× floor", YesNo(p50 <= 1.2 * f50)});
  table.Add({"echo of 0x82, p99", "same trials", Ms(p99), Ms(f99), Ratio(p99, f99), "≤ 1.15 ms (one byte time)",
             YesNo(p99 <= 1.15)});
  table.Add({"echo of 0x82, max", "same trials", Ms(top), Ms(ftop), Ratio(top, ftop), "—", "—"});

  const double afterKiB = static_cast<double>(rig.tool->StatusKiB("VmHWM"));
  const double growth = afterKiB - startKiB;
  table.Add({"peak memory growth over the dialogues",
             "VmHWM a second after the first dialogue (" + std::to_string(static_cast<long>(startKiB)) +
                 " KiB, its journal entry written) and after " + std::to_string(setting.dialogueSeconds) +
                 " s of dialogues",
             std::to_string(static_cast<long>(growth)) + " KiB", "—", "—", "no growth (≤ 1 % of the peak)",
             YesNo(growth <= 0.01 * startKiB)});
  return true;
}

namespace {
// When a watch ran out: its named timer firing, as the probe saw it, else its visible effect.
struct WatchTimes {
  std::vector<double> errors;       // ms against the nominal interval
  std::vector<double> effectDelay;  // ms from the timer to the visible effect
  bool timerSeen = true;
};

void Record(WatchTimes& times, const std::vector<ProbeEvent>& events, const std::string& timer,
            const std::string& effectKind, const std::string& effect, std::int64_t armedAt, double nominalMs) {
  const ProbeEvent* fired = nullptr;
  const ProbeEvent* shown = nullptr;
  for (const ProbeEvent& e : events) {
    if (!fired && e.kind == "timer" && e.detail == timer) fired = &e;
    if (!shown && e.kind == effectKind && e.detail.rfind(effect, 0) == 0) shown = &e;
  }
  if (!shown) return;
  if (!fired) times.timerSeen = false;
  times.errors.push_back(MsBetween(armedAt, (fired ? fired : shown)->at) - nominalMs);
  if (fired) times.effectDelay.push_back(MsBetween(fired->at, shown->at));
}

// While the peer waits for the save frame it runs at real-time priority where the system allows
// (as root): the moment it reads the frame's last byte is the start of the watch, and its own
// late wake-up on a busy machine would show as the watch firing early.
class PromptPeer {
 public:
  PromptPeer() {
    const sched_param realTime{1};
    raised_ = ::sched_setscheduler(0, SCHED_FIFO, &realTime) == 0;
  }
  ~PromptPeer() {
    const sched_param normal{0};
    if (raised_) ::sched_setscheduler(0, SCHED_OTHER, &normal);
  }
  PromptPeer(const PromptPeer&) = delete;
  PromptPeer& operator=(const PromptPeer&) = delete;
  static bool Allowed() { return PromptPeer().raised_; }

 private:
  bool raised_ = false;
};

void AddWatchRow(ResultsTable& table, const std::string& figure, const WatchTimes& times, const std::string& from,
                 const std::string& effect, int runs, const char* nominal, bool fromAfterTheStart = false) {
  // Where the moment counted from can only come after the watch starts, an error below zero is
  // that moment's own lag: the worst is then the latest firing.
  const double worst =
      fromAfterTheStart ? *std::max_element(times.errors.begin(), times.errors.end()) : WorstError(times.errors);
  const std::string to = times.timerSeen ? "the watch's timer firing (probe)" : effect;
  std::string method = "from " + from + " to " + to + "; median error " + Ms(Percentile(times.errors, 0.5)) + ", " +
                       std::to_string(runs) + " runs";
  if (fromAfterTheStart)
    method +=
        "; both moments come after the frame is written and the watch armed, so an error below zero is "
        "their lag (lowest " +
        Ms(*std::min_element(times.errors.begin(), times.errors.end())) + ")";
  if (times.timerSeen)
    method += "; " + effect + " follows the timer after a median " + Ms(Percentile(times.effectDelay, 0.5)) +
              ", at most " + Ms(Largest(times.effectDelay));
  table.Add({figure, method, Ms(worst), nominal, "—", "≤ 3 ms", YesNo(std::abs(worst) <= 3)});
}
}  // namespace

bool MeasureWatches(const Setting& setting, ToolRig& rig, ResultsTable& table) {
  // One cycle arms both: a save (answered at once, so the link is back to waiting for a start
  // byte), then a report that stops after its header. The receive watch runs out about 500 ms
  // later and shows its message box; the response watch gives Save back at 1000 ms.
  const hopper::CoinNumbers coins{1000, 500, 250, 100, 50, 20, 10, 5, 2, 1, 0, 0, 0, 0, 0, 0};
  const hopper::ReadBackBlock readBack = hopper::BuildReadBackBlock(coins);
  WatchTimes response, receive;
  // The tool arms the response watch as it has written the save frame. That moment is known
  // only from after it: the peer reads the frame's last byte once the pseudo-terminal has passed
  // it on, and the probe hears of the write at the program's next pass of its event loop. The
  // earlier of the two is the closest.
  rig.tool->Command("writes on");
  if (!rig.tool->Await("done", "writes on", kEffectTimeoutMs)) return Failed("the probe reports no writes");
  for (int run = 0; run < setting.watchRuns; ++run) {
    if (!WaitSettled(*rig.tool, &rig.line)) return false;
    rig.tool->Forget();
    std::int64_t savedAt = 0;
    {
      const PromptPeer prompt;
      rig.tool->Command("click Form1/Command1");
      if (rig.line.Read(hopper::kSaveFrameSize, kEffectTimeoutMs, &savedAt).empty())
        return Failed("Save sent no frame");
    }
    Bytes answer(readBack.size() + 1, hopper::kSaveAckByte);
    std::copy(readBack.begin(), readBack.end(), answer.begin() + 1);
    rig.line.Write(answer);
    if (!WaitSettled(*rig.tool, &rig.line)) return false;
    rig.line.Write({hopper::kStartByte, 0x01, 0x02, 0x01});
    if (!WaitSettled(*rig.tool, &rig.line)) return false;
    const std::int64_t headerAt = rig.line.Write({0x10});
    const auto events = rig.tool->CollectUntil("enabled", "Form1/Command1", kEffectTimeoutMs);
    Record(receive, events, "Form1/Timer3", "box", "Receive Error", headerAt, kReceiveWatchMs);
    const auto written =
        std::find_if(events.begin(), events.end(), [](const ProbeEvent& e) { return e.kind == "written"; });
    if (written == events.end()) return Failed("the save frame was not seen written");
    Record(response, events, "Form1/Timer1", "enabled", "Form1/Command1", std::min(savedAt, written->at),
           kResponseWatchMs);
    if (receive.errors.size() != response.errors.size() || response.errors.size() != static_cast<std::size_t>(run) + 1)
      return Failed("a watch showed nothing");
  }
  rig.tool->Command("writes off");
  if (!rig.tool->Await("done", "writes off", kEffectTimeoutMs)) return false;
  AddWatchRow(table, "receive watch, worst error", receive, "writing the last info byte", "the message box",
              setting.watchRuns, "500 ms nominal");
  AddWatchRow(table, "response watch, worst error", response,
              std::string("the earlier of the peer") + (PromptPeer::Allowed() ? " (at real-time priority)" : "") +
                  " reading the save frame's last byte and the probe hearing it written",
              "Save enabled again", setting.watchRuns, "1000 ms nominal", true);
  return true;
}

bool MeasureFlood(const Setting& setting, ToolRig& rig, ResultsTable& table) {
  std::mt19937 random(20261207);
  Bytes noise(setting.floodBytes);
  for (auto& b : noise) b = static_cast<std::uint8_t>(random());
  rig.tool->Command("heartbeat on");
  if (!rig.tool->Await("done", "heartbeat on", kEffectTimeoutMs)) return false;
  const double before = static_cast<double>(rig.tool->StatusKiB("VmHWM"));
  const std::int64_t start = rig.line.Write(noise);
  const bool settled = WaitSettled(*rig.tool, &rig.line, 120000);
  const double seconds = MsBetween(start, NowNs()) / 1000;
  rig.tool->Command("heartbeat off");
  const auto stall = rig.tool->Await("stall", "", kEffectTimeoutMs);
  const double after = static_cast<double>(rig.tool->StatusKiB("VmHWM"));
  if (!settled || !stall) return Failed("the tool did not settle after the flood");
  rig.Resynchronise();
  const bool answered = rig.Dialogue().has_value();
  const double stallMs = std::stod(stall->detail) / 1e6;
  const std::string size = std::to_string(setting.floodBytes / 1024) + " KiB";
  char taken[64];
  std::snprintf(taken, sizeof taken, "%.1f s", seconds);
  table.Add({"noise flood, longest event-loop gap",
             size + " of random bytes written at full speed (taken in " + taken +
                 "); a 1 ms precise timer inside the program records its longest gap",
             Ms(stallMs, 1), "1 ms timer", "—", "≤ 20 ms", YesNo(stallMs <= 20)});
  table.Add({"noise flood, memory", "VmHWM before and after the flood",
             std::to_string(static_cast<long>(after - before)) + " KiB growth", "—", "—", "flat (≤ 1 % of the peak)",
             YesNo(after - before <= 0.01 * before)});
  table.Add({"noise flood, next dialogue", "after 320 bytes 0xFF, a valid report and 0x82: echo within 5 s",
             answered ? "answered" : "not answered", "—", "—", "answered", YesNo(answered)});
  return true;
}

}  // namespace bench
