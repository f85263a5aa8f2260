#pragma once
// One entry of the service journal: a report read from a hopper, or a save into it with how
// it ended. The hopper's own bytes are kept as they came, in hex, not interpreted.

#include <QDateTime>
#include <QString>
#include <optional>

#include "core/save_judge.h"
#include "core/setting_frames.h"

namespace hopper {

enum class JournalResult {
  Read,        // a power-on report whose checksum matched
  Verified,    // the read-back matched every value sent
  Differs,     // the read-back holds other values; detail: the channels
  Unverified,  // acknowledged, but no good read-back; detail: why
  NoResponse,  // no acknowledgement in time
  Failed,      // detail: what failed
};

// "read", "verified", "differs", "unverified", "no response", "failed".
QString ResultName(JournalResult result);
std::optional<JournalResult> ResultNamed(const QString& name);
// The result a save's verdict is kept as.
JournalResult ResultOf(VerdictKind kind);

struct JournalEntry {
  QString id;  // unique over every station: a server never takes an entry twice
  QDateTime utc;
  QString local;  // the station's own clock and offset: "2026-12-08T07:30:01.123+01:00"
  QString station;
  QString user;
  QString port;        // "COM3", or the device path hopper-cli was given
  QString device;      // the path opened
  QString stableName;  // "/dev/serial/by-id/…", where known
  QString usbSerial;   // where known
  QString header;      // the report's header bytes in hex: "01 10 02"
  QString info;        // its info bytes in hex
  std::optional<CoinNumbers> reported;
  std::optional<CoinNumbers> sent;
  std::optional<CoinNumbers> readBack;
  JournalResult result = JournalResult::Read;
  QString detail;      // in words
  QString detailKind;  // a save's verdict by its stable name ("read-back-cut", ...), or a unit's fault
  QString backup;      // the file written before the save
  QString program;     // "window" or "hopper-cli"
  QString version;
  QString unit;  // the unit's serial from its label, where the technician entered one
};

// "Channel3 250 → 251, Channel7 0 → 5": what a save changed against the report before it.
QString ChangesText(const JournalEntry& entry);
// The set an entry leaves the hopper with: the read-back, else what was sent, else the report.
std::optional<CoinNumbers> ValuesOf(const JournalEntry& entry);

// A unit's serial as the journal keeps it: spaces at either end and control characters gone,
// at most kUnitLength characters.
inline constexpr int kUnitLength = 64;
QString UnitText(const QString& typed);

// A new entry with its id, times, station and user filled in.
JournalEntry NewJournalEntry(const QDateTime& now = QDateTime::currentDateTime());

}  // namespace hopper
