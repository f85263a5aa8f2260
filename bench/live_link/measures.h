#pragma once
// The rows of the live-link benchmark, each measured against its floor in the same run.

#include <iostream>

#include "results_table.h"
#include "tool_rig.h"

namespace bench {

// How long each measurement runs: the full setting, or a short one that only shows the
// programs still start and the table still fills.
struct Setting {
  bool quick = false;
  int dialogueSeconds = 30;
  int minimumEchoTrials = 300;
  int watchRuns = 50;
  int starts = 10;
  int idleSeconds = 10;
  std::size_t floodBytes = 1 << 20;
  static Setting Quick();
};

// Says why a measurement could not be taken; always false.
inline bool Failed(const char* why) {
  std::cerr << "bench_live_link: " << why << std::endl;
  return false;
}

// Start-up time and memory after start: tool and bare window started in turns.
bool MeasureStartUp(const Setting& setting, const Programs& programs, ResultsTable& table);

// The rest needs one tool running on its line for the whole session.
bool MeasureEchoAndMemory(const Setting& setting, const Programs& programs, ToolRig& rig, ResultsTable& table);
bool MeasureIdle(const Setting& setting, const Programs& programs, ToolRig& rig, ResultsTable& table);
bool MeasureWatches(const Setting& setting, ToolRig& rig, ResultsTable& table);
bool MeasureFlood(const Setting& setting, ToolRig& rig, ResultsTable& table);

}  // namespace bench
