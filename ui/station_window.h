#pragma once
// The production station as a window: the set being written once at the top, one large tile
// per port beneath. The same Station as hopper-cli station drives it; closing the window stops
// every port.

#include <QWidget>
#include <memory>
#include <vector>

#include "platform/station/station.h"

class QLabel;

namespace hopper {

class Journal;
class StationTile;

class StationWindow final : public QWidget {
  Q_OBJECT
 public:
  StationWindow(const ChannelTexts& set, const std::vector<StationPort>& ports, const Station::PortMaker& makePort = {},
                QWidget* parent = nullptr);
  ~StationWindow() override;

  // Opens the ports and starts; false (with the reason at the top) when a port did not open.
  bool Start();
  // A tile shows a unit's PASS or FAIL only once the unit's entry is in `journal`'s local file
  // (the journal outlives the window).
  void ShowVerdictsOnceKept(Journal& journal) { journal_ = &journal; }

  Station& Stations() { return *station_; }
  StationTile* Tile(int index) const { return tiles_[static_cast<std::size_t>(index)]; }

 signals:
  void Closed();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  std::unique_ptr<Station> station_;
  QLabel* setLine_;
  QLabel* trouble_;
  std::vector<StationTile*> tiles_;
  Journal* journal_ = nullptr;
  std::vector<int> holding_;  // per tile: finished units whose entries are not yet kept
};

}  // namespace hopper
