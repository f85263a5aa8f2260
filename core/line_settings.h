#pragma once
// The line settings of the hopper's serial link, the one place they are written down: the
// tool's serial port, the simulation window's port and the hopper emulator all use these.

namespace hopper {

enum class LineParity { None, Even, Odd };

struct LineSettings {
  int baudRate;
  LineParity parity;
  int dataBits;
  int stopBits;
  friend bool operator==(const LineSettings&, const LineSettings&) = default;
};

inline constexpr LineSettings kSettingLine{9600, LineParity::Even, 8, 1};

}  // namespace hopper
