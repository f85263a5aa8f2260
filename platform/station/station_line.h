#pragma once
// One port of the production station: its own setting link, driven unit after unit. It waits
// for a hopper's power-on report, writes the station's set, checks the read-back, records the
// unit and waits for the next hopper. Nothing on one port waits for another.

#include <QObject>
#include <memory>

#include "core/channel_table.h"
#include "platform/serial/hopper_dialogue.h"
#include "platform/serial/setting_link.h"
#include "platform/station/station_unit.h"

namespace hopper {

struct LineCounts {
  int passed = 0;
  int failed = 0;
  int unverified = 0;
};

class StationLine final : public QObject, private SaveQuestions {
  Q_OBJECT
 public:
  // `name` is how the port is shown; `set` has passed CheckSave.
  StationLine(QString name, std::unique_ptr<SerialPort> port, const ChannelTexts& set, QObject* parent = nullptr);

  OpenOutcome Open() { return link_.Open(); }
  // The port is open: the first hopper may come.
  void Start();
  // The station stops: a save already out is recorded unverified; the port closes.
  void Stop();

  const QString& Name() const { return name_; }
  LineState State() const { return state_; }
  const LineCounts& Counts() const { return counts_; }
  // The last unit finished here, if any.
  const std::optional<UnitRecord>& Last() const { return last_; }
  // Why the adapter is gone, while it is.
  const QString& GoneWhy() const { return goneWhy_; }
  SettingLink& Link() { return link_; }

 signals:
  void StateChanged(hopper::LineState state);
  void UnitFinished(const hopper::UnitRecord& record);

 private:
  // SaveQuestions: a production line carries on; a hopper fresh from assembly holds nothing to keep.
  bool SaveUnconfirmed(const std::vector<int>&) override { return true; }
  bool SaveWithoutBackup(const QString&) override { return true; }

  void OnReportStarted();
  void OnReportRead(const LinkEvent& block);
  void OnBroken(const LinkEvent& event);
  void OnJudged(const Verdict& verdict);
  void Finish(UnitResult result, UnitFault fault, const QString& reason);
  void Enter(LineState state);
  bool InUnit() const;

  QString name_;
  ChannelTexts set_;
  SettingLink link_;
  HopperDialogue dialogue_;
  LineState state_ = LineState::Waiting;
  UnitRecord unit_;  // the unit under way
  LineCounts counts_;
  std::optional<UnitRecord> last_;
  QString goneWhy_;
  bool stopped_ = false;
};

}  // namespace hopper
