#include "tools/cli/cli_report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <cstdio>

#include "core/escaped_text.h"

#ifdef Q_OS_UNIX
#include <unistd.h>
#elif defined(Q_OS_WIN)
#include <io.h>
#endif

namespace hopper::cli {

// Every line goes out with its control characters escaped: a file name or a --port value from
// outside can then neither colour the console nor start a line that looks like one of ours.
void Print(FILE* to, const QString& text) {
  std::fputs(EscapeControls(text.toLocal8Bit().toStdString()).c_str(), to);
  std::fputc('\n', to);
  std::fflush(to);
}

// JSON escapes the control characters in its strings itself, in its own way.
void PrintJson(const QJsonObject& object) {
  std::fputs(QJsonDocument(object).toJson(QJsonDocument::Compact).constData(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

const char* ExitCodeName(ExitCode code) {
  switch (code) {
    case ExitCode::Done: return "done";
    case ExitCode::Differ: return "differ";
    case ExitCode::BadArguments: return "bad-arguments";
    case ExitCode::PortError: return "port-error";
    case ExitCode::HopperTimeout: return "timeout";
    case ExitCode::LinkError: return "link-error";
    case ExitCode::NoAcknowledgement: return "no-acknowledgement";
    case ExitCode::ReadBackDiffers: return "read-back-differs";
    case ExitCode::FileRefused: return "file-refused";
    case ExitCode::OutputFailed: return "output-failed";
    case ExitCode::NoSuchEntry: return "no-such-entry";
    case ExitCode::JournalUnusable: return "journal-unusable";
    case ExitCode::Interrupted: return "interrupted";
  }
  return "unknown";
}

namespace {

QJsonValue CoinArray(const std::optional<CoinNumbers>& coins) {
  if (!coins) return QJsonValue::Null;
  QJsonArray array;
  for (std::uint16_t v : *coins) array.append(static_cast<int>(v));
  return array;
}

}  // namespace

int ReportBadArguments(bool json, const QString& error) {
  Print(stderr, QStringLiteral("hopper-cli: %1 (see --help)").arg(error));
  if (json) {
    QJsonObject o;
    o[QStringLiteral("result")] = QString::fromLatin1(ExitCodeName(ExitCode::BadArguments));
    o[QStringLiteral("exitCode")] = ToInt(ExitCode::BadArguments);
    o[QStringLiteral("error")] = error;
    PrintJson(o);
  }
  return ToInt(ExitCode::BadArguments);
}

QList<int> DifferingChannels(const CoinNumbers& written, const CoinNumbers& readBack) {
  QList<int> channels;
  for (std::size_t i = 0; i < kCoinCount; ++i)
    if (written[i] != readBack[i]) channels << static_cast<int>(i) + 1;
  return channels;
}

Reporter::Reporter(bool json, bool progressOnTerminal) : json_(json), progress_(progressOnTerminal) {}

bool Reporter::StderrIsTerminal() {
#ifdef Q_OS_UNIX
  return ::isatty(STDERR_FILENO) == 1;
#elif defined(Q_OS_WIN)
  return _isatty(_fileno(stderr)) != 0;
#else
  return false;
#endif
}

void Reporter::Say(const QString& text) {
  if (progress_) Print(stderr, QStringLiteral("hopper-cli: ") + text);
}

void Reporter::Warn(const QString& text) { Print(stderr, QStringLiteral("hopper-cli: warning: ") + text); }

void Reporter::Progress(Step step, const QString& where) {
  switch (step) {
    case Step::WaitingForReport:
      Say(QStringLiteral("waiting for the hopper on %1").arg(where));
      // The one thing the person at the bench must do: said once, terminal or not.
      if (!promptShown_) Print(stderr, QStringLiteral("switch the hopper on"));
      promptShown_ = true;
      break;
    case Step::Receiving: Say(QStringLiteral("receiving the report")); break;
    case Step::Received: Say(QStringLiteral("received")); break;
    case Step::Saving: Say(QStringLiteral("saving")); break;
    case Step::Verified: Say(QStringLiteral("verified")); break;
  }
}

int Reporter::Finish(const RunSummary& s) {
  const SessionResult& r = s.session;
  QList<int> differing;
  if (r.written && r.readBack) differing = DifferingChannels(*r.written, *r.readBack);

  if (!r.error.isEmpty()) {
    Print(stderr, QStringLiteral("hopper-cli: ") + r.error);
    if (!r.advice.isEmpty()) Print(stderr, QStringLiteral("hopper-cli: ") + r.advice);
  }
  if (json_) {
    QJsonObject o;
    o[QStringLiteral("command")] = s.command == Command::Read ? QStringLiteral("read") : QStringLiteral("write");
    o[QStringLiteral("result")] = QString::fromLatin1(ExitCodeName(r.code));
    o[QStringLiteral("exitCode")] = ToInt(r.code);
    if (!s.port.isEmpty()) o[QStringLiteral("port")] = s.port;
    if (!s.device.isEmpty()) o[QStringLiteral("device")] = s.device;
    if (!s.file.isEmpty()) o[QStringLiteral("file")] = s.file;
    if (!r.error.isEmpty()) o[QStringLiteral("error")] = r.error;
    if (!r.advice.isEmpty()) o[QStringLiteral("advice")] = r.advice;
    o[QStringLiteral("reported")] = CoinArray(r.reported);
    if (s.command == Command::Write) {
      o[QStringLiteral("backup")] = s.backup.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(s.backup);
      o[QStringLiteral("written")] = CoinArray(r.written);
      o[QStringLiteral("readBack")] = CoinArray(r.readBack);
      QJsonArray channels;
      for (int c : differing) channels.append(c);
      o[QStringLiteral("differing")] = channels;
      if (!r.verdict.isEmpty()) o[QStringLiteral("verdict")] = r.verdict;
    }
    if (!s.lineTrouble.isEmpty()) o[QStringLiteral("lineTrouble")] = QJsonArray::fromStringList(s.lineTrouble);
    if (!s.warnings.isEmpty()) o[QStringLiteral("warnings")] = QJsonArray::fromStringList(s.warnings);
    PrintJson(o);
    return ToInt(r.code);
  }
  if (s.command == Command::Read && r.code == ExitCode::Done && s.file.isEmpty() && r.reported) {
    for (std::size_t i = 0; i < kCoinCount; ++i)
      Print(stdout, QStringLiteral("Channel%1 %2").arg(i + 1).arg((*r.reported)[i]));
  }
  for (int c : differing) {
    const std::size_t i = static_cast<std::size_t>(c - 1);
    Print(stdout,
          QStringLiteral("Channel%1 written %2 read back %3").arg(c).arg((*r.written)[i]).arg((*r.readBack)[i]));
  }
  return ToInt(r.code);
}

}  // namespace hopper::cli
