#include "ui/station_tile.h"

#include <QLabel>
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

// The tile's colours: the verdict stands out from two metres, in white on a strong colour.
const char* Background(LineState state) {
  switch (state) {
    case LineState::Passed: return "#1b7f2a";
    case LineState::Failed: return "#c62828";
    case LineState::AdapterGone: return "#5f5f5f";
    default: break;
  }
  return "#9e9e9e";
}

}  // namespace

StationTile::StationTile(const StationLine& line, QWidget* parent)
    : QFrame(parent),
      line_(line),
      port_(MakeLabel(this, "port", 20, true)),
      verdict_(MakeLabel(this, "verdict", 48, true)),
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

QString StationTile::Verdict() const { return LineStateText(line_.State()); }

void StationTile::Refresh() {
  const LineState state = line_.State();
  const LineCounts& n = line_.Counts();
  const std::optional<UnitRecord>& last = line_.Last();
  port_->setText(line_.Name());
  verdict_->setText(Verdict());
  counts_->setText(QStringLiteral("%1 passed · %2 failed").arg(n.passed).arg(n.failed));
  QString detail;
  if (state == LineState::AdapterGone) detail = line_.GoneWhy();
  else if (last) {
    detail =
        QStringLiteral("last unit %1 at %2").arg(last->unit).arg(last->finished.toString(QStringLiteral("HH:mm:ss")));
    if (!last->reason.isEmpty()) detail += QLatin1Char('\n') + last->reason;
  }
  detail_->setText(detail);
  setStyleSheet(QStringLiteral("hopper--StationTile { background: %1; } QLabel { color: white; }")
                    .arg(QLatin1String(Background(state))));
  setAccessibleName(QStringLiteral("%1: %2").arg(line_.Name(), Verdict()));
  setAccessibleDescription(counts_->text() + (detail.isEmpty() ? QString() : QStringLiteral(". ") + detail));
}

}  // namespace hopper
