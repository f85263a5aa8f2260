#pragma once
// What hopper-cli tells its user: progress on stderr while stderr is a terminal, the result on
// stdout (the coin numbers, the differing channels, or one JSON object), errors on stderr.

#include <QJsonObject>
#include <QString>
#include <cstdio>
#include <optional>

#include "core/setting_frames.h"
#include "tools/cli/cli_options.h"
#include "tools/cli/exit_codes.h"
#include "tools/cli/hopper_session.h"

namespace hopper::cli {

// Everything a run found out, whether it got far or not.
struct RunSummary {
  Command command = Command::Read;
  QString port;    // "COM3" or the path given
  QString device;  // what was opened
  QString file;    // write: the parameter file; read: --out
  QString backup;  // write: where the reported set was kept
  SessionResult session;
  QStringList warnings;
  QStringList lineTrouble;  // the line settings the driver did not take, with what to do
};

// One line to `to`, its control characters escaped.
void Print(FILE* to, const QString& text);
// One JSON object as one line on stdout.
void PrintJson(const QJsonObject& object);

class Reporter {
 public:
  Reporter(bool json, bool progressOnTerminal);

  void Progress(Step step, const QString& where);
  void Warn(const QString& text);
  // Prints the result and returns the exit code.
  int Finish(const RunSummary& summary);

  // True when stderr is a terminal.
  static bool StderrIsTerminal();

 private:
  void Say(const QString& text);

  bool json_;
  bool progress_;
  bool promptShown_ = false;
};

// Tells what is wrong with the command line (as one JSON object too with `json`); returns the
// exit code for bad arguments.
int ReportBadArguments(bool json, const QString& error);
// "done", "port-error", …: an exit code's stable name, as JSON gives it in "result".
const char* ExitCodeName(ExitCode code);

// The channels whose read-back differs from what was written, Channel1 first (1-based numbers).
QList<int> DifferingChannels(const CoinNumbers& written, const CoinNumbers& readBack);

}  // namespace hopper::cli
