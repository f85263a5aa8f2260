#include "platform/journal/entry_verdict.h"

namespace hopper {

QString VerdictText(const JournalEntry& entry) {
  // A save judged by this tool says so in the judge's own words: those kept with the row (they
  // know the wrong byte and how much of the read-back came), else those its values still give.
  if (const std::optional<VerdictKind> kind = VerdictNamed(entry.detailKind.toStdString())) {
    if (!entry.detail.isEmpty()) return entry.detail;
    return QString::fromStdString(VerdictText(VerdictOf(*kind, entry.sent.value_or(CoinNumbers{}), entry.readBack)));
  }
  // Rows from before the verdict was kept, and the station's units that failed before a save.
  const auto with = [&entry](const QString& words) {
    return entry.detail.isEmpty() ? words : QStringLiteral("%1: %2").arg(words, entry.detail);
  };
  switch (entry.result) {
    case JournalResult::Read: return QStringLiteral("Report read; nothing was saved");
    case JournalResult::Verified: return QStringLiteral("Saved and verified: the hopper read back every value sent");
    case JournalResult::Differs: return with(QStringLiteral("Saved, but the hopper reads back other values"));
    case JournalResult::Unverified: return with(QStringLiteral("Acknowledged, not verified"));
    case JournalResult::NoResponse: return with(QStringLiteral("Not saved: no acknowledgement from the hopper"));
    case JournalResult::Failed: return with(QStringLiteral("Save failed"));
  }
  return {};
}

}  // namespace hopper
