#include "ui/form1.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

#include "platform/widgets/message_box.h"
#include "platform/serial/qt_serial_port.h"
#include "platform/serial/settings_store.h"
#include "ui/channel_box.h"
#include "ui/channel_frame.h"
#include "ui/port_chooser.h"
#include "ui/port_selector.h"
#include "ui/twips.h"
#include "ui/window_icon.h"

namespace hopper {

namespace {

const QColor kCreatedStatusColour(0, 0, 192);

QFont CaptionFont(qreal pointSize) {
  QFont font(QStringLiteral("PMingLiU"));
  font.setPointSizeF(pointSize);
  return font;
}

QTimer* MakeWatch(QObject* parent, const char* name, int intervalMs) {
  auto* timer = new QTimer(parent);
  timer->setObjectName(QString::fromLatin1(name));
  timer->setSingleShot(true);
  // A coarse timer may fire 5% early; the watches must keep their intervals.
  timer->setTimerType(Qt::PreciseTimer);
  timer->setInterval(intervalMs);
  return timer;
}

}  // namespace

Form1::Form1(MessageBoxes& messages, std::unique_ptr<SerialPort> port, QWidget* parent)
    : QMainWindow(parent),
      messages_(messages),
      port_(port ? std::move(port) : std::make_unique<QtSerialPort>()),
      link_(static_cast<LinkHost&>(*this)) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Hopper Setting Tool"));
  setWindowIcon(ToolWindowIcon());
  // The classic dialog font size, so the captions fit the geometry drawn up for it.
  QFont windowFont = font();
  windowFont.setPointSizeF(8.25);
  setFont(windowFont);
  port_->setParent(nullptr);
  // Until start-up gives it the stored number, the port carries COM1, as the selector shows.
  port_->SetPortNumber(1);
  BuildControls();
  BuildMenu();
  BuildSafeguards();
  Timer1 = MakeWatch(this, "Timer1", kResponseWatchMs);
  Timer3 = MakeWatch(this, "Timer3", kReceiveWatchMs);

  connect(Command1, &QPushButton::clicked, this, &Form1::OnSave);
  connect(Command2, &QPushButton::clicked, this, &QWidget::close);
  connect(Combo1, &PortSelector::PortChosen, this, &Form1::OnPortChosen);
  connect(Timer1, &QTimer::timeout, this, &Form1::OnResponseWatch);
  connect(Timer3, &QTimer::timeout, this, &Form1::OnReceiveWatch);
  connect(port_.get(), &SerialPort::BytesArrived, this, &Form1::OnBytesArrived);
  connect(port_.get(), &SerialPort::DeviceLost, this, &Form1::OnDeviceLost);
  WirePortChoice();
  ShowDeviceTip();

  // Key preview: F1 and F2 are seen before the control that has the focus.
  qApp->installEventFilter(this);
}

Form1::~Form1() = default;

void Form1::BuildControls() {
  auto* client = new QWidget(this);
  client->setMinimumSize(Px(3315), Px(7230));
  setCentralWidget(client);

  frame_ = new ChannelFrame(messages_, client);
  frame_->setGeometry(TwipsRect(360, 0, 2655, 6135));
  Text1 = frame_->Boxes();

  Label2 = new QLabel(client);
  Label2->setObjectName(QStringLiteral("Label2"));
  // Wider than drawn up, out to the frame's right edge: the longest captions need the room
  // with the wider fonts of today's desktops.
  Label2->setGeometry(TwipsRect(240, 6240, 2775, 255));
  Label2->setFont(CaptionFont(kStatusPointSize));
  SetStatus(kCreatedStatusColour, QString());

  Command1 = new QPushButton(QStringLiteral("&Save"), client);
  Command1->setObjectName(QStringLiteral("Command1"));
  Command1->setGeometry(TwipsRect(360, 6480, 600, 375));
  Command1->setToolTip(QStringLiteral("Save Setting and Auto Refresh"));
  Command1->setFont(CaptionFont(12));

  Command2 = new QPushButton(QStringLiteral("&Exit"), client);
  Command2->setObjectName(QStringLiteral("Command2"));
  Command2->setGeometry(TwipsRect(1200, 6480, 600, 375));
  Command2->setFont(CaptionFont(12));

  Combo1 = new PortSelector(client);
  Combo1->move(Px(2160), Px(6480));
  Combo1->resize(Px(975), Combo1->sizeHint().height());

  QWidget::setTabOrder(Text1.back(), Command1);
  QWidget::setTabOrder(Command1, Command2);
  QWidget::setTabOrder(Command2, Combo1);
}

