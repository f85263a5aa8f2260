#pragma once
// The emulator's console log: time, direction, the bytes in hex and what they mean.
//   12:00:01.204  hopper -> tool  3A 01 10 04 ...  report 16 values: 1000 500 ...
//   12:00:01.251  tool -> hopper  82               echo
//   12:00:01.252  --              power on

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

namespace hopper::emulator {

enum class Direction { ToTool, FromTool, None };

class TrafficLog {
 public:
  using Sink = std::function<void(const QString& line)>;
  explicit TrafficLog(Sink sink) : sink_(std::move(sink)) {}

  void Bytes(Direction direction, const std::vector<std::uint8_t>& bytes, const QString& meaning);
  void Note(const QString& text);

  // A log that writes each line to standard output at once.
  static TrafficLog ToStandardOutput();

 private:
  void Write(Direction direction, const QString& hex, const QString& meaning);

  Sink sink_;
};

}  // namespace hopper::emulator
