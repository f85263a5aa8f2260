#include "platform/journal/link_journal.h"

#include "core/traffic_entry.h"
#include "platform/journal/journal.h"

namespace hopper {

JournalEntry PortEntry(const SerialPort& port, const QString& program) {
  JournalEntry entry = NewJournalEntry();
  const int number = port.PortNumber();
  const DeviceIdentity identity = port.Identity();
  // An entry made after the port closed names the device the number stands for.
  entry.device = identity.IsEmpty() ? port.DeviceFor(number) : identity.path;
  entry.stableName = identity.stablePath;
  entry.usbSerial = identity.serialNumber;
  entry.port = number > 0 ? QStringLiteral("COM%1").arg(number) : entry.device;
  entry.program = program;
  entry.version = QStringLiteral(HOPPER_VERSION);
  return entry;
}

LinkJournal::LinkJournal(SettingLink& link, Journal& journal, QString program, QObject* parent)
    : QObject(parent), link_(link), journal_(journal), program_(std::move(program)) {
  connect(&link_, &SettingLink::Reported, this, &LinkJournal::OnEvent);
  connect(&link_, &SettingLink::Judged, this, &LinkJournal::OnJudged);
}

JournalEntry LinkJournal::Begin() {
  JournalEntry entry = PortEntry(link_.Port(), program_);
  entry.header = header_;
  entry.info = info_;
  entry.unit = unit_;
  return entry;
}

void LinkJournal::OnEvent(const LinkEvent& event) {
  if (event.kind == LinkEventKind::BlockChecked && !event.readBack && event.ok) {
    header_ = QString::fromStdString(HexText(event.header));
    info_ = QString::fromStdString(HexText(event.info));
    JournalEntry entry = Begin();
    entry.reported = event.values;
    journal_.Record(entry);
  } else if (event.kind == LinkEventKind::SaveSent) {
    save_ = BeginSave();
  }
}

JournalEntry LinkJournal::BeginSave() {
  // What the hopper held and the backup are taken as the frame goes out, before the answer.
  JournalEntry entry = Begin();
  entry.reported = link_.Held().Confirmed();
  entry.backup = link_.LastBackup().path;
  return entry;
}

void LinkJournal::OnJudged(const Verdict& verdict) {
  // A frame the port did not take was never reported as sent.
  JournalEntry entry = save_ ? *save_ : BeginSave();
  save_.reset();
  entry.sent = verdict.sent;
  entry.readBack = verdict.readBack;
  entry.result = ResultOf(verdict.kind);
  entry.detailKind = QString::fromLatin1(VerdictName(verdict.kind));
  if (!verdict.Verified()) entry.detail = QString::fromStdString(VerdictText(verdict));
  journal_.Record(entry);
}

}  // namespace hopper
