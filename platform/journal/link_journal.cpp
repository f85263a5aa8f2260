#include "platform/journal/link_journal.h"

#include <QFileInfo>

#include "core/held_values.h"
#include "core/link_captions.h"
#include "core/save_check.h"
#include "platform/journal/journal.h"
#include "platform/serial/system_serial.h"

namespace hopper {

namespace {
QString Hex(const QByteArray& bytes) { return QString::fromLatin1(bytes.toHex(' ').toUpper()); }

QString CaptionOf(const LinkEvent& event) {
  const std::optional<StatusCaption> caption = StatusCaptionFor(event);
  return caption ? QString::fromUtf8(caption->text.data(), qsizetype(caption->text.size())) : QString();
}
}  // namespace

LinkJournal::LinkJournal(SettingLink& link, Journal& journal, QString program, QObject* parent)
    : QObject(parent), link_(link), journal_(journal), program_(std::move(program)) {
  connect(&link_, &SettingLink::Reported, this, &LinkJournal::OnEvent);
  connect(&link_, &SettingLink::Closing, this, &LinkJournal::OnClosing);
}

JournalEntry LinkJournal::Begin() {
  JournalEntry entry = NewJournalEntry();
  const int number = link_.Port().PortNumber();
  entry.device = link_.Port().DeviceFor(number);
  entry.port = number > 0 ? QStringLiteral("COM%1").arg(number) : entry.device;
  entry.header = Hex(header_);
  entry.info = Hex(info_);
  entry.program = program_;
  entry.version = QStringLiteral(HOPPER_VERSION);
  entry.unit = unit_;
  if (lookup_ && !entry.device.isEmpty()) lookup_(entry);
  return entry;
}

void LinkJournal::OnEvent(const LinkEvent& event) {
  const auto byte = static_cast<char>(event.byte);
  switch (event.kind) {
    case LinkEventKind::ReportStarted:
      header_.clear();
      info_.clear();
      break;
    case LinkEventKind::HeaderByte:
    case LinkEventKind::InfoLength: header_.append(byte); break;
    case LinkEventKind::InfoByte: info_.append(byte); break;
    case LinkEventKind::HeaderComplete:
      // Its byte is the info length when there is no info, else the last info byte.
      (event.value == 0 ? header_ : info_).append(byte);
      break;
    case LinkEventKind::ChannelValue: values_[std::size_t(event.channel)] = std::uint16_t(event.value); break;
    case LinkEventKind::BlockChecked:
      if (save_ && event.readBack && event.ok) {
        save_->readBack = values_;
        const std::vector<int> differing = link_.Held().Differing();
        if (differing.empty()) EndSave(JournalResult::Verified);
        else EndSave(JournalResult::Differs, QString::fromStdString(ChannelListText(differing)));
      } else if (!event.readBack && event.ok) {
        JournalEntry entry = Begin();
        entry.reported = values_;
        journal_.Record(entry);
      }
      break;
    case LinkEventKind::SaveSent: BeginSave(); break;
    case LinkEventKind::Acknowledged: acknowledged_ = true; break;
    case LinkEventKind::LinkError:
      if (save_) EndSave(acknowledged_ ? JournalResult::Unverified : JournalResult::Failed, CaptionOf(event));
      break;
    case LinkEventKind::SaveWriteFailed:
      // Part of the frame may have reached the hopper.
      BeginSave();
      EndSave(JournalResult::Failed, QStringLiteral("the port did not take the save frame"));
      break;
    case LinkEventKind::ResponseWatchEnded:
      if (save_ && !event.ok) EndSave(JournalResult::NoResponse, CaptionOf(event));
      else if (save_) EndSave(JournalResult::Unverified, QStringLiteral("no read-back within the response watch"));
      break;
    default: break;
  }
}

void LinkJournal::BeginSave() {
  save_ = Begin();
  save_->reported = link_.Held().Confirmed();
  if (const ChannelTexts* texts = link_.Saving()) save_->sent = CoinNumbersOf(*texts);
  save_->backup = link_.LastBackup().path;
  acknowledged_ = false;
}

void LinkJournal::OnClosing() {
  if (save_)
    EndSave(acknowledged_ ? JournalResult::Unverified : JournalResult::NoResponse,
            QStringLiteral("the port closed before the save was checked"));
  // The link starts over: whatever hopper answers next has not been named yet.
  unit_.clear();
}

void LinkJournal::EndSave(JournalResult result, const QString& detail) {
  save_->result = result;
  save_->detail = detail;
  journal_.Record(*save_);
  save_.reset();
}

LinkJournal::DeviceLookup SystemDeviceLookup() {
  return [listing = MakeSystemDeviceListing()](JournalEntry& entry) {
    const QString wanted = QFileInfo(entry.device).canonicalFilePath();
    for (const SerialDevice& device : listing->List()) {
      const QString path = QString::fromStdString(device.systemPath);
      const QString stable = QString::fromStdString(device.stablePath);
      if (path != entry.device && stable != entry.device && QFileInfo(path).canonicalFilePath() != wanted) continue;
      entry.stableName = stable;
      entry.usbSerial = QString::fromStdString(device.serialNumber);
      return;
    }
  };
}

}  // namespace hopper
