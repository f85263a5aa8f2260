#include "ui/simulation_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTimer>

#include "core/dispense.h"
#include "platform/serial/dispense_port.h"
#include "platform/serial/serial_port.h"
#include "platform/serial/system_serial.h"
#include "platform/widgets/message_box.h"
#include "ui/fitted_caption.h"
#include "ui/simulation_port_message.h"
#include "ui/twips.h"
#include "ui/typed_line.h"

// The window's pictures are compiled into a library; naming its resources here makes sure
// the linker keeps them.
static void InitSimulationResources() { Q_INIT_RESOURCE(simulation); }

namespace hopper {

namespace {

QString Text(std::string_view text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }

QTimer* MakeTimer(QObject* parent, const char* name, int milliseconds) {
  auto* timer = new QTimer(parent);
  timer->setObjectName(QString::fromLatin1(name));
  timer->setTimerType(Qt::PreciseTimer);
  timer->setInterval(milliseconds);
  return timer;
}

}  // namespace

SimulationWindow::SimulationWindow(int portNumber, MessageBoxes& messages, QString programFolder,
                                   std::unique_ptr<SerialPort> port, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      portNumber_(portNumber),
      messages_(messages),
      pictures_(std::move(programFolder)),
      port_(port ? std::move(port) : MakeSystemSerialPort()),
      channelCode_(kFirstChannelCode) {
  InitSimulationResources();
  setObjectName(QStringLiteral("Form3"));
  setWindowTitle(QStringLiteral("Vorn Protocol Simulation"));
  setWindowIcon(QIcon(QStringLiteral(":/simulation/smiley.png")));
  setFixedSize(Px(3615), Px(3270));
  if (QScreen* screen = this->screen()) move(screen->availableGeometry().center() - rect().center());
  BuildControls();

  // The hopper's replies mean nothing here: whatever arrives is thrown away as it arrives.
  connect(port_.get(), &SerialPort::BytesArrived, this, &SimulationWindow::RepliesArrived);
  animationTimer_ = MakeTimer(this, "Timer2", 150);
  connect(animationTimer_, &QTimer::timeout, this, &SimulationWindow::AnimationTick);
  promptTimer_ = MakeTimer(this, "Timer3", 70);
  connect(promptTimer_, &QTimer::timeout, this, &SimulationWindow::PromptTick);

  // An adapter plugged back in is taken up again without a word, as the main window does.
  connect(port_.get(), &SerialPort::DeviceReturned, this, [this] { port_->Open(); });

  RestartPrompt(kOpeningPrompt);
  promptTimer_->start();
}

SimulationWindow::~SimulationWindow() { HandBack(); }

bool SimulationWindow::OpenPort() {
  port_->SetPortNumber(portNumber_);
  const OpenOutcome outcome = port_->Open();
  if (outcome.result == OpenResult::Opened) return true;
  messages_.Show(this, SimulationPortMessage(portNumber_, outcome));
  return false;
}

void SimulationWindow::Start() {
  if (OpenPort()) {
    show();
  } else {
    close();
  }
}

void SimulationWindow::RestartPrompt(std::string_view text) {
  prompt_.Restart(text);
  // The whole prompt, as it will stand at the end of its cycle, fits the line in any font.
  FitWrappedCaption(promptLine_, Text(text), font().pointSizeF());
  promptLine_->Prepare(Text(text));
}

void SimulationWindow::StartUpPressed() {
  const bool sent = SendStartUp(*port_);
  StartAnimation();
  promptLine_->clear();
  RestartPrompt(kSelectPrompt);
  if (!sent) ReportSendFailure();
}

void SimulationWindow::DispensePressed() {
  StartAnimation();
  if (!SendDispense(*port_, channelCode_)) ReportSendFailure();
}

void SimulationWindow::ChannelPicked(int position) {
  if (position < 0) return;
  channelCode_ = ChannelCodeForPosition(position);
}

void SimulationWindow::StartAnimation() {
  animation_.Restart();
  if (!animationTimer_->isActive()) animationTimer_->start();
}

void SimulationWindow::ReportSendFailure() {
  messages_.Show(this, Message{QStringLiteral("Send Error"), MessageIcon::Exclamation, QString(),
                               QStringLiteral("The command could not be written to COM%1. "
                                              "Close this window and check the port and the cable.")
                                   .arg(portNumber_)});
}

void SimulationWindow::RepliesArrived() { DrainReplies(*port_); }

void SimulationWindow::AnimationTick() {
  const AnimationStep step = animation_.Tick();
  switch (step.effect) {
    case AnimationEffect::Nothing: break;
    case AnimationEffect::ShowPicture: {
      const QPixmap picture = pictures_.Load(Text(step.picture));
      animationArea_->setPixmap(picture);
      // The area takes the picture's own size; its top-left corner stays put.
      if (!picture.isNull()) animationArea_->resize(picture.size());
      break;
    }
    case AnimationEffect::ClearAndStop:
      animationArea_->clear();
      animationTimer_->stop();
      break;
  }
}

void SimulationWindow::PromptTick() { promptLine_->ShowTyped(QString::fromStdString(prompt_.Tick())); }

void SimulationWindow::closeEvent(QCloseEvent* event) {
  HandBack();
  event->accept();
}

bool SimulationWindow::eventFilter(QObject* watched, QEvent* event) {
  if ((watched == channelSelector_ || watched == channelSelector_->lineEdit()) && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    // Every key that types a character (Backspace, Enter and Escape included) is swallowed;
    // the arrow keys go on to the list, and Tab and Shift+Tab move the focus on as anywhere.
    const bool movesFocus = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
    if (!movesFocus && !key->text().isEmpty()) return true;
  }
  return QWidget::eventFilter(watched, event);
}

void SimulationWindow::HandBack() {
  if (handedBack_) return;
  handedBack_ = true;
  animationTimer_->stop();
  promptTimer_->stop();
  port_->Close();
  emit PortHandedBack();
}

}  // namespace hopper
