#include "tools/cli/hopper_session.h"

#include <QStringList>

#include "core/link_captions.h"

namespace hopper::cli {

namespace {
QString Text(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

const QString kResetAdvice = QStringLiteral("Switch the hopper off and on again, then run the command again.");
const QString kUnverifiedAdvice =
    QStringLiteral("The hopper's set is not verified: check it with hopper-cli read before the hopper is used.");
}  // namespace

HopperSession::HopperSession(SettingLink& link, QObject* parent) : QObject(parent), link_(link), dialogue_(link) {
  reportWait_.setSingleShot(true);
  reportWait_.setTimerType(Qt::PreciseTimer);
  link_.SetQuestions(this);
  connect(&reportWait_, &QTimer::timeout, this, [this] {
    Fail(ExitCode::HopperTimeout,
         QStringLiteral("No report from the hopper within %1 s").arg(reportWait_.interval() / 1000.0),
         QStringLiteral("Switch the hopper on while hopper-cli waits; check the cable and the port."));
  });
  connect(&dialogue_, &HopperDialogue::ReportStarted, this, [this] {
    step_ = Step::Receiving;
    emit Progress(step_);
  });
  connect(&dialogue_, &HopperDialogue::ReportRead, this, [this](const LinkEvent& block) { reported_ = block.values; });
  connect(&dialogue_, &HopperDialogue::Ready, this, &HopperSession::OnReady);
  connect(&dialogue_, &HopperDialogue::Broken, this, &HopperSession::OnBroken);
  connect(&dialogue_, &HopperDialogue::SaveRefused, this, &HopperSession::OnSaveRefused);
  connect(&dialogue_, &HopperDialogue::SaveSent, this, [this] {
    step_ = Step::Saving;
    emit Progress(step_);
  });
  connect(&dialogue_, &HopperDialogue::Judged, this, &HopperSession::OnJudged);
  connect(&link_, &SettingLink::DeviceLost, this, [this](const QString& why) {
    Fail(ExitCode::PortError, QStringLiteral("The port went away: %1").arg(why),
         QStringLiteral("Check the cable and the adapter."));
  });
}

void HopperSession::Run(int timeoutMs, std::optional<ChannelTexts> toWrite) {
  dialogue_.Expect(std::move(toWrite));
  link_.Start();
  emit Progress(Step::WaitingForReport);
  if (timeoutMs > 0) reportWait_.start(timeoutMs);
  link_.TakeWaitingBytesLater();
}

void HopperSession::Interrupt() {
  if (finished_) return;
  // A save out is judged interrupted, and that verdict ends the run.
  if (dialogue_.Current() == HopperDialogue::Stage::Saving) link_.Interrupt();
  Fail(ExitCode::Interrupted, QStringLiteral("Interrupted; nothing was written to the hopper"));
}

void HopperSession::OnBroken(const LinkEvent& event) {
  if (event.kind == LinkEventKind::ReceiveWatchEnded)
    Fail(ExitCode::LinkError, Text(kReceiveWatchProblem), Text(kReceiveWatchAdvice));
  else Fail(ExitCode::LinkError, Text(StatusCaptionFor(event).value_or(StatusCaption{}).text), kResetAdvice);
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
  reportWait_.stop();
  result_.reported = reported_;
  step_ = Step::Received;
  emit Progress(step_);
  // Reading ends here; a set to write goes out next.
  if (dialogue_.Current() == HopperDialogue::Stage::Ended) Finish();
}

void HopperSession::OnSaveRefused(const SaveOutcome& outcome) {
  switch (outcome.result) {
    case SaveResult::Withheld:
      Fail(ExitCode::OutputFailed,
           QStringLiteral("The reported set could not be kept as a backup: %1").arg(backupRefusal_),
           QStringLiteral("Nothing was written to the hopper."));
      break;
    case SaveResult::RangeError:
    case SaveResult::AllZero:
      Fail(ExitCode::FileRefused, Text(outcome.message), QStringLiteral("Channel%1").arg(outcome.focusChannel + 1));
      break;
    default: Fail(ExitCode::PortError, QStringLiteral("The port closed before the save; nothing was written")); break;
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
  dialogue_.End();
  reportWait_.stop();
  link_.Close();
  emit Finished();
}

}  // namespace hopper::cli
