#pragma once
// The program's command line: --port N starts on COMn instead of the stored port; --help.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace hopper {

struct CommandLine {
  std::optional<int> portNumber;  // --port N, 1..255 (the last one given)
  std::vector<int> portNumbers;   // every --port, for the station
  QString stationSet;             // --station FILE: the station window alone, writing FILE's set
  QString logPath;                // --log FILE: append the line's decoded traffic to FILE
  bool help = false;              // --help or -h: print the usage and end
  QString error;                  // what was wrong; the usage goes with it
};

// `arguments` starts with the program's own name. Unless `strict`, arguments of no meaning
// here are passed over: before Qt has taken its own (-platform, -style) out of the list.
CommandLine ParseCommandLine(const QStringList& arguments, bool strict = true);

QString UsageText();

}  // namespace hopper
