#include "tools/cli/hopper_session.h"

#include <QMetaObject>
#include <QStringList>

#include "core/link_captions.h"
#include "core/save_check.h"

namespace hopper::cli {

namespace {
QString Text(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

const QString kResetAdvice = QStringLiteral("Switch the hopper off and on again, then run the command again.");
const QString kUnverifiedAdvice =
    QStringLiteral("The hopper's set is not verified: check it with hopper-cli read before the hopper is used.");
}  // namespace

HopperSession::HopperSession(SettingLink& link, QObject* parent) : QObject(parent), link_(link) {
  reportWait_.setSingleShot(true);
  reportWait_.setTimerType(Qt::PreciseTimer);
  link_.SetQuestions(this);
  connect(&reportWait_, &QTimer::timeout, this, [this] {
    Fail(ExitCode::HopperTimeout,
         QStringLiteral("No report from the hopper within %1 s").arg(reportWait_.interval() / 1000.0),
         QStringLiteral("Switch the hopper on while hopper-cli waits; check the cable and the port."));
  });
  connect(&link_, &SettingLink::Reported, this, &HopperSession::OnEvent);
  connect(&link_, &SettingLink::Judged, this, &HopperSession::OnJudged);
  connect(&link_, &SettingLink::DeviceLost, this, [this](const QString& why) {
    Fail(ExitCode::PortError, QStringLiteral("The port went away: %1").arg(why),
         QStringLiteral("Check the cable and the adapter."));
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
  // Once the save is out, only its verdict ends the run.
  if (finished_ || step_ >= Step::Saving) return;
  switch (event.kind) {
    case LinkEventKind::ReportStarted:
      if (step_ != Step::WaitingForReport) break;
      step_ = Step::Receiving;
      emit Progress(step_);
      break;
    case LinkEventKind::BlockChecked:
      if (event.ok) reported_ = event.values;
      break;
    case LinkEventKind::Ready: OnReady(); break;
    case LinkEventKind::LinkError:
      Fail(ExitCode::LinkError, Text(StatusCaptionFor(event).value_or(StatusCaption{}).text), kResetAdvice);
      break;
    case LinkEventKind::ReceiveWatchEnded:
      if (!event.ok) Fail(ExitCode::LinkError, Text(kReceiveWatchProblem), Text(kReceiveWatchAdvice));
      break;
    default: break;  // a refused save: SendSave says why
  }
}

void HopperSession::OnJudged(const Verdict& verdict) {
  if (finished_) return;
  result_.written = verdict.sent;
  result_.readBack = verdict.readBack;
  result_.verdict = QString::fromLatin1(VerdictName(verdict.kind));
  const QString words = QString::fromStdString(VerdictText(verdict)) + QLatin1Char(' ');
  switch (verdict.kind) {
    case VerdictKind::Verified:
      step_ = Step::Verified;
      emit Progress(step_);
      result_.code = ExitCode::Done;
      Finish();
      return;
    case VerdictKind::Differs:
      Fail(ExitCode::ReadBackDiffers, QStringLiteral("The hopper's read-back differs from what was written"),
           QStringLiteral("Write again; if it keeps differing, the hopper does not take this set."));
      return;
    case VerdictKind::NoAcknowledgement:
      Fail(ExitCode::NoAcknowledgement, Text(kCaptionNoResponse), words + kUnverifiedAdvice);
      return;
    case VerdictKind::WrongAcknowledgement:
    case VerdictKind::NewReportInstead:
      Fail(ExitCode::NoAcknowledgement, Text(kCaptionSaveFailed), words + kUnverifiedAdvice);
      return;
    case VerdictKind::ReadBackChecksum:
      Fail(ExitCode::LinkError, Text(kCaptionChecksumError), words + kUnverifiedAdvice);
      return;
    case VerdictKind::ReadBackCut:
      Fail(ExitCode::LinkError, QString::fromStdString(VerdictText(verdict)), kUnverifiedAdvice);
      return;
    case VerdictKind::WriteFailed:
      Fail(ExitCode::PortError, QStringLiteral("The port did not take the whole save frame"), kUnverifiedAdvice);
      return;
    case VerdictKind::PortLost:
      Fail(ExitCode::PortError, QStringLiteral("The port went away: %1").arg(link_.LossReason()), kUnverifiedAdvice);
      return;
    case VerdictKind::Interrupted:
      Fail(ExitCode::Interrupted, QStringLiteral("Interrupted after the save frame went out"), kUnverifiedAdvice);
      return;
  }
}

bool HopperSession::SaveWithoutBackup(const QString& why) {
  backupRefusal_ = why;
  return false;
}

void HopperSession::OnReady() {
  if (step_ >= Step::Received) return;  // a repeated ready byte
  reportWait_.stop();
  result_.reported = reported_;
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
      if (!finished_) emit Progress(Step::Saving);
      break;
    case SaveResult::WriteFailed: break;  // the verdict has ended the run
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

void HopperSession::Fail(ExitCode code, const QString& error, const QString& advice) {
  if (finished_) return;
  result_.code = code;
  result_.error = error;
  result_.advice = advice;
  Finish();
}

void HopperSession::Finish() {
  finished_ = true;
  reportWait_.stop();
  link_.Close();
  emit Finished();
}

}  // namespace hopper::cli
