// The service journal on the main window: the link's record through the one LinkJournal, the
// quiet mark beneath the buttons while entries wait or the journal fails, and the set an entry
// brings back into the boxes.

#include <QLabel>

#include "platform/journal/journal.h"
#include "platform/journal/link_journal.h"
#include "ui/main_window.h"
#include "ui/twips.h"

namespace hopper {

void MainWindow::BuildJournalControls() {
  journalMark_ = new QLabel(centralWidget());
  journalMark_->setObjectName(QStringLiteral("journalMark"));
  journalMark_->setGeometry(TwipsRect(240, 6900, 2895, 255));
  journalMark_->setEnabled(false);  // greyed: a mark, not a message
  journalMark_->hide();
}

void MainWindow::AttachJournal(Journal& journal) {
  auto* record = new LinkJournal(*link_, journal, QStringLiteral("window"), this);
  record->SetUnit(unit_);
  linkJournal_ = record;
  connect(&journal, &Journal::WaitingChanged, this, [this](int count) {
    journalMark_->setText(Journal::WaitingText(count));
    journalMark_->setVisible(count > 0);
  });
  connect(&journal, &Journal::Trouble, this, [this](const QString& why) {
    // Told once, quietly: the entries wait, the technician carries on.
    journalMark_->setToolTip(why);
  });
}

void MainWindow::LoadValues(const CoinNumbers& values) {
  for (int i = 0; i < kChannelCount; ++i) SetEntryText(i, QString::number(values[std::size_t(i)]));
}

}  // namespace hopper
