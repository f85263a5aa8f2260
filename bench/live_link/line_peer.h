#pragma once
// The hopper's end of a serial line: the master side of a pseudo-terminal whose device the
// measured program opens. Writes are stamped with the monotonic clock; reads wait in poll().

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

using Bytes = std::vector<std::uint8_t>;

// Nanoseconds of CLOCK_MONOTONIC, the clock the probe inside the program stamps with too.
std::int64_t NowNs();

class LinePeer {
 public:
  LinePeer();  // check Valid()
  ~LinePeer();
  LinePeer(const LinePeer&) = delete;
  LinePeer& operator=(const LinePeer&) = delete;

  bool Valid() const { return master_ >= 0; }
  const std::string& Device() const { return device_; }

  // Writes all of `bytes`, waiting for room as long as the program reads. Returns the time
  // just before the first byte was handed to the line.
  std::int64_t Write(const Bytes& bytes);
  // Reads exactly `count` bytes; empty when they do not come within `timeoutMs`.
  // `lastAt` receives the time the last of them was read.
  Bytes Read(std::size_t count, int timeoutMs, std::int64_t* lastAt = nullptr);
  // Throws away whatever the program has sent so far.
  void Discard();
  // Bytes written that the program has not yet taken from the line.
  int Unread() const;

 private:
  int master_ = -1;
  int slave_ = -1;  // held open, so the line stays up between the program's opens
  std::string device_;
};

}  // namespace bench
