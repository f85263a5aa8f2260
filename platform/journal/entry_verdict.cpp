#include "platform/journal/entry_verdict.h"

namespace hopper {

QString VerdictText(const JournalEntry& entry) {
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
