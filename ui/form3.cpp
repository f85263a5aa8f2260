#include "ui/form3.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

#include "core/dispense.h"
#include "core/link_state.h"
#include "platform/dispense_port.h"
#include "platform/message_box.h"
#include "platform/qt_serial_port.h"
#include "platform/serial_port.h"
#include "ui/simulation_port_message.h"

// The window's pictures are compiled into a library; naming its resources here makes sure
// the linker keeps them.
static void InitSimulationResources() { Q_INIT_RESOURCE(simulation); }

namespace hopper {

namespace {

// The window is laid out in twips, 15 to a pixel.
constexpr int Px(int twips) { return twips / 15; }
QRect TwipRect(int left, int top, int width, int height) {
  return QRect(Px(left), Px(top), Px(width), Px(height));
}

QString Text(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QLabel* PictureLabel(QWidget* parent, const char* name, const QString& resource, QRect area) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setPixmap(QPixmap(resource));
  label->setGeometry(area);
  return label;
}

}  // namespace

Form3::Form3(int portNumber, SharedLink& link, MessageBoxes& messages, QString programFolder,
             std::unique_ptr<SerialPort> port, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      portNumber_(portNumber),
      link_(link),
      messages_(messages),
      pictures_(std::move(programFolder)),
      port_(port ? std::move(port) : std::make_unique<QtSerialPort>()),
      channelCode_(kFirstChannelCode) {
  InitSimulationResources();
  setObjectName(QStringLiteral("Form3"));
  setWindowTitle(QStringLiteral("Vorn Protocol Simulation"));
  setWindowIcon(QIcon(QStringLiteral(":/simulation/smiley.png")));
  setFixedSize(Px(3615), Px(3270));
  if (QScreen* screen = this->screen()) move(screen->availableGeometry().center() - rect().center());
  BuildControls();

  // The window never reacts to the port's receive notice: the poll below is the only reader.
  timer1_ = new QTimer(this);
  timer1_->setObjectName(QStringLiteral("Timer1"));
  timer1_->setTimerType(Qt::PreciseTimer);
  timer1_->setInterval(5);
  connect(timer1_, &QTimer::timeout, this, &Form3::PollTick);
  timer2_ = new QTimer(this);
  timer2_->setObjectName(QStringLiteral("Timer2"));
  timer2_->setTimerType(Qt::PreciseTimer);
  timer2_->setInterval(150);
  connect(timer2_, &QTimer::timeout, this, &Form3::AnimationTick);
  timer3_ = new QTimer(this);
  timer3_->setObjectName(QStringLiteral("Timer3"));
  timer3_->setTimerType(Qt::PreciseTimer);
  timer3_->setInterval(70);
  connect(timer3_, &QTimer::timeout, this, &Form3::PromptTick);

  prompt_.Restart(kOpeningPrompt);
  timer1_->start();
  timer3_->start();
}

Form3::~Form3() { HandBack(); }

void Form3::BuildControls() {
  label1_ = new QLabel(this);
  label1_->setObjectName(QStringLiteral("Label1"));
  label1_->setGeometry(TwipRect(0, 0, 3615, 495));
  label1_->setWordWrap(true);
  label1_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  auto* command2 = new QPushButton(QStringLiteral("Start up"), this);
  command2->setObjectName(QStringLiteral("Command2"));
  command2->setGeometry(TwipRect(240, 480, 1095, 375));
  connect(command2, &QPushButton::clicked, this, &Form3::StartUpPressed);

  auto* command1 = new QPushButton(QStringLiteral("Dispense"), this);
  command1->setObjectName(QStringLiteral("Command1"));
  command1->setGeometry(TwipRect(2400, 480, 1095, 375));
  connect(command1, &QPushButton::clicked, this, &Form3::DispensePressed);

  auto* label5 = new QLabel(QStringLiteral("Channel"), this);
  label5->setObjectName(QStringLiteral("Label5"));
  label5->setGeometry(TwipRect(1080, 1440, 615, 255));

  combo2_ = new QComboBox(this);
  combo2_->setObjectName(QStringLiteral("Combo2"));
  combo2_->setEditable(true);
  combo2_->setInsertPolicy(QComboBox::NoInsert);
  for (int n = 1; n <= 16; ++n) combo2_->addItem(QString::number(n));
  // The text part shows "1" with no entry of the list chosen yet.
  combo2_->setCurrentIndex(-1);
  combo2_->setEditText(QStringLiteral("1"));
  combo2_->setGeometry(Px(1680), Px(1410), Px(615), combo2_->sizeHint().height());
  // Nothing can be typed into the text part: the channel changes only through the list.
  QLineEdit* edit = combo2_->lineEdit();
  edit->setReadOnly(true);
  edit->setContextMenuPolicy(Qt::NoContextMenu);
  edit->setAcceptDrops(false);
  edit->installEventFilter(this);
  connect(combo2_, &QComboBox::currentIndexChanged, this, &Form3::ChannelPicked);

  PictureLabel(this, "Image1", QStringLiteral(":/simulation/unit.png"), TwipRect(120, 1080, 930, 1530));
  PictureLabel(this, "Image2", QStringLiteral(":/simulation/hopper.png"), TwipRect(2400, 1200, 1170, 1230));
  image3_ = PictureLabel(this, "Image3", QString(), TwipRect(1200, 1920, 1170, 495));

  auto* command5 = new QToolButton(this);
  command5->setObjectName(QStringLiteral("Command5"));
  command5->setText(QStringLiteral("&Close"));
  command5->setIcon(QIcon(QStringLiteral(":/simulation/cross.png")));
  command5->setIconSize(QSize(16, 16));
  command5->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  command5->setFocusPolicy(Qt::StrongFocus);
  command5->setGeometry(TwipRect(2850, 2760, 735, 495));
  connect(command5, &QToolButton::clicked, this, &QWidget::close);

  setTabOrder(command5, combo2_);
  setTabOrder(combo2_, command2);
  setTabOrder(command2, command1);
  command5->setFocus();
}

bool Form3::OpenPort() {
  port_->SetPortNumber(portNumber_);
  const OpenOutcome outcome = port_->Open();
  if (outcome.result == OpenResult::Opened) return true;
  messages_.Show(this, SimulationPortMessage(portNumber_, outcome));
  return false;
}

void Form3::StartUpPressed() {
  const bool sent = SendStartUp(*port_);
  StartAnimation();
  label1_->clear();
  prompt_.Restart(kSelectPrompt);
  if (!sent) ReportSendFailure();
}

void Form3::DispensePressed() {
  StartAnimation();
  if (!SendDispense(*port_, channelCode_)) ReportSendFailure();
}

void Form3::ChannelPicked(int position) {
  if (position < 0) return;
  channelCode_ = ChannelCodeForPosition(position);
}

void Form3::StartAnimation() {
  animation_.Restart();
  if (!timer2_->isActive()) timer2_->start();
}

void Form3::ReportSendFailure() {
  messages_.Show(this, Message{QStringLiteral("Send Error"), MessageIcon::Exclamation, QString(),
                               QStringLiteral("The command could not be written to COM%1. "
                                              "Close this window and check the port and the cable.")
                                   .arg(portNumber_)});
}

void Form3::PollTick() { DrainReplies(*port_); }

void Form3::AnimationTick() {
  const AnimationStep step = animation_.Tick();
  switch (step.effect) {
    case AnimationEffect::Nothing: break;
    case AnimationEffect::ShowPicture: {
      const QPixmap picture = pictures_.Load(Text(step.picture));
      image3_->setPixmap(picture);
      // The area takes the picture's own size; its top-left corner stays put.
      if (!picture.isNull()) image3_->resize(picture.size());
      break;
    }
    case AnimationEffect::ClearAndStop:
      image3_->clear();
      timer2_->stop();
      break;
  }
}

void Form3::PromptTick() { label1_->setText(QString::fromStdString(prompt_.Tick())); }

void Form3::closeEvent(QCloseEvent* event) {
  HandBack();
  event->accept();
}

bool Form3::eventFilter(QObject* watched, QEvent* event) {
  if (watched == combo2_->lineEdit() && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    // Every key that types a character (Backspace, Enter and Escape included) is swallowed;
    // the arrow keys go on to the list.
    if (!key->text().isEmpty()) return true;
  }
  return QWidget::eventFilter(watched, event);
}

void Form3::HandBack() {
  if (handedBack_) return;
  handedBack_ = true;
  timer1_->stop();
  timer2_->stop();
  timer3_->stop();
  port_->Close();
  SimulationClosed(link_);
  emit PortHandedBack();
}

}  // namespace hopper
