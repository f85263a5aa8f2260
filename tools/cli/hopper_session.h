#pragma once
// One hopper-cli dialogue on an open port: the tool's own receive state machine takes every
// byte, exactly as in the main window; this class carries out its actions and turns its events
// into the steps and the end of a command line run. Reading ends at the hopper's ready byte; writing
// then sends the save frame, waits for the acknowledgement and the read-back, and compares.

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>

#include "core/channel_table.h"
#include "core/receive_machine.h"
#include "core/setting_frames.h"
#include "tools/cli/exit_codes.h"

namespace hopper {
class LineRecorder;
class SerialPort;
}

namespace hopper::cli {

enum class Step { WaitingForReport, Receiving, Received, Saving, Verifying, Verified };

struct SessionResult {
  ExitCode code = ExitCode::Done;
  QString error;   // what went wrong, in one line
  QString advice;  // what to do about it
  std::optional<CoinNumbers> reported;  // the set of the power-on report
  std::optional<CoinNumbers> written;   // the set of the save frame, once it went out
  std::optional<CoinNumbers> readBack;  // the set the hopper reported after the save
};

class HopperSession final : public QObject, private LinkHost {
  Q_OBJECT
 public:
  // `recorder`, when given, hears of the link's start and its watches; the port records the bytes.
  HopperSession(SerialPort& port, LineRecorder* recorder, QObject* parent = nullptr);

  // Asked with the reported set just before the save; an answer other than empty refuses the
  // save with that reason (the backup could not be kept).
  std::function<QString(const CoinNumbers& reported)> beforeSave;

  // The port is open: waits up to `timeoutMs` (0: for ever) for the report. With `toWrite`,
  // saves that table once the hopper is ready; the table must have passed CheckSave.
  void Run(int timeoutMs, std::optional<ChannelTexts> toWrite);
  // Ctrl+C: ends now, with the port closed and a word on what reached the hopper.
  void Interrupt();

  const SessionResult& Result() const { return result_; }
  bool IsFinished() const { return finished_; }

 signals:
  void Progress(cli::Step step);
  void Finished();

 private:
  // LinkHost
  void Happened(const LinkEvent& event) override;
  void SendByte(std::uint8_t byte) override;
  bool LineOpen() const override;
  bool SendFrame(std::span<const std::uint8_t> bytes) override;
  void ArmReceiveWatch() override;
  void ArmResponseWatch() override;
  void DrainInput() override;

  void OnBytesArrived();
  void OnReady();
  void SendSave();
  void OnAcknowledged();
  void OnReadBackComplete();
  void Fail(ExitCode code, const QString& error, const QString& advice = {});
  void Finish();

  SerialPort& port_;
  LineRecorder* recorder_;
  ReceiveMachine machine_;
  QTimer reportWait_;     // --timeout: the hopper must report within it
  QTimer receiveWatch_;   // the data block must follow its header within 500 ms
  QTimer answerWatch_;    // the acknowledgement, then the read-back, each within 1000 ms
  Step step_ = Step::WaitingForReport;
  CoinNumbers entries_{};
  std::optional<ChannelTexts> toWrite_;
  bool finished_ = false;
  SessionResult result_;
};

}  // namespace hopper::cli
