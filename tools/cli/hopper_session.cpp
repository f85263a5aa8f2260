#include "tools/cli/hopper_session.h"

#include <QMetaObject>
#include <QStringList>

#include "core/link_captions.h"
#include "core/save_check.h"
#include "platform/serial/line_recorder.h"
#include "platform/serial/serial_port.h"

namespace hopper::cli {

namespace {
QString Text(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

const QString kResetAdvice = QStringLiteral("Switch the hopper off and on again, then run the command again.");
const QString kUnverifiedAdvice =
    QStringLiteral("The hopper's set is not verified: check it with hopper-cli read before the hopper is used.");
}  // namespace

HopperSession::HopperSession(SerialPort& port, LineRecorder* recorder, QObject* parent)
    : QObject(parent), port_(port), recorder_(recorder), machine_(*this) {
  for (QTimer* timer : {&reportWait_, &receiveWatch_, &answerWatch_}) timer->setSingleShot(true);
  connect(&reportWait_, &QTimer::timeout, this, [this] {
    Fail(ExitCode::HopperTimeout,
         QStringLiteral("No report from the hopper within %1 s").arg(reportWait_.interval() / 1000.0),
         QStringLiteral("Switch the hopper on while hopper-cli waits; check the cable and the port."));
  });
  connect(&receiveWatch_, &QTimer::timeout, this, [this] {
    if (!machine_.ReceiveWatchExpired()) return;
    const QStringList lines = Text(kReceiveWatchMessage).split(QLatin1Char('\r'));
    Fail(ExitCode::LinkError, lines.value(0), lines.value(1));
  });
  connect(&answerWatch_, &QTimer::timeout, this, [this] {
    if (step_ == Step::Saving) {
      machine_.ResponseWatchExpired();  // no acknowledgement: the machine says so
    } else {
      Fail(ExitCode::LinkError, QStringLiteral("The hopper acknowledged the save, but its read-back stopped part-way"),
           kUnverifiedAdvice);
    }
  });
  connect(&port_, &SerialPort::BytesArrived, this, &HopperSession::OnBytesArrived);
  connect(&port_, &SerialPort::DeviceLost, this, [this](const QString& why) {
    Fail(ExitCode::PortError, QStringLiteral("The port went away: %1").arg(why),
         step_ >= Step::Saving ? kUnverifiedAdvice : QStringLiteral("Check the cable and the adapter."));
  });
}

void HopperSession::Run(int timeoutMs, std::optional<ChannelTexts> toWrite) {
  toWrite_ = std::move(toWrite);
  machine_.StartUp();
  emit Progress(Step::WaitingForReport);
  if (timeoutMs > 0) reportWait_.start(timeoutMs);
  // Bytes that came before anyone listened are taken as if they had just arrived.
  QMetaObject::invokeMethod(this, &HopperSession::OnBytesArrived, Qt::QueuedConnection);
}

void HopperSession::Interrupt() {
  if (finished_) return;
  if (step_ >= Step::Saving)
    Fail(ExitCode::Interrupted, QStringLiteral("Interrupted after the save frame went out"), kUnverifiedAdvice);
  else
    Fail(ExitCode::Interrupted, QStringLiteral("Interrupted; nothing was written to the hopper"));
}

void HopperSession::OnBytesArrived() {
  while (!finished_ && port_.BytesWaiting() > 0) {
    const std::optional<std::uint8_t> byte = port_.ReadByte();
    if (!byte) break;
    machine_.Consume(*byte);
  }
}

void HopperSession::Happened(const LinkEvent& event) {
  if (recorder_) recorder_->Link(event);
  if (finished_) return;
  const QString caption = Text(StatusCaptionFor(event).value_or(StatusCaption{}).text);
  switch (event.kind) {
    case LinkEventKind::ReportStarted:
      if (step_ != Step::WaitingForReport) break;
      step_ = Step::Receiving;
      emit Progress(step_);
      break;
    case LinkEventKind::ChannelValue:
      entries_[static_cast<std::size_t>(event.channel)] = static_cast<std::uint16_t>(event.value);
      break;
    case LinkEventKind::Ready: OnReady(); break;
    case LinkEventKind::Acknowledged: OnAcknowledged(); break;
    case LinkEventKind::BlockChecked:
      // A read-back with a matching checksum ends the dialogue silently.
      if (event.ok && event.readBack && step_ == Step::Verifying) OnReadBackComplete();
      break;
    case LinkEventKind::LinkError:
      if (event.fault == LinkFault::SaveFailed) {
        Fail(ExitCode::NoAcknowledgement, caption,
             QStringLiteral("The hopper answered 0x%1 instead of acknowledging the save. ")
                     .arg(int{event.byte}, 2, 16, QLatin1Char('0')) + kUnverifiedAdvice);
      } else {
        Fail(ExitCode::LinkError, caption, step_ >= Step::Saving ? kUnverifiedAdvice : kResetAdvice);
      }
      break;
    case LinkEventKind::ResponseWatchEnded:
      if (event.ok) break;
      Fail(ExitCode::NoAcknowledgement, caption,
           QStringLiteral("The hopper did not acknowledge the save within %1 ms. ").arg(kResponseWatchMs) +
               kUnverifiedAdvice);
      break;
    case LinkEventKind::SaveWriteFailed:
      Fail(ExitCode::PortError, QStringLiteral("The port did not take the whole save frame"), kUnverifiedAdvice);
      break;
    default: break;  // a refused save: SendSave says why
  }
}

void HopperSession::SendByte(std::uint8_t byte) { port_.WriteByte(byte); }

bool HopperSession::LineOpen() const { return port_.IsOpen(); }

bool HopperSession::SendFrame(std::span<const std::uint8_t> bytes) { return port_.Write(bytes); }

void HopperSession::ArmReceiveWatch() { receiveWatch_.start(kReceiveWatchMs); }

void HopperSession::ArmResponseWatch() { answerWatch_.start(kResponseWatchMs); }

void HopperSession::DrainInput() {
  port_.ReadAll();
}

void HopperSession::OnReady() {
  if (step_ >= Step::Received) return;  // a repeated ready byte
  reportWait_.stop();
  result_.reported = entries_;
  step_ = Step::Received;
  emit Progress(step_);
  if (!toWrite_) {
    Finish();
    return;
  }
  // The save goes out from an event of its own, as the window's Save button would send it.
  QMetaObject::invokeMethod(this, &HopperSession::SendSave, Qt::QueuedConnection);
}

void HopperSession::SendSave() {
  if (finished_) return;
  if (beforeSave) {
    const QString refusal = beforeSave(*result_.reported);
    if (!refusal.isEmpty()) {
      Fail(ExitCode::OutputFailed, QStringLiteral("The reported set could not be kept as a backup: %1").arg(refusal),
           QStringLiteral("Nothing was written to the hopper."));
      return;
    }
  }
  result_.written = CoinNumbersOf(*toWrite_);
  step_ = Step::Saving;
  emit Progress(step_);
  // The same Save as the window's button: check, frame, "Saving", response watch.
  const SaveOutcome outcome = machine_.Save(*toWrite_);
  switch (outcome.result) {
    case SaveResult::Sent:
    case SaveResult::Withheld:
    case SaveResult::WriteFailed:  // the event has ended the run
      break;
    case SaveResult::RangeError:
    case SaveResult::AllZero:
      step_ = Step::Received;  // nothing went out
      Fail(ExitCode::FileRefused, Text(outcome.message), QStringLiteral("Channel%1").arg(outcome.focusChannel + 1));
      break;
    case SaveResult::PortClosed:
      step_ = Step::Received;
      Fail(ExitCode::PortError, QStringLiteral("The port closed before the save; nothing was written"));
      break;
  }
}

void HopperSession::OnAcknowledged() {
  if (step_ != Step::Saving) return;
  step_ = Step::Verifying;
  answerWatch_.start(kResponseWatchMs);  // now for the read-back
}

void HopperSession::OnReadBackComplete() {
  result_.readBack = entries_;
  if (*result_.readBack == *result_.written) {
    step_ = Step::Verified;
    emit Progress(step_);
    result_.code = ExitCode::Done;
  } else {
    result_.code = ExitCode::ReadBackDiffers;
    result_.error = QStringLiteral("The hopper's read-back differs from what was written");
    result_.advice = QStringLiteral("Write again; if it keeps differing, the hopper does not take this set.");
  }
  Finish();
}

void HopperSession::Fail(ExitCode code, const QString& error, const QString& advice) {
  if (finished_) return;
  result_.code = code;
  result_.error = error;
  result_.advice = advice;
  Finish();
}

void HopperSession::Finish() {
  finished_ = true;
  for (QTimer* timer : {&reportWait_, &receiveWatch_, &answerWatch_}) timer->stop();
  port_.Close();
  emit Finished();
}

}  // namespace hopper::cli
