// One port of the station: the unit's course on the link's events, and how it ends.

#include "platform/station/station_line.h"

#include "core/save_check.h"
#include "core/traffic_entry.h"

namespace hopper {

StationLine::StationLine(QString name, std::unique_ptr<SerialPort> port, const ChannelTexts& set, QObject* parent)
    : QObject(parent), name_(std::move(name)), set_(set), link_(std::move(port)), dialogue_(link_) {
  link_.SetQuestions(this);
  link_.SetKeepsBackups(false);
  connect(&dialogue_, &HopperDialogue::ReportStarted, this, &StationLine::OnReportStarted);
  connect(&dialogue_, &HopperDialogue::ReportRead, this, &StationLine::OnReportRead);
  connect(&dialogue_, &HopperDialogue::Ready, this, [this] { Enter(LineState::Writing); });
  connect(&dialogue_, &HopperDialogue::SaveSent, this, [this] { unit_.saveSent = true; });
  connect(&dialogue_, &HopperDialogue::Acknowledged, this, [this] { Enter(LineState::Verifying); });
  connect(&dialogue_, &HopperDialogue::Broken, this, &StationLine::OnBroken);
  connect(&dialogue_, &HopperDialogue::SaveRefused, this, [this] {
    // Refused before anything went out: the port closed under the unit.
    Finish(UnitResult::Fail, UnitFault::WriteFailed,
           QStringLiteral("The port closed before the save; nothing was written"));
  });
  connect(&dialogue_, &HopperDialogue::Judged, this, &StationLine::OnJudged);
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
  dialogue_.Expect(set_);
  link_.Start();
  Enter(LineState::Waiting);
  link_.TakeWaitingBytesLater();
}

void StationLine::Stop() {
  if (stopped_) return;
  stopped_ = true;
  // A save already out is judged interrupted as the link closes.
  link_.Close();
  dialogue_.End();
}

bool StationLine::InUnit() const {
  return state_ == LineState::Receiving || state_ == LineState::Writing || state_ == LineState::Verifying;
}

void StationLine::OnReportStarted() {
  unit_ = UnitRecord{};
  unit_.port = name_;
  unit_.written = CoinNumbersOf(set_);
  Enter(LineState::Receiving);
}

void StationLine::OnReportRead(const LinkEvent& block) {
  unit_.reported = block.values;
  unit_.header = QString::fromStdString(HexText(block.header));
  unit_.info = QString::fromStdString(HexText(block.info));
}

void StationLine::OnBroken(const LinkEvent& event) {
  if (event.kind == LinkEventKind::ReceiveWatchEnded) {
    Finish(UnitResult::Fail, UnitFault::ReportCut,
           QStringLiteral("The report stopped part-way (hopper switched off?); nothing was written"));
  } else if (event.fault == LinkFault::Checksum) {
    Finish(UnitResult::Fail, UnitFault::ReportChecksum,
           QStringLiteral("The report's checksum did not match; nothing was written"));
  } else {
    Finish(UnitResult::Fail, UnitFault::Communication,
           QStringLiteral("Unexpected byte 0x%1 after the report; nothing was written")
               .arg(QString::fromStdString(HexText({event.byte}))));
  }
}

void StationLine::OnJudged(const Verdict& verdict) {
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
  if (!stopped_) dialogue_.Expect(set_);
  Enter(result == UnitResult::Pass ? LineState::Passed : LineState::Failed);
  emit UnitFinished(*last_);
}

void StationLine::Enter(LineState state) {
  if (state == state_) return;
  state_ = state;
  emit StateChanged(state);
}

}  // namespace hopper
