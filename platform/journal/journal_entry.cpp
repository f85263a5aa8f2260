#include "platform/journal/journal_entry.h"

#include <QStringList>
#include <QSysInfo>
#include <QUuid>
#include <array>

#include "core/channel_changes.h"

namespace hopper {

namespace {
const std::array<QString, 6> kResultNames = {
    QStringLiteral("read"),       QStringLiteral("verified"),    QStringLiteral("differs"),
    QStringLiteral("unverified"), QStringLiteral("no response"), QStringLiteral("failed"),
};
}  // namespace

QString ResultName(JournalResult result) { return kResultNames[static_cast<std::size_t>(result)]; }

std::optional<JournalResult> ResultNamed(const QString& name) {
  for (std::size_t i = 0; i < kResultNames.size(); ++i)
    if (kResultNames[i] == name) return static_cast<JournalResult>(i);
  return std::nullopt;
}

JournalResult ResultOf(VerdictKind kind) {
  switch (kind) {
    case VerdictKind::Verified: return JournalResult::Verified;
    case VerdictKind::Differs: return JournalResult::Differs;
    case VerdictKind::NoAcknowledgement: return JournalResult::NoResponse;
    case VerdictKind::ReadBackCut:
    case VerdictKind::ReadBackChecksum:
    case VerdictKind::PortLost:
    case VerdictKind::Interrupted: return JournalResult::Unverified;
    case VerdictKind::WrongAcknowledgement:
    case VerdictKind::NewReportInstead:
    case VerdictKind::WriteFailed: return JournalResult::Failed;
  }
  return JournalResult::Failed;
}

QString ChangesText(const JournalEntry& entry) {
  if (!entry.reported || !entry.sent) return {};
  QStringList changes;
  for (const ChannelChange& change : ChangedChannels(*entry.reported, *entry.sent))
    changes << QString::fromStdString(ChangeText(change));
  return changes.join(QStringLiteral(", "));
}

std::optional<CoinNumbers> ValuesOf(const JournalEntry& entry) {
  if (entry.readBack) return entry.readBack;
  return entry.sent ? entry.sent : entry.reported;
}

QString UnitText(const QString& typed) {
  QString unit;
  for (const QChar c : typed)
    if (!c.isNonCharacter() && c.category() != QChar::Other_Control && c.category() != QChar::Other_Format) unit += c;
  return unit.simplified().left(kUnitLength);
}

JournalEntry NewJournalEntry(const QDateTime& now) {
  JournalEntry entry;
  entry.id = QUuid::createUuid().toString(QUuid::WithoutBraces);
  entry.utc = now.toUTC();
  // With its offset ("+01:00", "Z" at UTC): a local time alone says nothing once the entry
  // is read on a server beside other stations' entries.
  const QDateTime local = now.toLocalTime();
  entry.local = local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODateWithMs);
  entry.station = QSysInfo::machineHostName();
  entry.user = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
  return entry;
}

}  // namespace hopper
