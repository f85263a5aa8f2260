#include "ui/station_window.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "core/save_check.h"
#include "platform/journal/journal.h"
#include "ui/station_tile.h"

namespace hopper {

StationWindow::StationWindow(const ChannelTexts& set, const std::vector<StationPort>& ports,
                             const Station::PortMaker& makePort, QWidget* parent)
    : QWidget(parent),
      station_(std::make_unique<Station>(set, ports, makePort)),
      setLine_(new QLabel(this)),
      trouble_(new QLabel(this)) {
  setObjectName(QStringLiteral("StationWindow"));
  setWindowTitle(QStringLiteral("Hopper Setting Tool – Station"));
  QStringList values;
  const CoinNumbers coins = CoinNumbersOf(set);
  for (std::size_t i = 0; i < coins.size(); ++i) values << QStringLiteral("%1: %2").arg(i + 1).arg(coins[i]);
  setLine_->setObjectName(QStringLiteral("stationSet"));
  setLine_->setText(QStringLiteral("Writing  ") + values.join(QStringLiteral("   ")));
  setLine_->setWordWrap(true);
  setLine_->setAccessibleName(QStringLiteral("The set written into every hopper"));
  QFont font = setLine_->font();
  font.setPointSize(16);
  setLine_->setFont(font);
  trouble_->setObjectName(QStringLiteral("stationTrouble"));
  trouble_->setStyleSheet(QStringLiteral("color: #c62828;"));
  trouble_->setFont(font);
  trouble_->hide();

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(setLine_);
  layout->addWidget(trouble_);
  auto* grid = new QGridLayout;
  const int columns = std::max(1, static_cast<int>(std::ceil(std::sqrt(static_cast<double>(ports.size())))));
  for (std::size_t i = 0; i < station_->Lines().size(); ++i) {
    auto* tile = new StationTile(*station_->Lines()[i], this);
    tile->setObjectName(QStringLiteral("stationTile%1").arg(i));
    tiles_.push_back(tile);
    grid->addWidget(tile, static_cast<int>(i) / columns, static_cast<int>(i) % columns);
  }
  layout->addLayout(grid, 1);
  holding_.assign(tiles_.size(), 0);
  connect(station_.get(), &Station::LineChanged, this, [this](int index) {
    const auto i = static_cast<std::size_t>(index);
    const LineState state = station_->Lines()[i]->State();
    // Only the verdict waits for the journal; the states after it are shown as they come.
    if (journal_ && (state == LineState::Passed || state == LineState::Failed)) ++holding_[i];
    else tiles_[i]->Refresh();
  });
  connect(station_.get(), &Station::UnitFinished, this, [this](int index) {
    const auto i = static_cast<std::size_t>(index);
    if (!journal_) return tiles_[i]->Refresh();
    // After this event the line's journal has recorded the unit; then wait for the file.
    QMetaObject::invokeMethod(
        this,
        [this, i] {
          journal_->WhenKept([window = QPointer<StationWindow>(this), i](bool) {
            if (!window) return;
            window->holding_[i] = std::max(0, window->holding_[i] - 1);
            if (window->holding_[i] == 0) window->tiles_[i]->Refresh();
          });
        },
        Qt::QueuedConnection);
  });
}

StationWindow::~StationWindow() { station_->Stop(); }

bool StationWindow::Start() {
  const std::vector<Station::Refusal> refused = station_->Start();
  if (refused.empty()) return true;
  QStringList lines;
  for (const Station::Refusal& r : refused) {
    const StationLine& line = *station_->Lines()[static_cast<std::size_t>(r.index)];
    lines << QStringLiteral("%1 could not be opened%2")
                 .arg(line.Name(), r.outcome.detail.isEmpty() ? QString() : QStringLiteral(": ") + r.outcome.detail);
  }
  trouble_->setText(lines.join(QLatin1Char('\n')) + QStringLiteral("\nThe station did not start."));
  trouble_->show();
  return false;
}

void StationWindow::closeEvent(QCloseEvent* event) {
  station_->Stop();
  event->accept();
  emit Closed();
}

}  // namespace hopper
