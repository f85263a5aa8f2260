#pragma once
// Keeps the set a hopper reported before `write` replaces it.

#include <QString>

#include "core/setting_frames.h"

namespace hopper::cli {

struct BackupOutcome {
  QString path;     // where the set was kept; empty when there is no backup store
  QString failure;  // why it could not be kept; the save is then not sent
};

BackupOutcome KeepReportedSet(const CoinNumbers& reported);

}  // namespace hopper::cli
