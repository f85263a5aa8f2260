#pragma once
// Where hopper-cli reports the traffic on its line, for --log: every byte read and written,
// the input thrown away after a link error, and what happened to the port and the link.

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <cstdint>
#include <vector>

namespace hopper::cli {

class TrafficSink {
 public:
  virtual ~TrafficSink() = default;
  virtual void Received(std::uint8_t byte) = 0;
  virtual void Sent(std::uint8_t byte) = 0;
  virtual void Discarded(const QByteArray& bytes) = 0;
  virtual void Event(const QString& text) = 0;
};

// Writes the traffic to a file, one line for each run of bytes in one direction:
//   "     12 ms  hopper -> tool  3A 01 10 04"
class TrafficLogFile final : public TrafficSink {
 public:
  // Empty when the file could be opened, else why not.
  QString Open(const QString& path);
  ~TrafficLogFile() override;

  void Received(std::uint8_t byte) override { Add(Direction::FromHopper, byte); }
  void Sent(std::uint8_t byte) override { Add(Direction::ToHopper, byte); }
  void Discarded(const QByteArray& bytes) override;
  void Event(const QString& text) override;

 private:
  enum class Direction { FromHopper, ToHopper, None };
  void Add(Direction direction, std::uint8_t byte);
  void Flush();
  void Line(Direction direction, const QString& text);

  QFile file_;
  QElapsedTimer clock_;
  Direction held_ = Direction::None;
  std::vector<std::uint8_t> bytes_;
  qint64 heldSinceMs_ = 0;
};

}  // namespace hopper::cli
