#include "platform/serial/hopper_dialogue.h"

#include <QMetaObject>

namespace hopper {

HopperDialogue::HopperDialogue(SettingLink& link, QObject* parent) : QObject(parent), link_(link) {
  connect(&link_, &SettingLink::Reported, this, &HopperDialogue::OnEvent);
  connect(&link_, &SettingLink::Judged, this, &HopperDialogue::OnJudged);
}

void HopperDialogue::Expect(std::optional<ChannelTexts> set) {
  set_ = std::move(set);
  stage_ = Stage::Waiting;
}

void HopperDialogue::OnEvent(const LinkEvent& event) {
  switch (stage_) {
    case Stage::Waiting:
      if (event.kind != LinkEventKind::ReportStarted) return;
      stage_ = Stage::Receiving;
      emit ReportStarted();
      return;
    case Stage::Receiving:
    case Stage::Ready: break;
    case Stage::Saving:
      if (event.kind == LinkEventKind::SaveSent) emit SaveSent();
      if (event.kind == LinkEventKind::Acknowledged) emit Acknowledged();
      return;  // only the verdict ends a save
    case Stage::Ended: return;
  }
  switch (event.kind) {
    case LinkEventKind::BlockChecked:
      if (event.ok && !event.readBack && stage_ == Stage::Receiving) emit ReportRead(event);
      break;
    case LinkEventKind::Ready:
      if (stage_ != Stage::Receiving) break;  // a repeated ready byte
      stage_ = set_ ? Stage::Ready : Stage::Ended;
      emit Ready();
      // The save goes out from an event of its own, as the window's Save button would send it.
      if (stage_ == Stage::Ready) QMetaObject::invokeMethod(this, &HopperDialogue::Save, Qt::QueuedConnection);
      break;
    case LinkEventKind::ReceiveWatchEnded:
      if (event.ok) break;
      [[fallthrough]];
    case LinkEventKind::LinkError:
      stage_ = Stage::Ended;
      emit Broken(event);
      break;
    default: break;
  }
}

void HopperDialogue::Save() {
  if (stage_ != Stage::Ready) return;  // ended meanwhile
  stage_ = Stage::Saving;
  // The same Save as the window's button: check, questions, backup, frame, response watch.
  const SaveOutcome outcome = link_.Save(*set_);
  if (outcome.result == SaveResult::Sent || outcome.result == SaveResult::WriteFailed) return;  // judged
  stage_ = Stage::Ended;
  emit SaveRefused(outcome);
}

void HopperDialogue::OnJudged(const Verdict& verdict) {
  if (stage_ != Stage::Saving) return;
  stage_ = Stage::Ended;
  emit Judged(verdict);
}

}  // namespace hopper
