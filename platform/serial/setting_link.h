#pragma once
// The setting link: the serial port to the hopper, the receive state machine that every
// received byte passes through, the two watches, what the hopper holds, the backup before a
// save, the record of the line, the hand-over of the port to the simulation window and the
// reopening of an adapter that was pulled and plugged in again. It reports what happened as
// LinkEvents and each save's one verdict; the main window, the journal, the command line and
// the station show them.
// Qt Core and SerialPort only.

#include <QObject>
#include <QTimer>
#include <memory>
#include <vector>

#include "core/held_values.h"
#include "core/receive_machine.h"
#include "core/save_judge.h"
#include "platform/files/backup_store.h"
#include "platform/serial/serial_port.h"

namespace hopper {

class LineRecorder;

// What the link asks before a valid save goes out on an open port.
class SaveQuestions {
 public:
  virtual ~SaveQuestions() = default;
  // `channels` hold values from a report that failed, neither typed nor loaded since.
  virtual bool SaveUnconfirmed(const std::vector<int>& channels) = 0;
  // The backup of what the hopper holds could not be written, for `why`.
  virtual bool SaveWithoutBackup(const QString& why) = 0;
};

class SettingLink final : public QObject, private LinkHost, private JudgeHost {
  Q_OBJECT
 public:
  // Without a port the link makes its own on Qt's serial port.
  explicit SettingLink(std::unique_ptr<SerialPort> port = nullptr, QObject* parent = nullptr);
  ~SettingLink() override;

  SerialPort& Port() { return *port_; }
  const SerialPort& Port() const { return *port_; }
  // The receive machine, read-only: its state and whether the next block is a read-back.
  const ReceiveMachine& Machine() const { return machine_; }
  // What the hopper last confirmed, and how the last save's read-back compared.
  const HeldValues& Held() const { return held_; }

  // Records the line from now on: every byte the port reads, writes and throws away, its
  // opening, closing and loss, and the link's events beside them. Once, before the port opens.
  void SetLineRecorder(LineRecorder* recorder);
  // Where the copy of the hopper's values goes before each save.
  void SetBackupStore(const BackupStore& store) { backups_ = store; }
  const BackupStore& Backups() const { return backups_; }
  // The port as the backups name it: "COM3", or the device path given.
  QString PortLabel() const;
  // Without backups (the production station records each unit's reported set itself, and
  // hundreds of units an hour would push the technician's own backups out of the folder).
  void SetKeepsBackups(bool keep) { keepsBackups_ = keep; }
  // Who answers before a save; without one, a failed backup keeps the save back.
  void SetQuestions(SaveQuestions* questions) { questions_ = questions; }
  // The last backup written or tried before a save.
  const BackupResult& LastBackup() const { return lastBackup_; }
  // The verdict of the last save judged, if any.
  const std::optional<Verdict>& LastVerdict() const { return lastVerdict_; }
  // A save is out and not judged yet.
  bool SaveOpen() const { return judge_.Open(); }
  // Why the device went away, the last time it did.
  const QString& LossReason() const { return lossReason_; }

  // The link starts listening: it waits for the hopper's report.
  void Start();
  // Every byte waiting on the port goes through the receive machine, one at a time, in order;
  // the port's arrival notice runs it too.
  void TakeWaitingBytes();
  // The same from an event of its own: bytes that came before anyone listened are taken as if
  // they had just arrived (nothing, once the port has closed).
  void TakeWaitingBytesLater();
  // The Save command with the boxes' texts (setting_link.cpp). A save that would go out is
  // first questioned and backed up; bytes that arrive meanwhile wait until that is done.
  SaveOutcome Save(const ChannelTexts& texts);
  // The technician typed into box `index`, or a parameter file was loaded into it.
  void Edited(int index) { held_.Edited(index); }
  // The save under way ends unchecked: its verdict is "interrupted" (Ctrl+C, a station stopped).
  void Interrupt() { judge_.Interrupted(); }
  // The watches stop and the port closes, for good.
  void Close();

  // The port (setting_link_port.cpp)
  // Closes the port and gives it `portNumber`. Returns whether that is another port: then what
  // the hopper on the old one held is no longer known.
  bool UsePortNumber(int portNumber);
  OpenOutcome Open();
  // The port is not working, or was given another device: the next opening starts over.
  void MarkTrouble() { trouble_ = true; }
  // After an opening: starts the link over when trouble came before it, or when start-up never
  // completed. Returns whether it did.
  bool StartOverAfterTrouble();
  // The simulation window takes the port: it is closed, the receive watch stops.
  void HandOver();
  // The simulation window gave it back: the next block is taken as a read-back. The caller
  // reopens the port.
  void HandBack();
  bool HandedOver() const { return handedOver_; }

 signals:
  // Every event of the link, after it has taken note of it itself.
  void Reported(const LinkEvent& event);
  // The device went away while open; the port is closed and waits for it to come back.
  void DeviceLost(const QString& why);
  // The device came back and the port was opened again, or could not be.
  void Reconnected(const OpenOutcome& outcome);
  // The verdict of a save, once; after the event that decided it, or at the deadline.
  void Judged(const hopper::Verdict& verdict);
  // The port closed (another port, the hand-over, a lost device, the end): whatever answers
  // next may be another hopper.
  void PortClosed();

 private:
  // LinkHost
  void OnLinkEvent(const LinkEvent& event) override;
  void SendByte(std::uint8_t byte) override { port_->WriteByte(byte); }
  bool LineOpen() const override { return port_->IsOpen(); }
  bool SendFrame(std::span<const std::uint8_t> bytes) override { return port_->Write(bytes); }
  void ArmReceiveWatch() override { receiveWatch_->start(); }
  void ArmResponseWatch() override { responseWatch_->start(); }
  void DrainInput() override { port_->ReadAll(); }
  // JudgeHost
  void ArmVerdictDeadline(int ms) override { verdictWatch_->start(ms); }
  void VerdictReached(const Verdict& verdict) override;

  // Asks what must be asked before a save goes out and writes the backup; false keeps it back.
  bool QuestionAndBackUp();

  void ConnectPort();
  void OnResponseWatch();
  void OnDeviceLost(const QString& why);
  void OnDeviceReturned();
  void Reconnect();

  std::unique_ptr<SerialPort> port_;
  ReceiveMachine machine_;
  QTimer* responseWatch_;  // Timer1: 1000 ms from the save frame
  QTimer* receiveWatch_;   // Timer3: 500 ms from a report's header
  QTimer* verdictWatch_;   // the judge's read-back deadline
  SaveJudge judge_;
  std::optional<Verdict> lastVerdict_;
  HeldValues held_;
  BackupStore backups_;
  BackupResult lastBackup_;
  SaveQuestions* questions_ = nullptr;
  LineRecorder* recorder_ = nullptr;
  QString lossReason_;
  bool asking_ = false;  // a question before a save is open: received bytes wait
  bool keepsBackups_ = true;
  bool handedOver_ = false;        // the simulation window has the port
  bool trouble_ = false;           // the port failed: the next opening starts the link over
  bool reconnectPending_ = false;  // the device came back during a save
};

}  // namespace hopper
