// The live link as the technician feels it: how fast the tool answers the hopper, how exact
// its watches are, how fast it starts and what it costs while it sits open, each figure
// against a floor measured in the same run. Runs without a desktop (offscreen).
//   usage: bench_live_link [--quick] [--only FIGURES] [--results FILE]
//   --quick         a few trials of each, to show the programs still start and the table fills
//   --only FIGURES  only these, comma-separated: start-up, echo, idle, watches, flood (for work on
//                   one of them; a table for RESULTS.md has them all)
//   --results FILE  also write the table, dated, with the machine and Qt version, to FILE

#include <csignal>
#include <ctime>
#include <fstream>
#include <iostream>

#include "measures.h"

using namespace bench;

Setting Setting::Quick() {
  Setting s;
  s.quick = true;
  s.dialogueSeconds = 1;
  s.minimumEchoTrials = 20;
  s.watchRuns = 2;
  s.starts = 2;
  s.idleSeconds = 1;
  s.floodBytes = 64 * 1024;
  return s;
}

namespace {

std::string Today() {
  char text[64];
  const std::time_t now = std::time(nullptr);
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M %Z", std::localtime(&now));
  return text;
}

bool Fail(const char* what) {
  std::cerr << "bench_live_link: " << what << " could not be measured" << std::endl;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  std::signal(SIGPIPE, SIG_IGN);  // a program that ended must not end the benchmark
  Setting setting;
  std::string results;
  std::string only;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--quick") setting = Setting::Quick();
    else if (arg == "--results" && i + 1 < argc) results = argv[++i];
    else if (arg == "--only" && i + 1 < argc) only.append(",").append(argv[++i]).append(",");
    else {
      std::cerr << "usage: bench_live_link [--quick] [--only FIGURES] [--results FILE]" << std::endl;
      return 2;
    }
  }
  if (!only.empty() && !results.empty()) {
    std::cerr << "bench_live_link: --only makes part of the table; it is not written to " << results << std::endl;
    return 2;
  }
  const Programs programs = Programs::Beside("/proc/self/exe");
  const std::int64_t began = NowNs();
  const std::string loadBefore = ResultsTable::LoadAverage();
  ResultsTable table;
  const auto wanted = [&only](const char* figure) {
    return only.empty() || only.find("," + std::string(figure) + ",") != std::string::npos;
  };
  bool ok = !wanted("start-up") || MeasureStartUp(setting, programs, table) || Fail("start-up");
  if (wanted("echo") || wanted("idle") || wanted("watches") || wanted("flood")) {
    ToolRig rig(programs);
    ok = ok && (rig.Start() || Fail("the tool's start"));
    ok = ok && (!wanted("echo") || MeasureEchoAndMemory(setting, programs, rig, table) || Fail("the echo"));
    // The watches need a report taken (Save sends nothing before one), which the echo's dialogues give.
    ok = ok && (wanted("echo") || rig.Dialogue().has_value() || Fail("the first dialogue"));
    ok = ok && (!wanted("idle") || MeasureIdle(setting, programs, rig, table) || Fail("idle CPU"));
    ok = ok && (!wanted("watches") || MeasureWatches(setting, rig, table) || Fail("the watches"));
    ok = ok && (!wanted("flood") || MeasureFlood(setting, rig, table) || Fail("the noise flood"));
  }
  char took[64];
  std::snprintf(took, sizeof took, "%.0f s", static_cast<double>(NowNs() - began) / 1e9);
  table.Note("Run " + Today() + (setting.quick ? " (quick setting)" : "") + ", took " + took + ".");
  table.Note("Machine: " + ResultsTable::MachineLine() + "; load average " + loadBefore + " at the start, " +
             ResultsTable::LoadAverage() + " at the end.");
  table.Note(
      "Tool and floors share the machine with whatever else runs on it; the ratios, taken in turns or side "
      "by side, are steadier than the absolute figures on a busy machine.");
  table.Note(
      "Each program runs offscreen as its own process; the tool is driven on a pseudo-terminal and "
      "watched through /proc and a probe plugin that Qt loads into it (bench/live_link).");
  const std::string markdown = table.Markdown("## Live link");
  std::cout << markdown << std::flush;
  if (!results.empty()) {
    std::ofstream out(results);
    out << "# Benchmark results\n\nWritten by `./dev bench`.\n\n" << markdown;
  }
  return ok ? 0 : 1;
}
