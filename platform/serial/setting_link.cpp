// The setting link's dialogue: every received byte through the receive machine, what the
// hopper holds, the Save command with its questions and backup, the two watches and the
// judge of each save.

#include "platform/serial/setting_link.h"

#include "core/save_check.h"
#include "platform/serial/line_recorder.h"
#include "platform/serial/recording_serial_port.h"
#include "platform/serial/system_serial.h"

namespace hopper {

namespace {

QTimer* MakeWatch(QObject* parent, const char* name, int intervalMs) {
  auto* timer = new QTimer(parent);
  timer->setObjectName(QString::fromLatin1(name));
  timer->setSingleShot(true);
  // A coarse timer may fire 5% early; the watches must keep their intervals.
  timer->setTimerType(Qt::PreciseTimer);
  timer->setInterval(intervalMs);
  return timer;
}

}  // namespace

SettingLink::SettingLink(std::unique_ptr<SerialPort> port, QObject* parent)
    : QObject(parent),
      port_(port ? std::move(port) : MakeSystemSerialPort()),
      machine_(static_cast<LinkHost&>(*this)),
      responseWatch_(MakeWatch(this, "Timer1", kResponseWatchMs)),
      receiveWatch_(MakeWatch(this, "Timer3", kReceiveWatchMs)),
      verdictWatch_(MakeWatch(this, "verdictWatch", SaveJudge::kDeadlineMs)),
      judge_(static_cast<JudgeHost&>(*this)) {
  port_->setParent(nullptr);
  ConnectPort();
  connect(responseWatch_, &QTimer::timeout, this, &SettingLink::OnResponseWatch);
  connect(receiveWatch_, &QTimer::timeout, this, [this] { machine_.ReceiveWatchExpired(); });
  connect(verdictWatch_, &QTimer::timeout, this, [this] { judge_.DeadlineReached(); });
}

SettingLink::~SettingLink() = default;

void SettingLink::ConnectPort() {
  connect(port_.get(), &SerialPort::BytesArrived, this, &SettingLink::TakeWaitingBytes);
  connect(port_.get(), &SerialPort::DeviceLost, this, &SettingLink::OnDeviceLost);
  connect(port_.get(), &SerialPort::DeviceReturned, this, &SettingLink::OnDeviceReturned);
}

void SettingLink::SetLineRecorder(LineRecorder* recorder) {
  if (recorder_ || !recorder) return;
  recorder_ = recorder;
  // The recording stands between the link and its port, so nothing passes it unrecorded.
  disconnect(port_.get(), nullptr, this, nullptr);
  port_ = std::make_unique<RecordingSerialPort>(std::move(port_), *recorder, LineRole::SettingLink);
  port_->setParent(nullptr);
  ConnectPort();
}

void SettingLink::OnLinkEvent(const LinkEvent& event) {
  switch (event.kind) {
    case LinkEventKind::ChannelValue:
      held_.ValueReceived(event.channel, static_cast<std::uint16_t>(event.value));
      break;
    case LinkEventKind::BlockChecked: held_.BlockChecked(event.ok); break;
    case LinkEventKind::SaveSent:
      held_.SaveSent();
      lastVerdict_.reset();
      break;
    default: break;
  }
  if (recorder_) recorder_->Link(event);
  // The verdict comes before the event that decided it: a listener that ends the dialogue on
  // the event cannot leave the save unjudged.
  judge_.Take(event);
  emit Reported(event);
}

void SettingLink::VerdictReached(const Verdict& verdict) {
  verdictWatch_->stop();
  held_.Judged(verdict);
  lastVerdict_ = verdict;
  emit Judged(verdict);
}

void SettingLink::Start() { machine_.StartUp(); }

void SettingLink::TakeWaitingBytes() {
  // Every waiting byte passes through the state machine, one at a time, in order; while a
  // question before a save is open they wait for its answer.
  if (asking_) return;
  while (port_->BytesWaiting() > 0) {
    const std::optional<std::uint8_t> byte = port_->ReadByte();
    if (!byte) break;
    machine_.Consume(*byte);
  }
}

void SettingLink::TakeWaitingBytesLater() {
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (port_->IsOpen()) TakeWaitingBytes();
      },
      Qt::QueuedConnection);
}

SaveOutcome SettingLink::Save(const ChannelTexts& texts) {
  // Only a save that would go out is questioned and backed up; a refused one says why as before.
  if (CheckSave(texts).verdict == SaveVerdict::Valid && port_->IsOpen()) {
    asking_ = true;
    const bool go = QuestionAndBackUp();
    asking_ = false;
    // What came during the questions came before the frame: it is taken first, whole.
    TakeWaitingBytes();
    if (!go) return {SaveResult::Withheld, 0, {}};
  }
  return machine_.Save(texts);
}

bool SettingLink::QuestionAndBackUp() {
  const std::vector<int> unconfirmed = held_.Unconfirmed();
  if (!unconfirmed.empty() && questions_ && !questions_->SaveUnconfirmed(unconfirmed)) return false;
  // The set the hopper last confirmed is kept before anything overwrites it.
  // A save without a confirmed set writes no backup: it must not name the last save's.
  lastBackup_ = {};
  if (!held_.Confirmed() || !keepsBackups_) return true;
  lastBackup_ = backups_.Write(TextsOf(*held_.Confirmed()), PortLabel());
  if (lastBackup_.ok()) return true;
  return questions_ && questions_->SaveWithoutBackup(lastBackup_.error);
}

void SettingLink::OnResponseWatch() {
  machine_.ResponseWatchExpired();
  // A save in flight is over before a port that came back during it is reopened.
  if (!reconnectPending_) return;
  reconnectPending_ = false;
  Reconnect();
}

void SettingLink::Close() {
  judge_.Interrupted();
  responseWatch_->stop();
  receiveWatch_->stop();
  port_->Close();
  emit PortClosed();
}

}  // namespace hopper
