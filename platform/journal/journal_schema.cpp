#include "platform/journal/journal_schema.h"

namespace hopper {

QStringList SchemaSetup(bool) {
  return {
      QStringLiteral("CREATE TABLE IF NOT EXISTS journal_migrations "
                     "(version INTEGER PRIMARY KEY, applied_utc TEXT NOT NULL)")};
}

QStringList MigrationSteps(int version, bool postgres) {
  switch (version) {
    case 1:
      return {
          QStringLiteral("CREATE TABLE IF NOT EXISTS journal_entries ("
                         "seq %1, entry_id TEXT NOT NULL UNIQUE, "
                         "time_utc TEXT NOT NULL, time_local TEXT NOT NULL, station TEXT, user_name TEXT, "
                         "port TEXT, device TEXT, stable_name TEXT, usb_serial TEXT, "
                         "header_hex TEXT, info_hex TEXT, reported TEXT, sent TEXT, read_back TEXT, "
                         "result TEXT NOT NULL, detail TEXT, backup TEXT, program TEXT, version TEXT, "
                         "pending INTEGER NOT NULL DEFAULT 0)")
              .arg(postgres ? QStringLiteral("BIGSERIAL PRIMARY KEY")
                            : QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT")),
          // History lists the newest first and filters by time, port and result.
          QStringLiteral("CREATE INDEX IF NOT EXISTS journal_entries_time ON journal_entries (time_utc, seq)"),
          QStringLiteral("CREATE INDEX IF NOT EXISTS journal_entries_pending ON journal_entries (pending, seq)"),
      };
    case 2:
      // What a save's verdict was, by its stable name, beside the words of `detail`.
      return {QStringLiteral("ALTER TABLE journal_entries ADD COLUMN detail_kind TEXT")};
    case 3:
      // The unit's serial, so a unit's record can be found whichever port or station it met.
      return {
          QStringLiteral("ALTER TABLE journal_entries ADD COLUMN unit TEXT"),
          QStringLiteral("CREATE INDEX IF NOT EXISTS journal_entries_unit ON journal_entries (unit, time_utc)"),
      };
    default: return {};
  }
}

}  // namespace hopper
