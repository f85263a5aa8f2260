#pragma once
// The production station as a window: the set being written once at the top, one large tile
// per port beneath. The same Station as hopper-cli station drives it; closing the window stops
// every port. A station whose ports did not all open says so on every tile and offers to
// choose the ports again.

#include <QWidget>
#include <memory>
#include <vector>

#include "platform/station/station.h"

class QLabel;
class QPushButton;

namespace hopper {

class Journal;
class PortChooser;
class StationTile;

class StationWindow final : public QWidget {
  Q_OBJECT
 public:
  StationWindow(const ChannelTexts& set, const std::vector<StationPort>& ports, const Station::PortMaker& makePort = {},
                QWidget* parent = nullptr);
  ~StationWindow() override;

  // Opens the ports and starts; false when a port did not open: every tile then says "not
  // started", the refused ones with the reason, and the window offers the port choice.
  bool Start();
  // A tile shows a unit's PASS or FAIL only once the unit's entry is in `journal`'s local file
  // (the journal outlives the window).
  void ShowVerdictsOnceKept(Journal& journal) { journal_ = &journal; }
  // What "Choose the ports again…" opens; without one the button only tries the ports again.
  void SetPortChooser(std::unique_ptr<PortChooser> chooser);

  Station& Stations() { return *station_; }
  StationTile* Tile(int index) const { return tiles_[static_cast<std::size_t>(index)]; }

 signals:
  void Closed();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void ChoosePortsAgain();

  std::unique_ptr<Station> station_;
  QLabel* setLine_;
  QLabel* trouble_;
  QPushButton* chooseAgainButton_;
  std::unique_ptr<PortChooser> chooser_;
  std::vector<int> portNumbers_;     // each port's COM number, 0 for one given by its path
  std::vector<int> refusedNumbers_;  // the COM numbers of the ports that did not open  // the COM numbers of the ports
                                     // that did not open
  std::vector<StationTile*> tiles_;
  Journal* journal_ = nullptr;
  std::vector<int> holding_;  // per tile: finished units whose entries are not yet kept
};

}  // namespace hopper
