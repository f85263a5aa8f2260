#include "tools/cli/station_report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

#include "core/escaped_text.h"
#include "core/save_check.h"

#ifdef Q_OS_UNIX
#include <sys/ioctl.h>
#include <unistd.h>
#elif defined(Q_OS_WIN)
#include <io.h>
#endif

namespace hopper::cli {

namespace {

// Names from outside (a --port path) are escaped: they can neither colour the terminal nor
// start a line that looks like one of ours.
void Put(const QString& text, const char* end = "\n") {
  std::fputs(EscapeControls(text.toLocal8Bit().toStdString()).c_str(), stdout);
  std::fputs(end, stdout);
  std::fflush(stdout);
}

void PutJson(QJsonObject object) {
  std::fputs(QJsonDocument(object).toJson(QJsonDocument::Compact).constData(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

QJsonValue Coins(const std::optional<CoinNumbers>& coins) {
  if (!coins) return QJsonValue::Null;
  QJsonArray array;
  for (std::uint16_t v : *coins) array.append(static_cast<int>(v));
  return array;
}

QString SetText(const CoinNumbers& set) {
  QStringList values;
  for (std::uint16_t v : set) values << QString::number(v);
  return values.join(QLatin1Char(' '));
}

// A line longer than the terminal would wrap and throw the rewriting in place off its line.
QString Fitted(const QString& text) {
  int columns = 80;
#ifdef Q_OS_UNIX
  if (winsize size{}; ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) columns = size.ws_col;
#endif
  return text.size() < columns ? text : text.left(columns - 4) + QStringLiteral("...");
}

}  // namespace

ExitCode CodeFor(const UnitRecord& record) {
  if (record.result == UnitResult::Unverified) return ExitCode::Interrupted;
  switch (record.fault) {
    case UnitFault::None: return ExitCode::Done;
    case UnitFault::NoAcknowledgement:
    case UnitFault::WrongAcknowledgement:
    case UnitFault::NewReportInstead: return ExitCode::NoAcknowledgement;
    case UnitFault::ReadBackDiffers: return ExitCode::ReadBackDiffers;
    case UnitFault::WriteFailed:
    case UnitFault::AdapterGone: return ExitCode::PortError;
    case UnitFault::Interrupted: return ExitCode::Interrupted;
    case UnitFault::ReportChecksum:
    case UnitFault::Communication:
    case UnitFault::ReportCut:
    case UnitFault::ReadBackCut:
    case UnitFault::ReadBackChecksum: break;
  }
  return ExitCode::LinkError;
}

StationReport::Style StationReport::StyleFor(bool json) {
  if (json) return Style::Json;
#ifdef Q_OS_WIN
  return _isatty(_fileno(stdout)) ? Style::InPlace : Style::Plain;
#else
  return ::isatty(STDOUT_FILENO) ? Style::InPlace : Style::Plain;
#endif
}

QString StationReport::LineText(int index) const {
  const StationLine& line = *station_.Lines()[static_cast<std::size_t>(index)];
  const LineCounts& n = line.Counts();
  QString text = QStringLiteral("%1  %2  passed %3  failed %4")
                     .arg(line.Name(), -12)
                     .arg(LineStateText(line.State()), -12)
                     .arg(n.passed, 4)
                     .arg(n.failed, 4);
  if (line.State() == LineState::AdapterGone) return text + QStringLiteral("  ") + line.GoneWhy();
  if (const std::optional<UnitRecord>& last = line.Last()) {
    text += QStringLiteral("  last %1 %2")
                .arg(last->finished.toString(QStringLiteral("HH:mm:ss")), UnitResultText(last->result));
    if (!last->reason.isEmpty()) text += QStringLiteral(": ") + last->reason;
  }
  return text;
}

void StationReport::Started() {
  const auto& lines = station_.Lines();
  if (style_ == Style::Json) {
    QJsonArray ports;
    for (const auto& line : lines) ports.append(line->Name());
    PutJson({{"event", "started"}, {"ports", ports}, {"set", Coins(CoinNumbersOf(station_.Set()))}});
    return;
  }
  Put(QStringLiteral("Writing the set %1 on %2 ports; Ctrl+C ends.")
          .arg(SetText(CoinNumbersOf(station_.Set())))
          .arg(lines.size()));
  if (style_ == Style::InPlace)
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) Put(Fitted(LineText(i)));
}

void StationReport::LineChanged(int index) {
  const StationLine& line = *station_.Lines()[static_cast<std::size_t>(index)];
  switch (style_) {
    case Style::Json:
      PutJson({{"event", "state"}, {"port", line.Name()}, {"state", LineStateText(line.State())}});
      break;
    case Style::Plain:
      // Only what a log reader needs: the port coming and going; units have lines of their own.
      if (line.State() == LineState::AdapterGone)
        Put(line.Name() + QStringLiteral(": adapter gone: ") + line.GoneWhy());
      break;
    case Style::InPlace: {
      // The cursor stands below the last port's line: up to this port's, rewrite it, back down.
      const int up = static_cast<int>(station_.Lines().size()) - index;
      std::printf("\x1b[%dA\r\x1b[2K", up);
      Put(Fitted(LineText(index)), "");
      std::printf("\r\x1b[%dB", up);
      std::fflush(stdout);
      break;
    }
  }
}

void StationReport::UnitFinished(int index, const UnitRecord& record) {
  const ExitCode code = CodeFor(record);
  if (ToInt(code) > ToInt(worst_)) worst_ = code;
  switch (style_) {
    case Style::Json:
      PutJson({{"event", "unit"},
               {"port", record.port},
               {"unit", record.unit},
               {"time", record.finished.toString(Qt::ISODateWithMs)},
               {"result", UnitResultText(record.result)},
               {"fault", UnitFaultName(record.fault)},
               {"reason", record.reason},
               {"exitCode", ToInt(code)},
               {"reported", Coins(record.reported)},
               {"written", Coins(record.written)},
               {"readBack", Coins(record.readBack)}});
      break;
    case Style::Plain:
      Put(QStringLiteral("%1: unit %2 %3%4")
              .arg(record.port)
              .arg(record.unit)
              .arg(UnitResultText(record.result),
                   record.reason.isEmpty() ? QString() : QStringLiteral(": ") + record.reason));
      break;
    case Style::InPlace: LineChanged(index); break;
  }
}

int StationReport::Finish() {
  QJsonArray ports;
  if (style_ != Style::Json) Put(QStringLiteral("Summary:"));
  for (const auto& line : station_.Lines()) {
    const LineCounts& n = line->Counts();
    if (style_ == Style::Json) {
      ports.append(QJsonObject{
          {"port", line->Name()}, {"passed", n.passed}, {"failed", n.failed}, {"unverified", n.unverified}});
      continue;
    }
    QString text = QStringLiteral("  %1  passed %2  failed %3").arg(line->Name(), -12).arg(n.passed).arg(n.failed);
    if (n.unverified > 0)
      text += QStringLiteral("  unverified %1 (the save went out; check with hopper-cli read)").arg(n.unverified);
    Put(text);
  }
  if (style_ == Style::Json) PutJson({{"event", "summary"}, {"ports", ports}, {"exitCode", ToInt(worst_)}});
  return ToInt(worst_);
}

}  // namespace hopper::cli
