// The setting link on the main window: its events on the status line and the boxes, the Save
// command, and the inputs locked while a save is in flight.

#include <QAccessible>
#include <QLabel>
#include <QPushButton>

#include "platform/widgets/message_box.h"
#include "ui/channel_frame.h"
#include "ui/fitted_caption.h"
#include "ui/main_window.h"
#include "ui/qstring_view.h"
#include "ui/readable_colours.h"

namespace hopper {

namespace {
const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);

// Said when Save finds the port closed: nothing can reach the hopper.
constexpr std::string_view kPortClosedMessage = "The serial port is not open: nothing was sent.";
}  // namespace

void MainWindow::SetStatus(const QColor& colour, const QString& caption) {
  statusLine_->setText(caption);
  ShowTextInColour(statusLine_, colour);
  FitCaption(statusLine_, kStatusPointSize);
  // A screen reader speaks each new status at once, as it does an alert.
  if (!caption.isEmpty()) {
    QAccessibleEvent alert(statusLine_, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
  }
}

void MainWindow::ShowStatus(StatusColour colour, const QString& caption) {
  // The tick never stands beside an error.
  if (colour == StatusColour::Red && verifyMark_->text() == kVerifiedMark) ClearVerdictMark();
  SetStatus(colour == StatusColour::Blue ? kBlue : kRed, caption);
}

void MainWindow::ShowEvent(const LinkEvent& event) {
  if (event.kind == LinkEventKind::ResponseWatchEnded) SetInputsLocked(false);
  if (const std::optional<StatusCaption> status = StatusCaptionFor(event))
    ShowStatus(status->colour, ToQString(status->text));
  switch (event.kind) {
    case LinkEventKind::ReportStarted: ClearVerdictMark(); break;  // the hopper starts over
    case LinkEventKind::SaveSent: ClearVerdictMark(); break;
    case LinkEventKind::ChannelValue: ShowReceived(event.channel, event.value); break;
    case LinkEventKind::BlockChecked: ShowHeldMarks(); break;
    case LinkEventKind::ReceiveWatchEnded:
      if (!event.ok) OnReceiveWatchExpired();
      break;
    case LinkEventKind::SaveWriteFailed:
      messages_.Show(this, Message{QStringLiteral("Send Error"), MessageIcon::Exclamation, QString(),
                                   QStringLiteral("The setting could not be written to COM%1. "
                                                  "Check the port and the cable, reset the hopper, then save again.")
                                       .arg(Port().PortNumber())});
      break;
    default: break;
  }
}

void MainWindow::ShowReceived(int index, int value) {
  writingReceived_ = true;
  SetEntryText(index, QString::number(value));
  writingReceived_ = false;
}

void MainWindow::SetInputsLocked(bool locked) {
  QWidget* focused = focusWidget();
  if (locked && (focused == saveButton_ || focused == exitButton_)) {
    // Disabling the focused button would pass the focus down the tab order into the port
    // selector, where an arrow key changes the port. It waits on the window instead.
    parkedFocus_ = focused;
    centralWidget()->setFocus(Qt::OtherFocusReason);
  }
  saveButton_->setEnabled(!locked);
  exitButton_->setEnabled(!locked);
  frame_->SetLocked(locked);
  if (!locked && parkedFocus_) {
    if (focusWidget() == centralWidget()) parkedFocus_->setFocus(Qt::OtherFocusReason);
    parkedFocus_ = nullptr;
  }
}

void MainWindow::OnSave() {
  SetInputsLocked(true);
  const SaveOutcome outcome = link_->Save(frame_->Texts());
  switch (outcome.result) {
    case SaveResult::Sent: return;  // the response watch gives the inputs back
    case SaveResult::Withheld:
    case SaveResult::WriteFailed: SetInputsLocked(false); return;
    case SaveResult::PortClosed:
      // Nothing can be sent: say so and give everything back at once.
      messages_.Show(this, Message{ToQString(kPortClosedMessage),
                                   MessageIcon::Exclamation,
                                   {},
                                   QStringLiteral("Choose a port in the selector, then save again.")});
      SetInputsLocked(false);
      return;
    case SaveResult::RangeError:
    case SaveResult::AllZero:
      messages_.Show(this, Message{ToQString(outcome.message), MessageIcon::Exclamation, {}, {}});
      SetInputsLocked(false);
      frame_->FocusAndSelect(outcome.focusChannel);
      return;
  }
}

void MainWindow::OnReceiveWatchExpired() {
  // Cut-off reports in a row while the box is up are one fault to the technician: one box.
  if (receiveErrorOpen_) return;
  receiveErrorOpen_ = true;
  messages_.Show(this, Message{ToQString(kReceiveWatchMessage), MessageIcon::Exclamation, {}, {}});
  receiveErrorOpen_ = false;
}

}  // namespace hopper
