#pragma once
// The main window (objectName Form1): the channel table, the status line, Save and Exit, the port selector
// and the menu bar. It is the view of the setting link: it shows the link's events on its
// controls and puts the link's questions to the technician.

#include <QMainWindow>
#include <array>
#include <memory>
#include <optional>

#include "core/channel_table.h"
#include "core/link_captions.h"
#include "platform/serial/setting_link.h"
#include "ui/channel_table_view.h"

class QAction;
class QLabel;
class QPushButton;

namespace hopper {

class ChannelBox;
class Journal;
class LinkJournal;
class ScanCatcher;
class ChannelFrame;
class MessageBoxes;
class PortChooser;
class PortSelector;

class MainWindow final : public QMainWindow, public ChannelTableView, private SaveQuestions {
  Q_OBJECT
 public:
  // Without a port the window makes its own on Qt's serial port.
  MainWindow(MessageBoxes& messages, std::unique_ptr<SerialPort> port = nullptr, QWidget* parent = nullptr);
  ~MainWindow() override;

  // The start-up sequence: stored port, placement, port configuration, "Switch on Kavoo",
  // WaitStart. False when the program must end (invalid port or port in use, after the message).
  bool StartUp();
  // StartUp() takes this port number instead of the stored one.
  void StartOnPort(int portNumber) { portOverride_ = portNumber; }

  SerialPort& Port() { return link_->Port(); }
  // The setting link's receive machine, read-only: its state and whether the next block is a
  // read-back.
  const ReceiveMachine& Link() const { return link_->Machine(); }

  // The link records its line and its events there from now on; once, before StartUp().
  void SetLineRecorder(LineRecorder* recorder) { link_->SetLineRecorder(recorder); }
  // Where the copy of the hopper's values goes before each save.
  void SetBackupStore(const BackupStore& store) { link_->SetBackupStore(store); }
  // What the hopper last confirmed, and how the last save's read-back compared.
  const HeldValues& Held() const { return link_->Held(); }
  // The last save's verdict, the one the mark beside the status line shows.
  const std::optional<Verdict>& LastVerdict() const { return link_->LastVerdict(); }
  // Where the backups go, and the port as they name it.
  const BackupStore& Backups() const { return link_->Backups(); }
  QString PortLabel() const { return link_->PortLabel(); }
  // The link's reports and saves go into `journal` (which outlives the window); the mark under
  // the buttons says when entries wait.
  void AttachJournal(Journal& journal);
  // A set from the journal into the boxes, as a parameter file is loaded.
  void LoadValues(const CoinNumbers& values);
  // The unit's serial, from its label: shown in the title after the caption and kept with every
  // journal entry until the port closes or another is entered. Empty: no unit named.
  void SetUnit(const QString& unit);
  const QString& Unit() const { return unit_; }
  // Parameter > Put back the set before the last save: the newest backup of this port's
  // hopper into the boxes, asking first when they hold edits not yet saved.
  void PutBackLastSet();
  // What "Choose a port…" and "Ports…" open; the port assignment window unless a test says else.
  void SetPortChooser(std::unique_ptr<PortChooser> chooser);

  // The hand-back from the simulation window: the link waits for a start byte with the next
  // block taken as a read-back, the window is enabled and its port reopened on its own number.
  // A failure is reported as at start-up, but the window stays: port closed, red status line.
  void ReturnPort();
  // The close of a program that ends: as Exit, even while the simulation window has the port,
  // which then gives back nothing to reopen.
  void CloseAtEnd();

  // ChannelTableView
  QString EntryText(int index) const override;
  void SetEntryText(int index, const QString& text) override;
  QWidget* DialogParent() override { return this; }

  // The status line's font size; a caption too long for the line is set smaller.
  static constexpr double kStatusPointSize = 8.25;
  // Beside the status line after a save the hopper read back exactly.
  static constexpr QChar kVerifiedMark{u'\u2713'};

 signals:
  void ManualRequested();
  // The port is closed and the window disabled; the simulation window takes the port.
  void SimulationRequested(int portNumber);
  // Parameter > Station…: the port is handed over as to the simulation window; ReturnPort() takes it back.
  void StationRequested(int portNumber);
  void OpenParameterFileRequested();
  void LineMonitorRequested();
  void SaveParameterFileRequested();
  // A file was dropped onto the window: it is loaded as "Open" loads a chosen one.
  void ParameterFileDropped(const QString& path);
  void HistoryRequested();
  void CompareRequested();
  // The window is closing; its port number has been stored.
  void Closing();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // Construction (main_window.cpp)
  void BuildControls();
  void BuildMenu();
  void ScrollWhenTooTall(QWidget* client);
  void PlaceWindow();

