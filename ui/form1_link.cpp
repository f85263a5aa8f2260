// The setting link on the main window: the receive handler, the Save command and the two
// watch timers. Each handler asks the core and applies its effects to the controls.

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "core/save_check.h"
#include "platform/serial/line_recorder.h"
#include "platform/widgets/message_box.h"
#include "ui/channel_frame.h"
#include "ui/fitted_caption.h"
#include "ui/form1.h"
#include "ui/qstring_view.h"

namespace hopper {

namespace {
const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);

// Said when Save finds the port closed: nothing can reach the hopper.
constexpr std::string_view kPortClosedMessage = "The serial port is not open: nothing was sent.";
}  // namespace

void Form1::SetStatus(const QColor& colour, const QString& caption) {
  QPalette palette = statusLine_->palette();
  palette.setColor(QPalette::WindowText, colour);
  statusLine_->setPalette(palette);
  statusLine_->setText(caption);
  FitCaption(statusLine_, kStatusPointSize);
}

void Form1::ShowStatus(StatusColour colour, const QString& caption) {
  SetStatus(colour == StatusColour::Blue ? kBlue : kRed, caption);
}

void Form1::Happened(const LinkEvent& event) {
  if (recorder_) recorder_->Link(event);
  if (const std::optional<StatusCaption> status = StatusCaptionFor(event)) ShowStatus(status->colour, ToQString(status->text));
  switch (event.kind) {
    case LinkEventKind::ChannelValue: SetChannelEntry(event.channel, event.value); break;
    case LinkEventKind::BlockChecked: BlockChecked(event.ok); break;
    case LinkEventKind::SaveWriteFailed: ReportWriteFailure(); break;
    default: break;
  }
}

void Form1::SetChannelEntry(int index, int value) {
  writingReceived_ = true;
  held_.ValueReceived(index, static_cast<std::uint16_t>(value));
  SetEntryText(index, QString::number(value));
  writingReceived_ = false;
}

void Form1::SendByte(std::uint8_t byte) { port_->WriteByte(byte); }

bool Form1::SendFrame(std::span<const std::uint8_t> bytes) { return port_->Write(bytes); }

void Form1::ArmReceiveWatch() { receiveWatch_->start(); }

void Form1::ArmResponseWatch() { responseWatch_->start(); }

void Form1::ReportWriteFailure() {
  messages_.Show(this, Message{QStringLiteral("Send Error"), MessageIcon::Exclamation, QString(),
                               QStringLiteral("The setting could not be written to COM%1. "
                                              "Check the port and the cable, reset the hopper, then save again.")
                                   .arg(port_->PortNumber())});
}

void Form1::DrainInput() { port_->ReadAll(); }

void Form1::OnBytesArrived() {
  // Every waiting byte passes through the state machine, one at a time, in order.
  while (port_->BytesWaiting() > 0) {
    const std::optional<std::uint8_t> byte = port_->ReadByte();
    if (!byte) break;
    link_.Consume(*byte);
  }
}

void Form1::SetInputsLocked(bool locked) {
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

void Form1::OnSave() {
  SetInputsLocked(true);
  const ChannelTexts texts = frame_->Texts();
  // Only a save that would go out is questioned and backed up; a refused one says why as before.
  if (CheckSave(texts).verdict == SaveVerdict::Valid && port_->IsOpen() && !ConfirmSave()) {
    SetInputsLocked(false);
    return;
  }
  const SaveOutcome outcome = link_.Save(texts);
  switch (outcome.result) {
    case SaveResult::Sent:
      SaveWentOut(CoinNumbersOf(texts));
      return;  // the response watch gives the inputs back
    case SaveResult::Withheld:
    case SaveResult::WriteFailed: SetInputsLocked(false); return;
    case SaveResult::PortClosed:
      // Nothing can be sent: say so and give everything back at once.
      messages_.Show(this, Message{ToQString(kPortClosedMessage), MessageIcon::Exclamation, {},
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

void Form1::OnResponseWatch() {
  SetInputsLocked(false);
  link_.ResponseWatchExpired();
  held_.ResponseWatchEnded();
  ShowVerification();
}

void Form1::OnReceiveWatch() {
  // Cut-off reports in a row while the box is up are one fault to the technician: one box.
  if (!link_.ReceiveWatchExpired() || receiveErrorOpen_) return;
  receiveErrorOpen_ = true;
  messages_.Show(this, Message{ToQString(kReceiveWatchMessage), MessageIcon::Exclamation, {}, {}});
  receiveErrorOpen_ = false;
}

}  // namespace hopper
