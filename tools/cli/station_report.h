#pragma once
// What `hopper-cli station` shows: on a terminal one line per port, rewritten in place; with
// --json one JSON object a line per event; otherwise one plain line per event. At the end the
// summary per port. The exit code is the worst unit's.

#include <QString>

#include "platform/station/station.h"
#include "tools/cli/exit_codes.h"

namespace hopper::cli {

// The exit code a unit's result stands for: 0 for a pass.
ExitCode CodeFor(const UnitRecord& record);

class StationReport {
 public:
  enum class Style { InPlace, Plain, Json };
  StationReport(const Station& station, Style style) : station_(station), style_(style) {}

  // The set and the ports, before the first hopper.
  void Started();
  void LineChanged(int index);
  void UnitFinished(int index, const UnitRecord& record);
  // Prints the summary per port and returns the exit code.
  int Finish();

  // In place when stdout is a terminal.
  static Style StyleFor(bool json);

 private:
  QString LineText(int index) const;

  const Station& station_;
  Style style_;
  ExitCode worst_ = ExitCode::Done;
};

}  // namespace hopper::cli
