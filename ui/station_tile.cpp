#include "ui/station_tile.h"

#include <QLabel>
#include <QResizeEvent>
#include <QVBoxLayout>

#include "platform/station/station_line.h"

namespace hopper {

namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, int pointSize, bool bold) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setAlignment(Qt::AlignCenter);
  label->setWordWrap(true);
  QFont font = label->font();
  font.setPointSize(pointSize);
  font.setBold(bold);
  label->setFont(font);
  return label;
}

constexpr int kVerdictPointSize = 48;
const QString kNotStarted = QStringLiteral("not started");

// The tile's colours: the verdict stands out from two metres, in white on a strong colour
// (each at least 4.5:1 against white).
const char* Background(LineState state) {
  switch (state) {
    case LineState::Passed: return "#1b7f2a";
    case LineState::Failed: return "#c62828";
    case LineState::AdapterGone: return "#5f5f5f";
    default: break;
  }
  return "#616161";
}
const char* const kNotStartedBackground = "#bf360c";

// Every word the tile's verdict can show, so that all are drawn at one size.
QStringList VerdictWords() {
  QStringList words{kNotStarted};
  for (LineState s : {LineState::Waiting, LineState::Receiving, LineState::Writing, LineState::Verifying,
                      LineState::Passed, LineState::Failed, LineState::AdapterGone})
    words << LineStateText(s);
  return words;
}

}  // namespace

StationTile::StationTile(const StationLine& line, QWidget* parent)
    : QFrame(parent),
      line_(line),
      port_(MakeLabel(this, "port", 20, true)),
      verdict_(MakeLabel(this, "verdict", kVerdictPointSize, true)),
      counts_(MakeLabel(this, "counts", 18, false)),
      detail_(MakeLabel(this, "detail", 14, false)) {
  setFrameShape(QFrame::StyledPanel);
  setFocusPolicy(Qt::StrongFocus);  // Tab goes from port to port; a screen reader reads each
  setAutoFillBackground(true);
  setMinimumSize(320, 240);
  auto* layout = new QVBoxLayout(this);
  for (QLabel* label : {port_, verdict_, counts_, detail_}) layout->addWidget(label);
  Refresh();
}

QString StationTile::Verdict() const { return notStartedWhy_.isEmpty() ? LineStateText(line_.State()) : kNotStarted; }

void StationTile::ShowNotStarted(const QString& why) {
  notStartedWhy_ = why;
  Refresh();
}

void StationTile::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  FitVerdict();
}

void StationTile::FitVerdict() {
  // The longest word fits the tile's width, and every word is drawn at that one size.
  QFont font = verdict_->font();
  const int width = verdict_->contentsRect().width();
  int size = kVerdictPointSize;
  for (; size > 12; size -= 2) {
    font.setPointSize(size);
    const QFontMetrics metrics(font);
    bool fits = true;
    for (const QString& word : VerdictWords()) fits = fits && metrics.horizontalAdvance(word) <= width;
    if (fits) break;
  }
  font.setPointSize(size);
  verdict_->setFont(font);
}

void StationTile::Refresh() {
  const LineState state = line_.State();
  const LineCounts& n = line_.Counts();
  const std::optional<UnitRecord>& last = line_.Last();
  port_->setText(line_.Name());
  verdict_->setText(Verdict());
  counts_->setText(QStringLiteral("%1 passed · %2 failed").arg(n.passed).arg(n.failed));
  QString detail;
  if (!notStartedWhy_.isEmpty()) detail = notStartedWhy_;
  else if (state == LineState::AdapterGone) detail = line_.GoneWhy();
  else if (last) {
    detail =
        QStringLiteral("last unit %1 at %2").arg(last->unit).arg(last->finished.toString(QStringLiteral("HH:mm:ss")));
    if (!last->reason.isEmpty()) detail += QLatin1Char('\n') + last->reason;
  }
  detail_->setText(detail);
  const char* background = notStartedWhy_.isEmpty() ? Background(state) : kNotStartedBackground;
  setStyleSheet(QStringLiteral("hopper--StationTile { background: %1; border: 6px solid %1; } "
                               "hopper--StationTile:focus { border: 6px solid #ffd600; } QLabel { color: white; }")
                    .arg(QLatin1String(background)));
  setAccessibleName(QStringLiteral("%1: %2").arg(line_.Name(), Verdict()));
  setAccessibleDescription(counts_->text() + (detail.isEmpty() ? QString() : QStringLiteral(". ") + detail));
}

}  // namespace hopper
