#pragma once
// One hopper's course on a setting link: its power-on report, the ready byte, the save of a set
// and that save's verdict. hopper-cli follows one hopper through it, each port of the station
// one hopper after another; each turns the course into its own steps and its own end.

#include <QObject>
#include <optional>

#include "core/channel_table.h"
#include "platform/serial/setting_link.h"

namespace hopper {

class HopperDialogue final : public QObject {
  Q_OBJECT
 public:
  enum class Stage {
    Waiting,    // for a power-on report
    Receiving,  // the report is coming in
    Ready,      // the hopper is ready; a set to write goes out from an event of its own
    Saving,     // the save is out: only its verdict ends the course
    Ended,
  };

  explicit HopperDialogue(SettingLink& link, QObject* parent = nullptr);

  // Waits for the next hopper's report; once it is ready, `set` (which has passed CheckSave)
  // is saved. Without a set the course ends at the ready byte.
  void Expect(std::optional<ChannelTexts> set);
  // Nothing more is followed until the next Expect().
  void End() { stage_ = Stage::Ended; }
  Stage Current() const { return stage_; }

 signals:
  void ReportStarted();
  // The report's block, its checksum matched: values, header and info bytes.
  void ReportRead(const hopper::LinkEvent& block);
  void Ready();
  // A link error, or a report cut off, before anything was saved: the course has ended.
  void Broken(const hopper::LinkEvent& event);
  // The link did not send the set (a backup kept it back, the port closed): the course has ended.
  void SaveRefused(const hopper::SaveOutcome& outcome);
  void SaveSent();
  void Acknowledged();
  // The save's one verdict: the course has ended.
  void Judged(const hopper::Verdict& verdict);

 private:
  void OnEvent(const LinkEvent& event);
  void OnJudged(const Verdict& verdict);
  void Save();

  SettingLink& link_;
  std::optional<ChannelTexts> set_;
  Stage stage_ = Stage::Ended;
};

}  // namespace hopper
