#pragma once
// The setting link's record in the journal, the same for the window and hopper-cli: one entry
// for each power-on report read, and one for each save once its verdict is known, with what the
// hopper reported, what was sent, what it read back and the backup written before the save.
// The device's stable name and USB serial number come from its port, which learnt them when it
// opened.

#include <QObject>
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

  // The unit's serial goes with every entry until another is set or the port closes.
  void SetUnit(const QString& unit) { unit_ = UnitText(unit); }
  const QString& Unit() const { return unit_; }

 private:
  void OnEvent(const LinkEvent& event);
  void OnJudged(const Verdict& verdict);
  JournalEntry Begin();
  JournalEntry BeginSave();

  SettingLink& link_;
  Journal& journal_;
  QString program_;
  QString header_;  // of the last report read, in hex
  QString info_;
  QString unit_;
  std::optional<JournalEntry> save_;  // the save under way
};

// A new entry for a save or report on `port`, with the device it learnt when it opened.
JournalEntry PortEntry(const SerialPort& port, const QString& program);

}  // namespace hopper
