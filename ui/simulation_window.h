#pragma once
// The simulation window (objectName Form3): drives the hopper in its dispense protocol (start up, pick a
// channel, dispense) on its own serial port, while the main window has handed its port over.

#include <QWidget>
#include <cstdint>
#include <memory>

#include "core/send_animation.h"
#include "core/simulation_prompt.h"
#include "platform/widgets/pictures.h"

class QComboBox;
class QLabel;
class QTimer;

namespace hopper {

class MessageBoxes;
class SerialPort;
class TypedLine;

class SimulationWindow : public QWidget {
  Q_OBJECT
 public:
  // `portNumber` is the number of the port the main window has just closed. Without a
  // `port` the window makes its own serial port. Opening the port is OpenPort()'s job.
  SimulationWindow(int portNumber, MessageBoxes& messages, QString programFolder,
                   std::unique_ptr<SerialPort> port = nullptr, QWidget* parent = nullptr);
  // A window destroyed without being closed still hands the port back.
  ~SimulationWindow() override;

  // Opens the window's port on the main window's port number. When it cannot, says why in
  // a message box and returns false; the owner then closes the window, which hands back.
  bool OpenPort();

  // What the main window's hand-over runs: opens the port and shows the window, or, when the
  // port cannot be opened, closes the window at once so the port goes straight back.
  void Start();

  // The channel byte the next "Dispense" sends: 0x40 + channel index.
  std::int16_t ChannelCode() const { return channelCode_; }

 signals:
  // The window's port is closed: the main window may take its port back.
  void PortHandedBack();

 public slots:
  // Whatever the hopper sent is read and dropped; the port's arrival notice runs it.
  void RepliesArrived();
  // The two timers' ticks, public so that tests can drive them without waiting.
  void AnimationTick();  // the animation timer, 150 ms: the send animation
  void PromptTick();     // the prompt timer, 70 ms: the prompt typing itself out

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void RestartPrompt(std::string_view text);
  void StartUpPressed();
  void DispensePressed();
  void ChannelPicked(int position);
  void StartAnimation();
  void ReportSendFailure();
  void HandBack();

  int portNumber_;
  MessageBoxes& messages_;
  PictureFolder pictures_;
  std::unique_ptr<SerialPort> port_;

  std::int16_t channelCode_;
  PromptTyper prompt_;
  SendAnimation animation_;
  bool handedBack_ = false;

  // The controls that change after building, named by what they do; their objectNames keep
  // the historic Label1, Combo2, Image3, Timer2 and Timer3.
  TypedLine* promptLine_ = nullptr;
  QComboBox* channelSelector_ = nullptr;
  QLabel* animationArea_ = nullptr;  // where the send animation's pictures show
  QTimer* animationTimer_ = nullptr;
  QTimer* promptTimer_ = nullptr;
};

}  // namespace hopper
