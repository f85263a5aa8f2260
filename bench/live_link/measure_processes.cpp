// Start-up, memory after start and idle CPU: the tool against a bare window with 16 line
// edits, the floor programs run in turns with the tool or beside it, so the machine's noise
// hits both.

#include <chrono>
#include <cstdio>
#include <sstream>
#include <thread>

#include "measures.h"

namespace bench {

namespace {

double Median(const std::vector<double>& values) { return Percentile(values, 0.5); }

std::string KiB(double kib) {
  std::ostringstream out;
  out << static_cast<long>(kib) << " KiB";
  return out.str();
}

// What each program cost over the same stretch of time: its share of one core in per cent,
// and how often a second one of its threads woke.
struct IdleCost {
  std::vector<double> shares;
  std::vector<double> wakeups;
};
IdleCost CpuShares(const std::vector<ChildProcess*>& programs, int seconds) {
  std::vector<std::int64_t> before, wokenBefore;
  for (ChildProcess* p : programs) {
    before.push_back(p->CpuNs());
    wokenBefore.push_back(p->Wakeups());
  }
  const std::int64_t start = NowNs();
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  const double wall = static_cast<double>(NowNs() - start);
  IdleCost cost;
  for (std::size_t i = 0; i < programs.size(); ++i) {
    cost.shares.push_back(100.0 * static_cast<double>(programs[i]->CpuNs() - before[i]) / wall);
    cost.wakeups.push_back(1e9 * static_cast<double>(programs[i]->Wakeups() - wokenBefore[i]) / wall);
  }
  return cost;
}

std::string PerSecond(double rate) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f /s", rate);
  return text;
}

std::string Percent(double share) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f %%", share);
  return text;
}

}  // namespace

bool MeasureStartUp(const Setting& setting, const Programs& programs, ResultsTable& table) {
  std::vector<double> toolMs, floorMs, toolKiB, floorKiB;
  ToolRig rig(programs);
  for (int i = 0; i < setting.starts; ++i) {
    double ms = 0;
    if (!rig.Start(&ms)) return false;
    toolMs.push_back(ms);
    toolKiB.push_back(static_cast<double>(rig.tool->StatusKiB("VmHWM")));
    rig.Stop();
    auto floor = StartFloorWindow(programs, 0, &ms);
    if (!floor) return false;
    floorMs.push_back(ms);
    floorKiB.push_back(static_cast<double>(floor->StatusKiB("VmHWM")));
  }
  const double tool = Median(toolMs), floor = Median(floorMs);
  table.Add({"start-up",
             "process start to the main window's first paint with its port open, median of " +
                 std::to_string(setting.starts) + " starts taken in turns with the floor",
             Ms(tool, 1), Ms(floor, 1), Ratio(tool, floor), "≤ 1.3× floor", YesNo(tool <= 1.3 * floor)});
  const double toolPeak = Median(toolKiB), floorPeak = Median(floorKiB);
  table.Add({"peak memory after start", "VmHWM once the shown window has settled, median of the same starts",
             KiB(toolPeak), KiB(floorPeak), Ratio(toolPeak, floorPeak), "≤ 1.2× floor",
             YesNo(toolPeak <= 1.2 * floorPeak)});
  return true;
}

bool MeasureIdle(const Setting& setting, const Programs& programs, ToolRig& rig, ResultsTable& table) {
  auto bare = StartFloorWindow(programs, 0);
  if (!bare || !WaitSettled(*rig.tool, &rig.line)) return false;
  std::vector<double> shares = CpuShares({rig.tool.get(), bare.get()}, setting.idleSeconds).shares;
  const std::string seconds = std::to_string(setting.idleSeconds) + " s";
  table.Add({"idle CPU, main window",
             "CPU time of all threads (schedstat) over " + seconds +
                 " with the window idle after a dialogue, floor measured at the same time",
             Percent(shares[0]), Percent(shares[1]), Ratio(shares[0], shares[1]), "≤ floor + 0.05 %",
             YesNo(shares[0] <= shares[1] + 0.05)});

  rig.tool->Command("trigger Form1/Simulation");
  auto polling = StartFloorWindow(programs, 5);
  if (!polling || !rig.tool->Await("shown", "Form3", 30000) || !WaitSettled(*rig.tool, &rig.line)) return false;
  const IdleCost open = CpuShares({rig.tool.get(), bare.get(), polling.get()}, setting.idleSeconds);
  shares = open.shares;
  const bool nearBare = shares[0] <= shares[1] + 0.05;
  table.Add({"idle CPU, simulation window open",
             "as above with the simulation window open; floors: the bare window (" + Percent(shares[1]) +
                 ") and a bare window with a 5 ms timer",
             Percent(shares[0]), Percent(shares[2]), Ratio(shares[0], shares[2]),
             "≤ bare window + 0.05 % once the drain waits for bytes",
             nearBare ? "yes"
                      : (shares[0] < shares[2] ? "no: between the two floors" : "**no**: at or above the 5 ms floor")});
  table.Add({"wake-ups, simulation window open",
             "times a thread of the program was put on a CPU (schedstat), same stretch; floors: the bare window (" +
                 PerSecond(open.wakeups[1]) + ") and the one with a 5 ms timer",
             PerSecond(open.wakeups[0]), PerSecond(open.wakeups[2]), Ratio(open.wakeups[0], open.wakeups[2]), "≤ 20 /s",
             YesNo(open.wakeups[0] <= 20)});
  rig.tool->Command("click Form3/Command5");
  return rig.tool->Await("done", "click Form3/Command5", 10000).has_value() && WaitSettled(*rig.tool, &rig.line);
}

}  // namespace bench
