#pragma once
// The production station: one StationLine per port, all on the one event loop, each running
// unit after unit on its own. The command line and the station window show the same object.
// UnitFinished carries every finished unit with its port, time, result, reason and values,
// which is all a journal needs.

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

#include "platform/station/station_line.h"

namespace hopper {

struct StationPort {
  QString name;    // how the port is shown: "COM3", or the path as given
  QString device;  // what to open
  int number = 0;  // the COM number, when the port was named by one
};

class Station final : public QObject {
  Q_OBJECT
 public:
  // `set` has passed CheckSave. Without a `makePort` each port is the system's own.
  using PortMaker = std::function<std::unique_ptr<SerialPort>(const StationPort&)>;
  Station(const ChannelTexts& set, const std::vector<StationPort>& ports, const PortMaker& makePort = {},
          QObject* parent = nullptr);

  struct Refusal {
    int index = 0;  // the port, in the order given
    OpenOutcome outcome;
  };
  // Opens every port and starts them all; when any does not open, none starts, and each that
  // did not is returned, in port order.
  std::vector<Refusal> Start();
  // Every port stops; saves already out are recorded unverified.
  void Stop();

  const ChannelTexts& Set() const { return set_; }
  const std::vector<std::unique_ptr<StationLine>>& Lines() const { return lines_; }

 signals:
  void LineChanged(int index);
  void UnitFinished(int index, const hopper::UnitRecord& record);

 private:
  ChannelTexts set_;
  std::vector<std::unique_ptr<StationLine>> lines_;
};

}  // namespace hopper
