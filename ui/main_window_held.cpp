// What the hopper holds, on the main window: the marks on the boxes, the questions before
// saving values from a report that failed or without a backup, and the last save's verdict.

#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QUrl>

#include "platform/serial/line_recorder.h"
#include "platform/widgets/message_box.h"
#include "ui/channel_box.h"
#include "ui/channel_frame.h"
#include "ui/main_window.h"
#include "ui/readable_colours.h"
#include "ui/twips.h"

namespace hopper {

namespace {

QString Plural(std::size_t n, const char* one, const char* many) {
  return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

}  // namespace

void MainWindow::BuildHeldValueControls() {
  verifyMark_ = new QLabel(centralWidget());
  verifyMark_->setObjectName(QStringLiteral("verifyMark"));
  verifyMark_->setGeometry(TwipsRect(3030, 6240, 255, 255));
  verifyMark_->setAlignment(Qt::AlignCenter);

  connect(frame_, &ChannelFrame::EntryChanged, this, &MainWindow::OnEntryChanged);
}

void MainWindow::OnEntryChanged(int index) {
  // Typed or loaded values are the technician's own; received ones are marked by the block.
  if (!writingReceived_) link_->Edited(index);
  ChannelBox* box = frame_->Box(index);
  box->SetMark(Held().MarkFor(index, box->text().toStdString()));
}

void MainWindow::ShowHeldMarks() { frame_->ShowMarks(Held()); }

bool MainWindow::SaveUnconfirmed(const std::vector<int>& unconfirmed) {
  const Message question{
      QStringLiteral("Save values the hopper never confirmed?"),
      MessageIcon::Exclamation,
      {},
      QStringLiteral("%1 came from a report that failed (a bad checksum, or a report that stopped part-way) and "
                     "%2 not been typed or loaded since. Yes writes them into the hopper as they are.")
          .arg(QString::fromStdString(ChannelListText(unconfirmed)),
               QLatin1String(unconfirmed.size() == 1 ? "has" : "have"))};
  return messages_.Ask(this, question);
}

bool MainWindow::SaveWithoutBackup(const QString& why) {
  return messages_.Ask(this, Message{QStringLiteral("The backup of the hopper's values could not be written. "
                                                    "Save without a backup?"),
                                     MessageIcon::Exclamation,
                                     {},
                                     why});
}

void MainWindow::ShowVerdict(const Verdict& verdict) {
  frame_->ShowMarks(Held());
  QString mark = QStringLiteral("?");
  // Colours dark enough to read on white, which the mark stands on in a dark theme.
  QColor colour(192, 0, 0);
  if (verdict.kind == VerdictKind::Verified) {
    mark = QString(kVerifiedMark);
    colour = QColor(0, 128, 0);
  } else if (verdict.kind == VerdictKind::Differs) {
    mark = QStringLiteral("\u2260");
  }
  verifyMark_->setText(mark);
  ShowTextInColour(verifyMark_, colour);
  verifyMark_->setToolTip(QString::fromStdString(VerdictText(verdict)));
  if (verdict.kind == VerdictKind::Differs) {
    const std::size_t n = verdict.differing.size();
    ShowStatus(
        StatusColour::Red,
        QStringLiteral("Save complete, %1 differ%2").arg(Plural(n, "channel", "channels")).arg(n == 1 ? "s" : ""));
  }
}

void MainWindow::ClearVerdictMark() {
  verifyMark_->clear();
  verifyMark_->setToolTip(QString());
}

void MainWindow::OpenBackupFolder() {
  const QString folder = link_->Backups().Folder();
  QDir().mkpath(folder);
  if (!QDesktopServices::openUrl(QUrl::fromLocalFile(folder)))
    messages_.Show(this, Message{QStringLiteral("The backups are kept in this folder:"),
                                 MessageIcon::None,
                                 {},
                                 QDir::toNativeSeparators(folder)});
}

}  // namespace hopper
