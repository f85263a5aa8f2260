// One port of the station: the unit's course on the link's events, and how it ends.

#include "platform/station/station_line.h"

#include <QMetaObject>

#include "core/save_check.h"
#include "core/traffic_entry.h"

namespace hopper {

StationLine::StationLine(QString name, std::unique_ptr<SerialPort> port, const ChannelTexts& set, QObject* parent)
    : QObject(parent), name_(std::move(name)), set_(set), link_(std::move(port)) {
  link_.SetQuestions(this);
  link_.SetKeepsBackups(false);
  connect(&link_, &SettingLink::Reported, this, &StationLine::OnEvent);
  connect(&link_, &SettingLink::Judged, this, &StationLine::OnJudged);
  connect(&link_, &SettingLink::DeviceLost, this, [this](const QString& why) {
    goneWhy_ = why;
    // After the save went out, the verdict has ended the unit already.
    if (InUnit())
      Finish(UnitResult::Fail, UnitFault::AdapterGone,
             QStringLiteral("The adapter went away during the report; nothing was written"));
    Enter(LineState::AdapterGone);
  });
  connect(&link_, &SettingLink::Reconnected, this, [this](const OpenOutcome& outcome) {
    if (outcome.result != OpenResult::Opened || stopped_) return;
    goneWhy_.clear();
    Enter(LineState::Waiting);
  });
}

void StationLine::Start() {
  stopped_ = false;  // a station that did not start may be started again
  link_.Start();
  Enter(LineState::Waiting);
  link_.TakeWaitingBytesLater();
}

void StationLine::Stop() {
  if (stopped_) return;
  stopped_ = true;
  // A save already out is judged interrupted as the link closes.
  link_.Close();
}

bool StationLine::InUnit() const {
  return state_ == LineState::Receiving || state_ == LineState::Writing || state_ == LineState::Verifying;
}

void StationLine::OnEvent(const LinkEvent& event) {
  if (stopped_) return;
  if (unit_.saveSent && InUnit()) {
    // Once the save is out, only its verdict ends the unit.
    if (event.kind == LinkEventKind::Acknowledged && state_ == LineState::Writing) Enter(LineState::Verifying);
    return;
  }
  switch (event.kind) {
    case LinkEventKind::ReportStarted:
      if (InUnit()) break;
      unit_ = UnitRecord{};
      unit_.port = name_;
      unit_.written = CoinNumbersOf(set_);
      Enter(LineState::Receiving);
      break;
    case LinkEventKind::BlockChecked:
      if (!event.ok || event.readBack || state_ != LineState::Receiving) break;
      unit_.reported = event.values;
      unit_.header = QString::fromStdString(HexText(event.header));
      unit_.info = QString::fromStdString(HexText(event.info));
      break;
    case LinkEventKind::Ready:
      if (state_ != LineState::Receiving || !unit_.reported || unit_.saveSent) break;  // a repeated ready byte
      // The save goes out from an event of its own, as the window's Save button would send it.
      QMetaObject::invokeMethod(this, &StationLine::SendSave, Qt::QueuedConnection);
      break;
    case LinkEventKind::SaveSent:
    case LinkEventKind::SaveWriteFailed: unit_.saveSent = true; break;
    case LinkEventKind::LinkError: OnLinkError(event); break;
    case LinkEventKind::ReceiveWatchEnded:
      if (!event.ok && state_ == LineState::Receiving)
        Finish(UnitResult::Fail, UnitFault::ReportCut,
               QStringLiteral("The report stopped part-way (hopper switched off?); nothing was written"));
      break;
    default: break;
  }
}

void StationLine::OnLinkError(const LinkEvent& event) {
  if (!InUnit()) return;
  if (event.fault == LinkFault::Checksum) {
    Finish(UnitResult::Fail, UnitFault::ReportChecksum,
           QStringLiteral("The report's checksum did not match; nothing was written"));
  } else if (event.fault == LinkFault::Communication) {
    Finish(UnitResult::Fail, UnitFault::Communication,
           QStringLiteral("Unexpected byte 0x%1 after the report; nothing was written")
               .arg(QString::fromStdString(HexText({event.byte}))));
  }
}

void StationLine::SendSave() {
  if (stopped_ || state_ != LineState::Receiving) return;
  Enter(LineState::Writing);
  // The same Save as the window's button: check, frame, response watch.
  const SaveOutcome outcome = link_.Save(set_);
  if (outcome.result == SaveResult::Sent || outcome.result == SaveResult::WriteFailed) return;  // judged later
  // Refused before anything went out: the port closed under the unit.
  Finish(UnitResult::Fail, UnitFault::WriteFailed,
         QStringLiteral("The port closed before the save; nothing was written"));
}

void StationLine::OnJudged(const Verdict& verdict) {
  // The save is this unit's: sent from Writing, or its write failed there.
  if (state_ != LineState::Writing && state_ != LineState::Verifying) return;
  unit_.saveSent = true;
  unit_.verdict = verdict;
  unit_.readBack = verdict.readBack;
  QString reason;
  if (verdict.kind == VerdictKind::Differs) {
    const ChannelDifference& first = verdict.differing.front();
    reason = QStringLiteral("The read-back differs: Channel%1 sent %2, the hopper holds %3")
                 .arg(first.channel + 1)
                 .arg(first.sent)
                 .arg(first.held);
  } else if (!verdict.Verified()) {
    reason = QString::fromStdString(VerdictText(verdict));
  }
  Finish(UnitResultOf(verdict.kind), UnitFaultOf(verdict.kind), reason);
}

void StationLine::Finish(UnitResult result, UnitFault fault, const QString& reason) {
  switch (result) {
    case UnitResult::Pass: ++counts_.passed; break;
    case UnitResult::Fail: ++counts_.failed; break;
    case UnitResult::Unverified: ++counts_.unverified; break;
  }
  unit_.unit = counts_.passed + counts_.failed + counts_.unverified;
  unit_.finished = QDateTime::currentDateTime();
  unit_.result = result;
  unit_.fault = fault;
  unit_.reason = reason;
  last_ = unit_;
  // A unit that ended early leaves the link mid-dialogue: it listens for the next report.
  if (!stopped_ && result != UnitResult::Pass && link_.Machine().State() != LinkState::WaitStart &&
      link_.Port().IsOpen())
    link_.Start();
  Enter(result == UnitResult::Pass ? LineState::Passed : LineState::Failed);
  emit UnitFinished(*last_);
}

void StationLine::Enter(LineState state) {
  if (state == state_) return;
  state_ = state;
  emit StateChanged(state);
}

}  // namespace hopper
