#pragma once
// The parameter file `write` and the station take: read exactly as the tool's Open reads it, and checked as
// its Save checks the boxes before anything goes to the hopper.

#include <QString>
#include <QStringList>

#include "core/channel_table.h"

namespace hopper {

struct SetFile {
  ChannelTexts entries;  // what the tool's 16 boxes would show after Open
  QString refusal;       // why the file is not written; empty when it may be
  QString detail;        // the file and what to do
  QStringList warnings;  // accepted, but worth a word (a short file)
};

SetFile ReadSetFile(const QString& path);

}  // namespace hopper
