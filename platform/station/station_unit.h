#pragma once
// What the station knows of one port and of each hopper it programmed there: the state a port
// is in, and the record of a finished unit, which is what a journal or a screen takes.

#include <QDateTime>
#include <QString>
#include <optional>

#include "core/save_judge.h"
#include "core/setting_frames.h"

namespace hopper {

// Where a port of the station stands.
enum class LineState {
  Waiting,      // for the next hopper's power-on report
  Receiving,    // the report is coming in
  Writing,      // the save frame is out, waiting for the acknowledgement
  Verifying,    // acknowledged, the read-back is coming in
  Passed,       // the last unit passed; waiting for the next report
  Failed,       // the last unit failed; waiting for the next report
  AdapterGone,  // the adapter was pulled; the port comes back by itself when it returns
};

enum class UnitResult {
  Pass,        // the read-back equals the set written
  Fail,        // the unit did not take the set, or nobody can say it did
  Unverified,  // the save went out, the station was stopped before the read-back was checked
};

// Why a unit failed.
enum class UnitFault {
  None,
  ReportChecksum,     // the power-on report's checksum did not match
  Communication,      // something other than the sync or the ready byte
  ReportCut,          // the report stopped part-way (hopper switched off, cable)
  NoAcknowledgement,  // the save frame got no answer within the response watch
  WrongAcknowledgement,
  NewReportInstead,  // the hopper started a new report instead of acknowledging
  ReadBackCut,       // acknowledged, but the read-back stopped part-way
  ReadBackChecksum,  // the read-back's checksum did not match
  ReadBackDiffers,   // the read-back holds another set than the one written
  WriteFailed,       // the port did not take the save frame
  AdapterGone,       // the adapter went away during the unit
  Interrupted,       // the station was stopped during the unit
};

struct UnitRecord {
  QString port;  // as the station names it: "COM3" or the device path
  int unit = 0;  // 1 for the first unit finished on this port
  QDateTime finished;
  UnitResult result = UnitResult::Pass;
  UnitFault fault = UnitFault::None;
  QString reason;                       // one line; empty for a pass
  bool saveSent = false;                // the save frame reached the line
  std::optional<CoinNumbers> reported;  // what the hopper held when switched on
  CoinNumbers written{};                // the station's set
  std::optional<CoinNumbers> readBack;  // what the hopper reported after the save
  std::optional<Verdict> verdict;       // the save's, once it went out
  QString header;                       // the report's header and info bytes, in hex
  QString info;
};

// What a unit whose save went out ended as: the verdict's result and fault.
UnitResult UnitResultOf(VerdictKind kind);
UnitFault UnitFaultOf(VerdictKind kind);

// "waiting", "receiving", "writing", … as a port's line shows it.
QString LineStateText(LineState state);
// "PASS", "FAIL", "UNVERIFIED".
QString UnitResultText(UnitResult result);
// "no-acknowledgement", … : a fault's stable name, for scripts.
QString UnitFaultName(UnitFault fault);

}  // namespace hopper
