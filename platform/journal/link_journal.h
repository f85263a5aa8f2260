#pragma once
// The setting link's record in the journal, the same for the window and hopper-cli: one entry
// for each power-on report read, and one for each save once its outcome is known (verified,
// differs, unverified, no response, failed), with what the hopper reported, what was sent,
// what it read back and the backup written before the save.

#include <QByteArray>
#include <QObject>
#include <functional>
#include <optional>

#include "platform/journal/journal_entry.h"
#include "platform/serial/setting_link.h"

namespace hopper {

class Journal;

class LinkJournal final : public QObject {
  Q_OBJECT
 public:
  // `program`: "window" or "hopper-cli"; the entries carry this build's version beside it.
  LinkJournal(SettingLink& link, Journal& journal, QString program, QObject* parent = nullptr);

  // The device of the port: its stable name and USB serial number, for the entries.
  using DeviceLookup = std::function<void(JournalEntry&)>;
  void SetDeviceLookup(DeviceLookup lookup) { lookup_ = std::move(lookup); }
  // The unit's serial goes with every entry until another is set or the port closes.
  void SetUnit(const QString& unit) { unit_ = UnitText(unit); }
  const QString& Unit() const { return unit_; }

 private:
  void OnEvent(const LinkEvent& event);
  void OnClosing();
  JournalEntry Begin();
  void BeginSave();
  void EndSave(JournalResult result, const QString& detail = {});

  SettingLink& link_;
  Journal& journal_;
  QString program_;
  DeviceLookup lookup_;
  QString unit_;
  QByteArray header_;
  QByteArray info_;
  CoinNumbers values_{};
  std::optional<JournalEntry> save_;  // the save under way
  bool acknowledged_ = false;
};

// The machine's own device listing, for SetDeviceLookup.
LinkJournal::DeviceLookup SystemDeviceLookup();

}  // namespace hopper
