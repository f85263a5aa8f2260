#include "platform/report/visit_report.h"

#include <QFileInfo>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include "core/channel_table.h"
#include "platform/journal/entry_verdict.h"

namespace hopper {

namespace {

// Page coordinates in points (1/72 inch).
constexpr int kResolution = 72;
constexpr int kLeft = 56;
constexpr int kLine = 15;

QString ValueText(const std::optional<CoinNumbers>& values, int channel) {
  return values ? QString::number((*values)[std::size_t(channel)]) : QStringLiteral("-");
}

class Page {
 public:
  Page(QPainter& painter, int width) : painter_(painter), width_(width) {}

  void Title(const QString& text) {
    QFont font = painter_.font();
    font.setPointSize(16);
    font.setBold(true);
    painter_.save();
    painter_.setFont(font);
    painter_.drawText(kLeft, y_ + 16, text);
    painter_.restore();
    y_ += 32;
  }
  // "Label: text", wrapped within the page.
  void Field(const QString& label, const QString& text) {
    const QRect area(kLeft + 110, y_, width_ - 2 * kLeft - 110, 400);
    const QRect used = painter_.boundingRect(area, Qt::TextWrapAnywhere, text.isEmpty() ? QStringLiteral("-") : text);
    QFont bold = painter_.font();
    bold.setBold(true);
    painter_.save();
    painter_.setFont(bold);
    painter_.drawText(kLeft, y_ + 11, label);
    painter_.restore();
    painter_.drawText(area, Qt::TextWrapAnywhere, text.isEmpty() ? QStringLiteral("-") : text);
    y_ += qMax(kLine, used.height() + 3);
  }
  void Row(const QStringList& cells, bool bold = false) {
    static constexpr int kColumns[] = {0, 90, 200, 310, 420};
    QFont font = painter_.font();
    font.setBold(bold);
    painter_.save();
    painter_.setFont(font);
    for (int i = 0; i < cells.size() && i < 5; ++i) painter_.drawText(kLeft + kColumns[i], y_ + 11, cells[i]);
    painter_.restore();
    y_ += kLine;
  }
  void Gap() { y_ += kLine / 2; }

 private:
  QPainter& painter_;
  int width_;
  int y_ = 50;
};

}  // namespace

QFont ReportFont() {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPointSize(9);
  // No ligatures where the script does not need them: "verified" stays searchable as typed,
  // not with an "fi" glyph in it.
  font.setStyleStrategy(QFont::PreferNoShaping);
  return font;
}

void DrawReportPage(QPainter& painter, int width, const JournalEntry& e) {
  Page page(painter, width);
  page.Title(QStringLiteral("Hopper Setting Tool: visit report"));
  page.Field(QStringLiteral("Unit"), e.unit);
  page.Field(QStringLiteral("Date and time"),
             QStringLiteral("%1 (UTC %2)").arg(e.local, e.utc.toUTC().toString(Qt::ISODateWithMs)));
  page.Field(QStringLiteral("Station"), e.station);
  page.Field(QStringLiteral("User"), e.user);
  page.Field(QStringLiteral("Port"), e.port);
  QStringList adapter{e.device};
  if (!e.stableName.isEmpty()) adapter << e.stableName;
  if (!e.usbSerial.isEmpty()) adapter << QStringLiteral("serial number ") + e.usbSerial;
  page.Field(QStringLiteral("Adapter"), adapter.join(QStringLiteral(", ")));
  page.Field(QStringLiteral("Result"), VerdictText(e));
  page.Gap();
  page.Row({QStringLiteral("Channel"), QStringLiteral("Before (reported)"), QStringLiteral("Sent"),
            QStringLiteral("After (read back)"), QString()},
           true);
  const std::optional<CoinNumbers> after = e.readBack ? e.readBack : e.sent;
  for (int i = 0; i < kChannelCount; ++i) {
    const bool changed = e.reported && after && (*e.reported)[std::size_t(i)] != (*after)[std::size_t(i)];
    page.Row({QStringLiteral("Channel%1").arg(i + 1), ValueText(e.reported, i), ValueText(e.sent, i),
              ValueText(e.readBack, i), changed ? QStringLiteral("changed") : QString()},
             changed);
  }
  page.Gap();
  page.Field(QStringLiteral("Backup"), e.backup);
  page.Field(QStringLiteral("Recorded by"), QStringLiteral("%1 %2").arg(e.program, e.version).trimmed());
  page.Field(QStringLiteral("Report by"), QStringLiteral("Hopper Setting Tool %1").arg(QStringLiteral(HOPPER_VERSION)));
  page.Field(QStringLiteral("Entry"), e.id);
}

QString WriteVisitReport(const std::vector<JournalEntry>& entries, const QString& path) {
  if (entries.empty()) return QStringLiteral("no entry to report");
  if (QFileInfo(path).isDir()) return QStringLiteral("a folder stands there");
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return file.errorString();
  {
    QPdfWriter writer(&file);
    writer.setResolution(kResolution);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setTitle(QStringLiteral("Visit report"));
    writer.setCreator(QStringLiteral("Hopper Setting Tool %1").arg(QStringLiteral(HOPPER_VERSION)));
    QPainter painter;
    if (!painter.begin(&writer)) {
      file.cancelWriting();
      return QStringLiteral("the PDF could not be started");
    }
    painter.setFont(ReportFont());
    const int width = writer.width();
    for (std::size_t i = 0; i < entries.size(); ++i) {
      if (i > 0) writer.newPage();
      DrawReportPage(painter, width, entries[i]);
    }
    if (!painter.end()) {
      file.cancelWriting();
      return QStringLiteral("the PDF could not be finished");
    }
  }
  return file.commit() ? QString() : file.errorString();
}

}  // namespace hopper