void Form1::BuildMenu() {
  // Tight items, so the three titles fit the narrow window side by side.
  menuBar()->setStyleSheet(QStringLiteral("QMenuBar { spacing: 0px; } QMenuBar::item { padding: 1px 3px; }"));
  QMenu* parameter = menuBar()->addMenu(QStringLiteral("Parameter"));
  parameter->setObjectName(QStringLiteral("Parameter"));
  Openfile = parameter->addAction(QStringLiteral("Open"));
  Openfile->setObjectName(QStringLiteral("Openfile"));
  Savefile = parameter->addAction(QStringLiteral("Save"));
  Savefile->setObjectName(QStringLiteral("Savefile"));
  // "[F1]" and "[F2]" are plain text: the keys themselves go through the key preview.
  Manual = menuBar()->addAction(QStringLiteral("[F1]Manual"));
  Manual->setObjectName(QStringLiteral("Manual"));
  Simulation = menuBar()->addAction(QStringLiteral("[F2]Simulation"));
  Simulation->setObjectName(QStringLiteral("Simulation"));

  // F10 opens the first menu, as on any desktop: the keyboard reaches the menus although
  // their captions carry no access keys.
  auto* menuKey = new QAction(this);
  menuKey->setShortcut(Qt::Key_F10);
  addAction(menuKey);
  connect(menuKey, &QAction::triggered, this, [this, parameter] { menuBar()->setActiveAction(parameter->menuAction()); });

  connect(Openfile, &QAction::triggered, this, &Form1::OpenParameterFileRequested);
  connect(Savefile, &QAction::triggered, this, &Form1::SaveParameterFileRequested);
  connect(Manual, &QAction::triggered, this, &Form1::ManualRequested);
  connect(Simulation, &QAction::triggered, this, &Form1::OnSimulation);
}

void Form1::PlaceWindow() {
  // Left 4000, top 300, outer size 3500 x 7600 twips. The client area never shrinks below
  // what the controls need, whatever the window manager's frame takes.
  const QSize frameExtra = frameGeometry().size() - geometry().size();
  move(Px(4000), Px(300));
  resize((QSize(Px(3500), Px(7600)) - frameExtra).expandedTo(minimumSizeHint()));
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && isEnabled()) {
    // A key is delivered first to the focused control, then passed up to its parents:
    // look at the first delivery only.
    QWidget* first = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
    if (watched == first && first && first->window() == this) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_F1) emit ManualRequested();
      if (key == Qt::Key_F2) OnSimulation();
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void Form1::closeEvent(QCloseEvent* event) {
  if (handedOver_) {
    // The simulation window holds the port; the close box of a disabled window must not end
    // this one before the port comes back.
    event->ignore();
    return;
  }
  // Whatever number the port last took is stored, whether or not it could be opened.
  SettingsStore().SetComPort(port_->PortNumber());
  Timer1->stop();
  Timer3->stop();
  port_->Close();
  event->accept();
  emit Closing();
}

QString Form1::EntryText(int index) const { return frame_->Box(index)->text(); }

void Form1::SetEntryText(int index, const QString& text) {
  frame_->Box(index)->setText(text);
  // A value loaded from a file is the technician's own even when the box already showed it.
  if (!writingReceived_) OnEntryChanged(index);
}

}  // namespace hopper
