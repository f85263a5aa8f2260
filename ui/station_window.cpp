#include "ui/station_window.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "core/save_check.h"
#include "platform/journal/journal.h"
#include "ui/port_chooser.h"
#include "ui/readable_colours.h"
#include "ui/station_tile.h"

namespace hopper {

StationWindow::StationWindow(const ChannelTexts& set, const std::vector<StationPort>& ports,
                             const Station::PortMaker& makePort, QWidget* parent)
    : QWidget(parent),
      station_(std::make_unique<Station>(set, ports, makePort)),
      setLine_(new QLabel(this)),
      trouble_(new QLabel(this)),
      chooseAgainButton_(new QPushButton(QStringLiteral("&Choose the ports again\u2026"), this)) {
  setObjectName(QStringLiteral("StationWindow"));
  for (const StationPort& port : ports) portNumbers_.push_back(port.number);
  setWindowTitle(QStringLiteral("Hopper Setting Tool – Station"));
  QStringList values;
  const CoinNumbers coins = CoinNumbersOf(set);
  for (std::size_t i = 0; i < coins.size(); ++i)
    values << QStringLiteral("%1:\u00a0%2").arg(i + 1).arg(coins[i]);  // a pair never breaks
  setLine_->setObjectName(QStringLiteral("stationSet"));
  setLine_->setText(QStringLiteral("Writing  ") + values.join(QStringLiteral("   ")));
  setLine_->setWordWrap(true);
  setLine_->setAccessibleName(QStringLiteral("The set written into every hopper"));
  QFont font = setLine_->font();
  font.setPointSize(16);
  setLine_->setFont(font);
  trouble_->setObjectName(QStringLiteral("stationTrouble"));
  trouble_->setWordWrap(true);
  trouble_->setFont(font);
  trouble_->hide();
  chooseAgainButton_->setObjectName(QStringLiteral("chooseAgainButton"));
  chooseAgainButton_->hide();
  connect(chooseAgainButton_, &QPushButton::clicked, this, &StationWindow::ChoosePortsAgain);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(setLine_);
  layout->addWidget(trouble_);
  layout->addWidget(chooseAgainButton_, 0, Qt::AlignLeft);
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
  refusedNumbers_.clear();
  for (StationTile* tile : tiles_) tile->ShowNotStarted(QString());
  trouble_->setVisible(!refused.empty());
  chooseAgainButton_->setVisible(!refused.empty());
  if (refused.empty()) return true;
  QStringList lines;
  for (StationTile* tile : tiles_)  // the station runs on all its ports or on none
    tile->ShowNotStarted(QStringLiteral("The station did not start: another port could not be opened."));
  for (const Station::Refusal& r : refused) {
    const StationLine& line = *station_->Lines()[static_cast<std::size_t>(r.index)];
    const QString why =
        QStringLiteral("%1 could not be opened%2")
            .arg(line.Name(), r.outcome.detail.isEmpty() ? QString() : QStringLiteral(": ") + r.outcome.detail);
    lines << why;
    tiles_[static_cast<std::size_t>(r.index)]->ShowNotStarted(why);
    if (const int number = portNumbers_[static_cast<std::size_t>(r.index)]; number > 0)
      refusedNumbers_.push_back(number);
  }
  trouble_->setText(lines.join(QLatin1Char('\n')) + QStringLiteral("\nThe station did not start."));
  ShowTextInColour(trouble_, QColor(198, 40, 40));
  return false;
}

void StationWindow::SetPortChooser(std::unique_ptr<PortChooser> chooser) { chooser_ = std::move(chooser); }

void StationWindow::ChoosePortsAgain() {
  if (chooser_) {
    for (int number : refusedNumbers_)
      if (!chooser_->Choose(this, number)) return;  // closed without a choice: nothing is tried
  }
  Start();
}

void StationWindow::closeEvent(QCloseEvent* event) {
  station_->Stop();
  event->accept();
  emit Closed();
}

}  // namespace hopper
