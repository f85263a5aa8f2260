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
  readBackWatch_.setSingleShot(true);
  readBackWatch_.setTimerType(Qt::PreciseTimer);
  readBackWatch_.setInterval(kResponseWatchMs);
  connect(&readBackWatch_, &QTimer::timeout, this, [this] {
    Finish(UnitResult::Fail, UnitFault::ReadBackCut,
           QStringLiteral("Acknowledged, but the read-back stopped part-way; the set is not verified"));
  });
  connect(&link_, &SettingLink::Reported, this, &StationLine::OnEvent);
  connect(&link_, &SettingLink::DeviceLost, this, [this](const QString& why) {
    goneWhy_ = why;
    if (InUnit()) {
      Finish(UnitResult::Fail, UnitFault::AdapterGone,
             unit_.saveSent ? QStringLiteral("The adapter went away after the save went out; the set is not verified")
                            : QStringLiteral("The adapter went away during the report; nothing was written"));
    }
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
  if (InUnit() && unit_.saveSent)
    Finish(UnitResult::Unverified, UnitFault::Interrupted,
           QStringLiteral("Stopped after the save went out; the read-back was not checked"));
  stopped_ = true;
  readBackWatch_.stop();
  link_.Close();
}

bool StationLine::InUnit() const {
  return state_ == LineState::Receiving || state_ == LineState::Writing || state_ == LineState::Verifying;
}

void StationLine::OnEvent(const LinkEvent& event) {
  if (stopped_) return;
  switch (event.kind) {
    case LinkEventKind::ReportStarted:
      if (InUnit()) break;
      unit_ = UnitRecord{};
      unit_.port = name_;
      unit_.written = CoinNumbersOf(set_);
      Enter(LineState::Receiving);
      break;
    case LinkEventKind::ChannelValue:
      entries_[static_cast<std::size_t>(event.channel)] = static_cast<std::uint16_t>(event.value);
      break;
    case LinkEventKind::Ready:
      if (state_ != LineState::Receiving || unit_.reported) break;  // a repeated ready byte
      unit_.reported = entries_;
      // The save goes out from an event of its own, as the window's Save button would send it.
      QMetaObject::invokeMethod(this, &StationLine::SendSave, Qt::QueuedConnection);
      break;
    case LinkEventKind::SaveSent: unit_.saveSent = true; break;
    case LinkEventKind::Acknowledged:
      if (state_ != LineState::Writing) break;
      Enter(LineState::Verifying);
      readBackWatch_.start();
      break;
    case LinkEventKind::BlockChecked:
      if (event.ok && event.readBack && state_ == LineState::Verifying) ReadBackComplete();
      break;
    case LinkEventKind::LinkError: OnLinkError(event); break;
    case LinkEventKind::ReceiveWatchEnded:
      if (!event.ok && state_ == LineState::Receiving)
        Finish(UnitResult::Fail, UnitFault::ReportCut,
               QStringLiteral("The report stopped part-way (hopper switched off?); nothing was written"));
      break;
    case LinkEventKind::ResponseWatchEnded:
      if (!event.ok && state_ == LineState::Writing)
        Finish(UnitResult::Fail, UnitFault::NoAcknowledgement,
               QStringLiteral("No acknowledgement of the save within %1 ms; the set is not verified")
                   .arg(kResponseWatchMs));
      break;
    case LinkEventKind::SaveWriteFailed:
      Finish(UnitResult::Fail, UnitFault::WriteFailed,
             QStringLiteral("The port did not take the whole save frame; the set is not verified"));
      break;
    default: break;
  }
}

void StationLine::OnLinkError(const LinkEvent& event) {
  if (!InUnit()) return;
  switch (event.fault) {
    case LinkFault::Checksum:
      if (state_ == LineState::Verifying)
        Finish(UnitResult::Fail, UnitFault::ReadBackChecksum,
               QStringLiteral("The read-back's checksum did not match; the set is not verified"));
      else
        Finish(UnitResult::Fail, UnitFault::ReportChecksum,
               QStringLiteral("The report's checksum did not match; nothing was written"));
      break;
    case LinkFault::Communication:
      Finish(UnitResult::Fail, UnitFault::Communication,
             QStringLiteral("Unexpected byte 0x%1 after the report; nothing was written")
                 .arg(QString::fromStdString(HexText({event.byte}))));
      break;
    case LinkFault::SaveFailed:
      if (event.byte == kStartByte) {
        Finish(UnitResult::Fail, UnitFault::NoAcknowledgement,
               QStringLiteral("The hopper started over (a new report) instead of acknowledging the save; "
                              "the set is not verified"));
        break;
      }
      Finish(UnitResult::Fail, UnitFault::WrongAcknowledgement,
             QStringLiteral("The hopper answered 0x%1 instead of acknowledging the save; the set is not verified")
                 .arg(QString::fromStdString(HexText({event.byte}))));
      break;
  }
}

void StationLine::SendSave() {
  if (stopped_ || state_ != LineState::Receiving) return;
  Enter(LineState::Writing);
  // The same Save as the window's button: check, frame, response watch.
  const SaveOutcome outcome = link_.Save(set_);
  if (outcome.result == SaveResult::Sent || outcome.result == SaveResult::WriteFailed) return;
  // Refused before anything went out: the port closed under the unit.
  Finish(UnitResult::Fail, UnitFault::WriteFailed,
         QStringLiteral("The port closed before the save; nothing was written"));
}

void StationLine::ReadBackComplete() {
  unit_.readBack = entries_;
  if (*unit_.readBack == unit_.written) {
    Finish(UnitResult::Pass, UnitFault::None, {});
    return;
  }
  std::size_t first = 0;
  while (unit_.written[first] == (*unit_.readBack)[first]) ++first;
  Finish(UnitResult::Fail, UnitFault::ReadBackDiffers,
         QStringLiteral("The read-back differs: Channel%1 sent %2, the hopper holds %3")
             .arg(first + 1)
             .arg(unit_.written[first])
             .arg((*unit_.readBack)[first]));
}

void StationLine::Finish(UnitResult result, UnitFault fault, const QString& reason) {
  readBackWatch_.stop();
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
  if (result != UnitResult::Pass && link_.Machine().State() != LinkState::WaitStart && link_.Port().IsOpen())
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
