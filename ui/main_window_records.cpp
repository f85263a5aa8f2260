// What a technician hands over, on the main window: the unit's name (Parameter > Unit…, or a
// scan of its label), Parameter > Compare… and the set before the last save put back.

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "platform/journal/link_journal.h"
#include "platform/journal/set_sources.h"
#include "platform/widgets/message_box.h"
#include "ui/channel_box.h"
#include "ui/channel_frame.h"
#include "ui/main_window.h"
#include "ui/scan_catcher.h"
#include "ui/unit_dialog.h"

namespace hopper {

void MainWindow::BuildRecordControls() {
  scans_ = new ScanCatcher(*this);
  connect(scans_, &ScanCatcher::Scanned, this, &MainWindow::SetUnit);
  // The link starts over on another port, a hand-over or a replug: the next hopper is unnamed.
  connect(link_, &SettingLink::PortClosed, this, [this] { SetUnit({}); });
}

void MainWindow::AskUnit() {
  auto* dialog = new UnitDialog(unit_, this);
  connect(dialog, &UnitDialog::Chosen, this, &MainWindow::SetUnit);
  dialog->open();
}

void MainWindow::SetUnit(const QString& unit) {
  unit_ = UnitText(unit);
  if (linkJournal_) linkJournal_->SetUnit(unit_);
  setWindowTitle(unit_.isEmpty() ? QStringLiteral("Hopper Setting Tool")
                                 : QStringLiteral("Hopper Setting Tool - %1").arg(unit_));
}

bool MainWindow::HoldsUnsavedEdits() const {
  for (const ChannelBox* box : frame_->Boxes())
    if (box->Mark() == ChannelMark::Changed) return true;
  return false;
}

void MainWindow::PutBackLastSet() {
  const SetSource backup = NewestBackup(link_->Backups(), link_->PortLabel());
  if (!backup.ok()) {
    messages_.Show(this,
                   Message{QStringLiteral("There is no set to put back."), MessageIcon::Exclamation, {}, backup.error});
    return;
  }
  if (HoldsUnsavedEdits() &&
      !messages_.Ask(this, Message{QStringLiteral("The boxes hold values not saved yet. Replace them with the set "
                                                  "before the last save?"),
                                   MessageIcon::Exclamation,
                                   {},
                                   backup.path}))
    return;
  for (int i = 0; i < kChannelCount; ++i) SetEntryText(i, QString::fromStdString(backup.texts[std::size_t(i)]));
}

}  // namespace hopper
