#pragma once
// Form1, the main window: the channel table, the status line, Save and Exit, the port selector
// and the menu bar. It owns the serial port of the setting link while it is enabled and feeds
// every received byte to the receive state machine, whose effects it applies to its controls.

#include <QMainWindow>
#include <array>
#include <memory>
#include <optional>

#include "core/channel_table.h"
#include "core/held_values.h"
#include "core/receive_machine.h"
#include "platform/serial/backup_store.h"
#include "platform/serial/serial_port.h"
#include "ui/channel_table_view.h"

class QAction;
class QLabel;
class QPushButton;
class QTimer;

namespace hopper {

class ChannelBox;
class ChannelFrame;
class LineRecorder;
class MessageBoxes;
class PortChooser;
class PortSelector;

class Form1 final : public QMainWindow, public ChannelTableView, private LinkHost {
  Q_OBJECT
 public:
  // Without a port the window makes its own on Qt's serial port.
  Form1(MessageBoxes& messages, std::unique_ptr<SerialPort> port = nullptr, QWidget* parent = nullptr);
  ~Form1() override;

  // The start-up sequence: stored port, placement, port configuration, "Switch on Kavoo",
  // WaitStart. False when the program must end (invalid port or port in use, after the message).
  bool StartUp();
  // StartUp() takes this port number instead of the stored one.
  void StartOnPort(int portNumber) { portOverride_ = portNumber; }

  SerialPort& Port() { return *port_; }
  // The setting link, read-only: its state and whether the next block is a read-back.
  const ReceiveMachine& Link() const { return link_; }

  // Where the link's own events (its start, the watches firing) are recorded beside the traffic.
  void SetLineRecorder(LineRecorder* recorder) { recorder_ = recorder; }
  // Where the copy of the hopper's values goes before each save.
  void SetBackupStore(const BackupStore& store) { backups_ = store; }
  // What the hopper last confirmed, and how the last save's read-back compared.
  const HeldValues& Held() const { return held_; }
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

 signals:
  void ManualRequested();
  // The port is closed and the window disabled; the simulation window takes the port.
  void SimulationRequested(int portNumber);
  void OpenParameterFileRequested();
  void LineMonitorRequested();
  void SaveParameterFileRequested();
  // The window is closing; its port number has been stored.
  void Closing();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Construction (form1.cpp)
  void BuildControls();
  void BuildMenu();
  void PlaceWindow();

  // LinkHost (form1_link.cpp)
  void ShowStatus(StatusColour colour, std::string_view caption) override;
  void SetChannelEntry(int index, const std::string& text) override;
  void SendByte(std::uint8_t byte) override;
  bool SendFrame(std::span<const std::uint8_t> bytes) override;
  bool LineOpen() const override { return port_->IsOpen(); }
  void ArmReceiveWatch() override;
  void ArmResponseWatch() override;
  void ReportWriteFailure() override;
  void DrainInput() override;
  void BlockChecked(bool match) override;

  // The setting link (form1_link.cpp)
  void OnBytesArrived();
  void OnSave();
  void OnResponseWatch();
  void OnReceiveWatch();
  void SetInputsLocked(bool locked);

  // The port (form1_port.cpp)
  void StartLink();
  OpenOutcome OpenPort();
  void ReopenAfterTrouble();
  void OnPortChosen(int index);
  void OnDeviceLost(const QString& why);
  void OnSimulation();
  void ShowDeviceTip();
  void ShowPortTrouble(const OpenOutcome& outcome);

  // Choosing the device behind a port, and coming back after a replug (form1_port_choice.cpp)
  void WirePortChoice();
  OpenOutcome OfferPortChoice(OpenOutcome outcome);
  void OpenAndReport();
  void UsePortNumber(int portNumber);
  void OnPortsCommand();
  void OnDeviceReturned();
  void Reconnect();

  void SetStatus(const QColor& colour, const QString& caption);

  // What the hopper holds (form1_held.cpp)
  void BuildSafeguards();
  bool ConfirmSave();
  void SaveWentOut(const CoinNumbers& sent);
  void ShowVerification();
  void OnEntryChanged(int index);
  void OpenBackupFolder();

  // The controls, named by what they do; each carries its historic name as its objectName
  // (Label2, Command1, Command2, Combo1, Timer1, Timer3, Openfile, Savefile, Manual,
  // Simulation), so automation finds them as it always has. The channel boxes Text1_0 to
  // Text1_15 belong to frame_.
  QLabel* statusLine_ = nullptr;
  QPushButton* saveButton_ = nullptr;  // "&Save"
  QPushButton* exitButton_ = nullptr;  // "&Exit"
  PortSelector* portSelector_ = nullptr;
  QTimer* responseWatch_ = nullptr;
  QTimer* receiveWatch_ = nullptr;
  QAction* openParametersAction_ = nullptr;  // Parameter > Open
  QAction* saveParametersAction_ = nullptr;  // Parameter > Save
  QAction* manualAction_ = nullptr;          // "[F1]Manual"
  QAction* simulationAction_ = nullptr;      // "[F2]Simulation"
  QAction* lineMonitorAction_ = nullptr;     // Parameter > Line monitor (Ctrl+L)
  QAction* backupFolderAction_ = nullptr;    // Parameter > Backup folder
  QAction* portsAction_ = nullptr;           // "P&orts…": the port assignment window
  QLabel* verifyMark_ = nullptr;             // beside the status line: how the last save read back

  MessageBoxes& messages_;
  std::unique_ptr<SerialPort> port_;
  ReceiveMachine link_;  // the only writer of the link's state
  ChannelFrame* frame_ = nullptr;
  QWidget* parkedFocus_ = nullptr;  // the button that had the focus while inputs are locked
  bool handedOver_ = false;         // the simulation window has the port
  bool ending_ = false;             // the program ends with this close
  QWidget* focusBeforeHandOver_ = nullptr;
  bool portTrouble_ = false;  // the status line says the port is not working
  HeldValues held_;
  BackupStore backups_;
  LineRecorder* recorder_ = nullptr;
  bool writingReceived_ = false;  // the link, not the technician, is changing a box
  std::unique_ptr<PortChooser> chooser_;
  bool reconnectPending_ = false;  // the device came back during a save
  std::optional<int> portOverride_;
  bool receiveErrorOpen_ = false;  // the receive watch's box is up
};

}  // namespace hopper
