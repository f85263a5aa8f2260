#pragma once
// Records what HopperSide asks of its host, in order.

#include <QByteArray>
#include <QStringList>
#include <map>

#include "tools/emulator/hopper_side.h"

namespace hopper::test {

class RecordingHopperHost final : public emulator::HopperHost {
 public:
  void Send(const std::vector<std::uint8_t>& bytes, const std::string& meaning) override {
    for (std::uint8_t b : bytes) sent.append(static_cast<char>(b));
    log << QStringLiteral("-> ") + QString::fromStdString(meaning);
  }
  void Heard(const std::vector<std::uint8_t>& bytes, const std::string& meaning) override {
    heardBytes += bytes.size();
    log << QStringLiteral("<- ") + QString::fromStdString(meaning);
  }
  void Note(const std::string& text) override { log << QStringLiteral("-- ") + QString::fromStdString(text); }
  void ArmTimer(emulator::HopperTimer timer, int ms) override { armed[timer] = ms; }
  void CancelTimer(emulator::HopperTimer timer) override { armed.erase(timer); }

  bool Armed(emulator::HopperTimer timer) const { return armed.count(timer) != 0; }
  bool Logged(const QString& part) const {
    for (const QString& line : log)
      if (line.contains(part)) return true;
    return false;
  }
  QByteArray TakeSent() {
    QByteArray out;
    out.swap(sent);
    return out;
  }

  QByteArray sent;
  QStringList log;
  std::size_t heardBytes = 0;
  std::map<emulator::HopperTimer, int> armed;
};

}  // namespace hopper::test
