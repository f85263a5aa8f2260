#pragma once
// The hopper-emulator command line.

#include <QString>
#include <QStringList>
#include <optional>

#include "tools/emulator/hopper_config.h"
#include "tools/emulator/transmitter.h"

namespace hopper::emulator {

struct EmulatorOptions {
  HopperConfig config;
  QString device;    // a real serial device instead of a pseudo-terminal
  QString linkPath;  // a symbolic link to the pseudo-terminal
  int byteTimeUs = kByteTimeUs;
  std::optional<int> powerOnDelayMs;       // from start
  std::optional<int> powerOnWhenOpenedMs;  // from the tool opening the line
  std::optional<int> powerOnEveryMs;       // again and again, while the tool has the line open
};

struct ParsedCommandLine {
  std::optional<EmulatorOptions> options;  // empty when help was asked for or on an error
  QString error;                           // what was wrong, for the console
  QString help;                            // the option list, filled always
};

// `arguments` includes the program name first.
ParsedCommandLine ParseCommandLine(const QStringList& arguments);

// A byte given as decimal or as 0x hexadecimal, 0..255.
std::optional<std::uint8_t> ParseByte(const QString& text);

}  // namespace hopper::emulator
