#include "tools/cli/cli_options.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <algorithm>
#include <cmath>

#include "platform/files/file_checks.h"
#include "platform/files/settings_store.h"
#include "platform/journal/journal_entry.h"
#include "platform/journal/journal_query.h"
#include "tools/cli/exit_codes.h"

namespace hopper::cli {

namespace {

constexpr const char* kUsage =
    "Usage: hopper-cli read [--port P] [--out FILE] [--timeout S] [--json] [--log FILE]\n"
    "       hopper-cli write FILE [--port P] [--timeout S] [--json] [--log FILE]\n"
    "       hopper-cli ports [--json]\n"
    "       hopper-cli history [--since DATE] [--port P] [--unit TEXT] [--json | --csv]\n"
    "       hopper-cli diff A B [C ...] [--json]\n"
    "       hopper-cli report ID|last --pdf FILE\n"
    "       hopper-cli station FILE --port P [--port P ...] [--json] [--no-journal]\n"
    "\n"
    "read   waits for the hopper's power-on report and prints its 16 coin numbers\n"
    "       (\"ChannelN value\", one a line), or writes them to a parameter file with --out.\n"
    "write  checks FILE as the tool's Open does, waits for the report, keeps the reported\n"
    "       set as a backup, saves FILE's set into the hopper and compares the read-back.\n"
    "ports  lists every serial device with what stands in the way of using it: another\n"
    "       program holding it, ModemManager probing it, a braille-display service (brltty)\n"
    "       that took a USB adapter, two adapters sharing one stable name; on Windows a driver\n"
    "       version or chip that breaks the adapter, or a device Windows stopped; each with what to do.\n"
    "history lists the service journal's entries, newest first; --csv: every field, a row\n"
    "       each, for a spreadsheet (UTF-8 with a byte-order mark, each set as 16 columns).\n"
    "diff   sets side by side, channel by channel, the differing ones marked: parameter\n"
    "       files, backup:last (the newest backup) and journal:ID (the set an entry left).\n"
    "       Exit 0 when all are equal, 1 when they differ, 2 when one cannot be read.\n"
    "report writes the visit report of a journal entry (or the newest: last) as a PDF.\n"
    "station  programs hopper after hopper on every --port at once: as each is switched on it\n"
    "       writes FILE's set and checks the read-back; one line per port (PASS, FAIL with the\n"
    "       reason, adapter gone), or a JSON line per event with --json. Ctrl+C prints the\n"
    "       passed and failed units per port and exits with the worst unit's code (130 when a\n"
    "       save was out but not yet verified).\n"
    "\n"
    "read, write and station keep an entry for each report and each save in the journal\n"
    "(--no-journal: none); read and write say when the adapter's driver did not take 9600 baud,\n"
    "even parity, 8 data bits and 1 stop bit.\n";

}  // namespace

bool JournalWanted(const QCommandLineParser& p) {
  if (p.isSet(QStringLiteral("no-journal"))) return false;
  // A database named on the command line is used; otherwise the tool's own [Journal] switch.
  return p.isSet(QStringLiteral("journal")) || SettingsStore().JournalEnabled();
}

namespace {

void AddOptions(QCommandLineParser& p) {
  p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  p.addOptions({
      {{"p", "port"},
       "COM number (COM3 or 3, as the tool maps them) or a device path. "
       "Default: the port the tool last used.",
       "P"},
      {{"o", "out"}, "read: write the set to this parameter file.", "FILE"},
      {{"t", "timeout"},
       QStringLiteral("Seconds to wait for the hopper's report (default %1; 0 waits for ever).")
           .arg(kDefaultTimeoutSeconds),
       "S"},
      {"json", "Print the result as one JSON object."},
      {"log", "Write the traffic on the line to this file.", "FILE"},
      {"no-journal", "read, write, station: keep no entry in the service journal."},
      {"journal",
       "The journal's database: postgresql://user@host/database, or a file. "
       "Default: the tool's [Journal] setting, else journal.sqlite in its data folder.",
       "URL"},
      {"since", "history: entries from this date on (2026-12-08, or with a time).", "DATE"},
      {"unit", "read, write: the unit's serial, kept with the journal entries; history: that unit's only.", "TEXT"},
      {"csv", "history: comma-separated values, every field."},
      {"pdf", "report: the PDF file to write.", "FILE"},
      {{"h", "help"}, "Show this help."},
      {{"v", "version"}, "Show the version."},
  });
}

std::optional<int> TimeoutMs(const QString& text) {
  bool ok = false;
  const double seconds = text.toDouble(&ok);
  if (!ok || !std::isfinite(seconds) || seconds < 0 || seconds > 86400) return std::nullopt;
  // 0 ms means no limit: a positive time, however short, waits at least 1 ms.
  if (seconds > 0) return static_cast<int>(std::max(1L, std::lround(seconds * 1000)));
  return 0;
}

// --unit, --csv and --pdf, and what diff and report take.
QString CheckRecordOptions(const QCommandLineParser& p, CliOptions& o) {
  o.unit = UnitText(p.value(QStringLiteral("unit")));
  o.csv = p.isSet(QStringLiteral("csv"));
  o.pdf = p.value(QStringLiteral("pdf"));
  if (p.isSet(QStringLiteral("unit")) && o.unit.isEmpty()) return QStringLiteral("--unit needs the unit's serial");
  if (p.isSet(QStringLiteral("unit")) && o.command != Command::Read && o.command != Command::Write &&
      o.command != Command::History)
    return QStringLiteral("--unit belongs to read, write and history");
  if (o.csv && (o.command != Command::History || o.json))
    return QStringLiteral("--csv belongs to history, without --json");
  if (p.isSet(QStringLiteral("pdf")) && o.command != Command::Report) return QStringLiteral("--pdf belongs to report");
  if (o.command == Command::Report && o.pdf.trimmed().isEmpty()) return QStringLiteral("report needs --pdf FILE");
  if (o.command == Command::Diff || o.command == Command::Report) {
    for (const char* option : {"port", "timeout", "log", "since", "no-journal"})
      if (p.isSet(QLatin1String(option)))
        return QStringLiteral("--%1 does not belong to %2")
            .arg(QLatin1String(option), o.command == Command::Diff ? QStringLiteral("diff") : QStringLiteral("report"));
    if (o.command == Command::Report && o.json) return QStringLiteral("--json does not belong to report");
  }
  return {};
}

}  // namespace

QString HelpText() {
  QCommandLineParser p;
  AddOptions(p);
  // The parser's own text starts with its usage line; ours says more.
  QString options = p.helpText();
  options = options.mid(options.indexOf(QStringLiteral("Options:")));
  return QString::fromLatin1(kUsage) + QLatin1Char('\n') + options + QLatin1Char('\n') +
         QString::fromLatin1(kExitCodeTable);
}

ParsedArguments ParseArguments(const QStringList& arguments) {
  QCommandLineParser p;
  AddOptions(p);
  ParsedArguments out;
  const bool parsed = p.parse(arguments);
  // Asked for JSON, a script gets its one object whatever else is wrong with the line.
  out.json = p.isSet(QStringLiteral("json"));
  if (!parsed) {
    out.error = p.errorText();
    return out;
  }
  if (p.isSet(QStringLiteral("help"))) {
    out.text = HelpText();
    return out;
  }
  if (p.isSet(QStringLiteral("version"))) {
    out.text = QStringLiteral("hopper-cli %1").arg(QStringLiteral(HOPPER_VERSION));
    return out;
  }

  const QStringList words = p.positionalArguments();
  CliOptions o;
  if (words.isEmpty()) {
    out.error = QStringLiteral("say read, write, ports or history");
    return out;
  }
  if (words[0] == QLatin1String("read") && words.size() == 1) {
    o.command = Command::Read;
  } else if (words[0] == QLatin1String("write") && words.size() == 2) {
    o.command = Command::Write;
    o.file = words[1];
  } else if (words[0] == QLatin1String("history") && words.size() == 1) {
    o.command = Command::History;
  } else if (words[0] == QLatin1String("diff")) {
    if (words.size() < 3) {
      out.error = QStringLiteral("diff needs two sets or more: files, backup:last or journal:ID");
      return out;
    }
    o.command = Command::Diff;
    o.sources = words.mid(1);
  } else if (words[0] == QLatin1String("report") && words.size() == 2) {
    o.command = Command::Report;
    o.entry = words[1];
  } else if (words[0] == QLatin1String("report") && words.size() == 1) {
    out.error = QStringLiteral("report needs a journal entry's id, or last");
    return out;
  } else if (words[0] == QLatin1String("write") && words.size() == 1) {
    out.error = QStringLiteral("write needs the parameter file to write");
    return out;
  } else if (words[0] == QLatin1String("ports") && words.size() == 1) {
    o.command = Command::Ports;
    for (const char* option : {"port", "out", "timeout", "log"})
      if (p.isSet(QLatin1String(option))) {
        out.error = QStringLiteral("--%1 belongs to read and write").arg(QLatin1String(option));
        return out;
      }
  } else if (words[0] == QLatin1String("read") || words[0] == QLatin1String("write") ||
             words[0] == QLatin1String("ports") || words[0] == QLatin1String("history") ||
             words[0] == QLatin1String("report")) {
    out.error = QStringLiteral("unexpected argument: %1").arg(words.last());
    return out;
  } else {
    out.error = QStringLiteral("unknown command: %1 (say read, write, ports, history, diff or report)").arg(words[0]);
    return out;
  }

  o.port = p.value(QStringLiteral("port"));
  if (p.isSet(QStringLiteral("port")) && o.port.trimmed().isEmpty()) {
    out.error = QStringLiteral("--port needs a COM number or a device path");
    return out;
  }
  o.out = p.value(QStringLiteral("out"));
  if (p.isSet(QStringLiteral("out")) && o.command != Command::Read) {
    out.error = QStringLiteral("--out belongs to read");
    return out;
  }
  if (p.isSet(QStringLiteral("timeout"))) {
    const std::optional<int> ms = TimeoutMs(p.value(QStringLiteral("timeout")));
    if (!ms) {
      out.error = QStringLiteral("--timeout needs seconds, 0 to 86400");
      return out;
    }
    o.timeoutMs = *ms;
  }
  o.json = out.json;
  o.logPath = p.value(QStringLiteral("log"));
  o.journal = JournalWanted(p);
  o.journalUrl = p.value(QStringLiteral("journal"));
  o.since = p.value(QStringLiteral("since"));
  if (p.isSet(QStringLiteral("journal")) && o.journalUrl.trimmed().isEmpty()) {
    out.error = QStringLiteral("--journal needs a database URL or a file");
    return out;
  }
  if (p.isSet(QStringLiteral("since")) && (o.command != Command::History || !HistoryDate(o.since).isValid())) {
    out.error = o.command == Command::History ? QStringLiteral("--since needs a date: 2026-12-08")
                                              : QStringLiteral("--since belongs to history");
    return out;
  }
  if (o.command == Command::History && (p.isSet(QStringLiteral("timeout")) || !o.logPath.isEmpty())) {
    out.error = QStringLiteral("history takes --since, --port, --unit, --journal, --json and --csv");
    return out;
  }
  if (const QString why = CheckRecordOptions(p, o); !why.isEmpty()) {
    out.error = why;
    return out;
  }
  out.options = o;
  return out;
}

ParsedArguments ParseArguments(int argc, const char* const* argv) {
#ifdef Q_OS_WIN
  // Windows hands the command line over as UTF-16, whole; argv holds a lossy copy of it.
  ParsedArguments out = ParseArguments(QCoreApplication::arguments());
#else
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QFile::decodeName(argv[i]);
  ParsedArguments out = ParseArguments(arguments);
#endif
  if (!out.error.isEmpty()) return out;
  if (const std::optional<QString> unkept = UnkeptArgument(argc, argv)) {
    out.options.reset();
    out.text.clear();
    out.error = QStringLiteral("\"%1\" is not valid text in this system's encoding; no file of that name can be used")
                    .arg(*unkept);
  }
  return out;
}

}  // namespace hopper::cli
