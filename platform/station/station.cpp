#include "platform/station/station.h"

#include "platform/serial/system_serial.h"

namespace hopper {

Station::Station(const ChannelTexts& set, const std::vector<StationPort>& ports, const PortMaker& makePort,
                 QObject* parent)
    : QObject(parent), set_(set) {
  for (const StationPort& p : ports) {
    std::unique_ptr<SerialPort> port;
    if (makePort) port = makePort(p);
    else port = MakeSystemSerialPort(p.number == 0 ? p.device : QString());
    port->SetPortNumber(p.number);
    const int index = static_cast<int>(lines_.size());
    auto line = std::make_unique<StationLine>(p.name, std::move(port), set_);
    connect(line.get(), &StationLine::StateChanged, this, [this, index] { emit LineChanged(index); });
    connect(line.get(), &StationLine::UnitFinished, this,
            [this, index](const UnitRecord& record) { emit UnitFinished(index, record); });
    lines_.push_back(std::move(line));
  }
}

std::vector<Station::Refusal> Station::Start() {
  std::vector<Refusal> refused;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const OpenOutcome outcome = lines_[i]->Open();
    if (outcome.result != OpenResult::Opened) refused.push_back({static_cast<int>(i), outcome});
  }
  // A station short of a port would leave its fixture silently idle: it runs on all or none.
  if (!refused.empty()) {
    Stop();
    return refused;
  }
  for (auto& line : lines_) line->Start();
  return {};
}

void Station::Stop() {
  for (auto& line : lines_) line->Stop();
}

}  // namespace hopper
