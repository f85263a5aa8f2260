#include "tools/cli/hopper_session.h"

#include <QMetaObject>
#include <QStringList>

#include "core/link_captions.h"
#include "core/save_check.h"
#include "core/traffic_entry.h"

namespace hopper::cli {

namespace {
QString Text(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

const QString kResetAdvice = QStringLiteral("Switch the hopper off and on again, then run the command again.");
const QString kUnverifiedAdvice =
    QStringLiteral("The hopper's set is not verified: check it with hopper-cli read before the hopper is used.");
}  // namespace

HopperSession::HopperSession(SettingLink& link, QObject* parent) : QObject(parent), link_(link) {
  for (QTimer* timer : {&reportWait_, &readBackWatch_}) {
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
  }
  link_.SetQuestions(this);
  connect(&reportWait_, &QTimer::timeout, this, [this] {
    Fail(ExitCode::HopperTimeout,
         QStringLiteral("No report from the hopper within %1 s").arg(reportWait_.interval() / 1000.0),
         QStringLiteral("Switch the hopper on while hopper-cli waits; check the cable and the port."));
  });
  connect(&readBackWatch_, &QTimer::timeout, this, [this] {
    Fail(ExitCode::LinkError, QStringLiteral("The hopper acknowledged the save, but its read-back stopped part-way"),
         kUnverifiedAdvice);
  });
  connect(&link_, &SettingLink::Reported, this, &HopperSession::OnEvent);
  connect(&link_, &SettingLink::DeviceLost, this, [this](const QString& why) {
    Fail(ExitCode::PortError, QStringLiteral("The port went away: %1").arg(why),
         step_ >= Step::Saving ? kUnverifiedAdvice : QStringLiteral("Check the cable and the adapter."));
  });
}

void HopperSession::Run(int timeoutMs, std::optional<ChannelTexts> toWrite) {
  toWrite_ = std::move(toWrite);
  link_.Start();
  emit Progress(Step::WaitingForReport);
  if (timeoutMs > 0) reportWait_.start(timeoutMs);
  link_.TakeWaitingBytesLater();
}

void HopperSession::Interrupt() {
  if (finished_) return;
  if (step_ >= Step::Saving)
    Fail(ExitCode::Interrupted, QStringLiteral("Interrupted after the save frame went out"), kUnverifiedAdvice);
  else Fail(ExitCode::Interrupted, QStringLiteral("Interrupted; nothing was written to the hopper"));
}

void HopperSession::OnEvent(const LinkEvent& event) {
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
    case LinkEventKind::SaveSent: emit Progress(Step::Saving); break;
    case LinkEventKind::Acknowledged: OnAcknowledged(); break;
    case LinkEventKind::BlockChecked:
      // A read-back with a matching checksum ends the dialogue silently.
      if (event.ok && event.readBack && step_ == Step::Verifying) OnReadBackComplete();
      break;
    case LinkEventKind::LinkError:
      if (event.fault == LinkFault::SaveFailed) {
        Fail(ExitCode::NoAcknowledgement, caption,
             QStringLiteral("The hopper answered 0x%1 instead of acknowledging the save. ")
                     .arg(QString::fromStdString(HexText({event.byte}))) +
                 kUnverifiedAdvice);
      } else {
        Fail(ExitCode::LinkError, caption, step_ >= Step::Saving ? kUnverifiedAdvice : kResetAdvice);
      }
      break;
    case LinkEventKind::ReceiveWatchEnded:
      if (!event.ok) {
        const QStringList lines = Text(kReceiveWatchMessage).split(QLatin1Char('\r'));
        Fail(ExitCode::LinkError, lines.value(0), lines.value(1));
      }
      break;
    case LinkEventKind::ResponseWatchEnded:
      // Acknowledged in time: the read-back has a watch of its own.
      if (event.ok || step_ != Step::Saving) break;
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

bool HopperSession::SaveWithoutBackup(const QString& why) {
  backupRefusal_ = why;
  return false;
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
  result_.written = CoinNumbersOf(*toWrite_);
  step_ = Step::Saving;
  // The same Save as the window's button: check, backup, frame, response watch.
  const SaveOutcome outcome = link_.Save(*toWrite_);
  switch (outcome.result) {
    case SaveResult::Sent:
    case SaveResult::WriteFailed:  // the event has ended the run
      break;
    case SaveResult::Withheld:
      step_ = Step::Received;  // nothing went out
      result_.written.reset();
      Fail(ExitCode::OutputFailed,
           QStringLiteral("The reported set could not be kept as a backup: %1").arg(backupRefusal_),
           QStringLiteral("Nothing was written to the hopper."));
      break;
    case SaveResult::RangeError:
    case SaveResult::AllZero:
      step_ = Step::Received;
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
  readBackWatch_.start(kResponseWatchMs);
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
  for (QTimer* timer : {&reportWait_, &readBackWatch_}) timer->stop();
  link_.Close();
  emit Finished();
}

}  // namespace hopper::cli
