#pragma once
// One hopper-cli dialogue on the setting link, the same link the main window shows: this class
// turns the link's events into the steps of a command line run and the save's verdict into its
// end. Reading ends at the hopper's ready byte; writing then saves and ends with the verdict.

#include <QObject>
#include <QString>
#include <QTimer>
#include <optional>

#include "core/channel_table.h"
#include "core/setting_frames.h"
#include "platform/serial/hopper_dialogue.h"
#include "platform/serial/setting_link.h"
#include "tools/cli/exit_codes.h"

namespace hopper::cli {

enum class Step { WaitingForReport, Receiving, Received, Saving, Verified };

struct SessionResult {
  ExitCode code = ExitCode::Done;
  QString error;                        // what went wrong, in one line
  QString advice;                       // what to do about it
  std::optional<CoinNumbers> reported;  // the set of the power-on report
  std::optional<CoinNumbers> written;   // the set of the save frame, once it went out
  std::optional<CoinNumbers> readBack;  // the set the hopper reported after the save
  QString verdict;                      // the save's verdict by its stable name, once judged
};

class HopperSession final : public QObject, private SaveQuestions {
  Q_OBJECT
 public:
  // `link`'s port is open. Before a save the link keeps a backup of the reported set; when it
  // cannot, nothing is written.
  explicit HopperSession(SettingLink& link, QObject* parent = nullptr);

  // Waits up to `timeoutMs` (0: for ever) for the report. With `toWrite`, saves that table once
  // the hopper is ready; the table must have passed CheckSave.
  void Run(int timeoutMs, std::optional<ChannelTexts> toWrite);
  // Ctrl+C: ends now, with the port closed and a word on what reached the hopper.
  void Interrupt();

  const SessionResult& Result() const { return result_; }
  bool IsFinished() const { return finished_; }

 signals:
  void Progress(cli::Step step);
  void Finished();

 private:
  // SaveQuestions
  bool SaveUnconfirmed(const std::vector<int>&) override { return true; }
  bool SaveWithoutBackup(const QString& why) override;

  void OnReady();
  void OnBroken(const LinkEvent& event);
  void OnSaveRefused(const SaveOutcome& outcome);
  void OnJudged(const Verdict& verdict);
  void Fail(ExitCode code, const QString& error, const QString& advice = {});
  void Finish();

  SettingLink& link_;
  HopperDialogue dialogue_;
  QTimer reportWait_;  // --timeout: the hopper must report within it
  Step step_ = Step::WaitingForReport;
  CoinNumbers reported_{};  // the last report whose checksum matched
  QString backupRefusal_;
  bool finished_ = false;
  SessionResult result_;
};

}  // namespace hopper::cli