  // The link's events on the controls (main_window_link.cpp)
  void ShowEvent(const LinkEvent& event);
  void ShowStatus(StatusColour colour, const QString& caption);
  void SetStatus(const QColor& colour, const QString& caption);
  void ShowReceived(int index, int value);
  void OnSave();
  void OnReceiveWatchExpired();
  void SetInputsLocked(bool locked);

  // The port (main_window_port.cpp)
  OpenOutcome OpenPort();
  void StartOverAfterTrouble();
  void OnPortChosen(int index);
  void OnDeviceLost(const QString& why);
  void OnReconnected(const OpenOutcome& outcome);
  void OnSimulation();
  void HandOverPort();
  void ShowDeviceTip();
  // The line settings the driver did not take, for the status line's tool tip (empty when none)
  // and the port assignment window, after an opening that succeeded.
  QString LineTroubleTip();
  void ShowLineTrouble(const OpenOutcome& outcome);
  void ShowPortTrouble(const OpenOutcome& outcome);

  // Choosing the device behind a port, and coming back after a replug (main_window_port_choice.cpp)
  void WirePortChoice();
  OpenOutcome OfferPortChoice(OpenOutcome outcome);
  void OpenAndReport();
  void UsePortNumber(int portNumber);
  void OnPortsCommand();

  // What the hopper holds (main_window_held.cpp)
  void BuildHeldValueControls();
  bool SaveUnconfirmed(const std::vector<int>& channels) override;
  bool SaveWithoutBackup(const QString& why) override;
  void ShowHeldMarks();
  // The mark beside the status line: the last save's verdict; gone when the link starts over.
  void ShowVerdict(const Verdict& verdict);
  void ClearVerdictMark();
  void OnEntryChanged(int index);
  void OpenBackupFolder();

  // The journal (main_window_journal.cpp)
  void BuildJournalControls();

  // The unit, Compare and the set before the last save (main_window_records.cpp)
  void BuildRecordControls();
  void AskUnit();
  bool HoldsUnsavedEdits() const;

  // The controls, named by what they do; each carries its historic name as its objectName
  // (Label2, Command1, Command2, Combo1, Openfile, Savefile, Manual, Simulation), so automation
  // finds them as it always has. The channel boxes Text1_0 to Text1_15 belong to frame_; the
  // watches Timer1 and Timer3 to the link.
  QLabel* statusLine_ = nullptr;
  QPushButton* saveButton_ = nullptr;  // "&Save"
  QPushButton* exitButton_ = nullptr;  // "&Exit"
  PortSelector* portSelector_ = nullptr;
  QAction* openParametersAction_ = nullptr;  // Parameter > Open
  QAction* saveParametersAction_ = nullptr;  // Parameter > Save
  QAction* manualAction_ = nullptr;          // "[F1]Manual"
  QAction* simulationAction_ = nullptr;      // "[F2]Simulation"
  QAction* lineMonitorAction_ = nullptr;     // Parameter > Line monitor (Ctrl+L)
  QAction* backupFolderAction_ = nullptr;    // Parameter > Backup folder
  QAction* stationAction_ = nullptr;         // Parameter > Station…
  QAction* portsAction_ = nullptr;           // Parameter > Ports…: the port assignment window
  QLabel* verifyMark_ = nullptr;             // beside the status line: how the last save read back
  QAction* historyAction_ = nullptr;         // Parameter > History…
  QLabel* journalMark_ = nullptr;            // under the buttons: "journal: 3 entries waiting"
  QAction* unitAction_ = nullptr;            // Parameter > Unit… (Ctrl+U)
  QAction* compareAction_ = nullptr;         // Parameter > Compare…
  QAction* putBackAction_ = nullptr;         // Parameter > Put back the set before the last save

  MessageBoxes& messages_;
  SettingLink* link_;
  ChannelFrame* frame_ = nullptr;
  QWidget* parkedFocus_ = nullptr;  // the button that had the focus while inputs are locked
  bool ending_ = false;             // the program ends with this close
  QWidget* focusBeforeHandOver_ = nullptr;
  bool writingReceived_ = false;  // the link, not the technician, is changing a box
  std::unique_ptr<PortChooser> chooser_;
  std::optional<int> portOverride_;
  bool receiveErrorOpen_ = false;  // the receive watch's box is up
  ScanCatcher* scans_ = nullptr;
  LinkJournal* linkJournal_ = nullptr;
  QString unit_;
};

}  // namespace hopper
