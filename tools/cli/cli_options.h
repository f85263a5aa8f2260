#pragma once
// The hopper-cli command line: `read`, `write FILE`, `ports`, `history`, `diff A B` or `report ID`, and the
// options they take.

#include <QString>
#include <QStringList>
#include <optional>

class QCommandLineParser;

namespace hopper::cli {

enum class Command { Read, Write, Ports, History, Diff, Report };

inline constexpr int kDefaultTimeoutSeconds = 60;

struct CliOptions {
  Command command = Command::Read;
  QString file;                                   // write: the parameter file to write into the hopper
  QString port;                                   // "COM3", "3" or a device path; empty: the port the window last used
  QString out;                                    // read: write the set to this parameter file instead of printing it
  int timeoutMs = kDefaultTimeoutSeconds * 1000;  // waiting for the report; 0 waits for ever
  bool json = false;
  QString logPath;      // the decoded traffic goes here
  bool journal = true;  // read and write keep an entry in the service journal
  QString journalUrl;   // --journal: instead of the settings' [Journal] database
  QString since;        // history: entries from this date on
  QString unit;         // read, write: the unit's serial for the journal; history: only this unit's entries
  bool csv = false;     // history: comma-separated values instead of lines
  QStringList sources;  // diff: files, backup:last, journal:ID
  QString entry;        // report: a journal entry's id, or "last"
  QString pdf;          // report: the PDF to write
};

struct ParsedArguments {
  std::optional<CliOptions> options;  // empty when only text is to be printed, or on an error
  QString error;                      // what was wrong, for stderr
  QString text;                       // --help or --version: print it and end with 0
  bool json = false;                  // --json was given, also on a line that is wrong otherwise
};

// `arguments` includes the program name first.
ParsedArguments ParseArguments(const QStringList& arguments);
// The same from the program's own argv, refusing an argument whose bytes a file name could not
// keep (not valid in the system's encoding): it would name another file than the one given.
ParsedArguments ParseArguments(int argc, const char* const* argv);

// The --help text, exit codes included.
QString HelpText();

// Whether a command keeps journal entries: --no-journal, else --journal, else the settings.
bool JournalWanted(const QCommandLineParser& parsed);

}  // namespace hopper::cli
