#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>

#include "platform/files/settings_store.h"
#include "platform/serial/system_serial.h"
#include "platform/widgets/message_box.h"
#include "ui/added_window.h"
#include "ui/channel_box.h"
#include "ui/channel_frame.h"
#include "ui/dropped_file.h"
#include "ui/fitted_caption.h"
#include "ui/port_chooser.h"
#include "ui/port_selector.h"
#include "ui/twips.h"
#include "ui/window_icon.h"

namespace hopper {

namespace {

const QColor kCreatedStatusColour(0, 0, 192);
constexpr int kFrameKnownMs = 300;

QFont CaptionFont(qreal pointSize) {
  QFont font(QStringLiteral("PMingLiU"));
  font.setPointSizeF(pointSize);
  return font;
}

QAction* AddCommand(QMenu* menu, const QString& caption, const QString& name) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(name);
  return action;
}

}  // namespace

MainWindow::MainWindow(MessageBoxes& messages, std::unique_ptr<SerialPort> port, QWidget* parent)
    : QMainWindow(parent), messages_(messages), link_(new SettingLink(std::move(port), this)) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Hopper Setting Tool"));
  setWindowIcon(ToolWindowIcon());
  // The classic dialog font size, so the captions fit the geometry drawn up for it.
  QFont windowFont = font();
  windowFont.setPointSizeF(8.25);
  setFont(windowFont);
  // Until start-up gives it the stored number, the port carries COM1, as the selector shows.
  Port().SetPortNumber(1);
  link_->SetQuestions(this);
  BuildControls();
  BuildMenu();
  BuildHeldValueControls();
  BuildJournalControls();
  BuildRecordControls();

  setAcceptDrops(true);
  connect(frame_, &ChannelFrame::FileDropped, this, &MainWindow::ParameterFileDropped);
  connect(saveButton_, &QPushButton::clicked, this, &MainWindow::OnSave);
  connect(exitButton_, &QPushButton::clicked, this, &QWidget::close);
  connect(portSelector_, &PortSelector::PortChosen, this, &MainWindow::OnPortChosen);
  connect(link_, &SettingLink::Reported, this, &MainWindow::ShowEvent);
  connect(link_, &SettingLink::Judged, this, &MainWindow::ShowVerdict);
  connect(link_, &SettingLink::DeviceLost, this, &MainWindow::OnDeviceLost);
  connect(link_, &SettingLink::Reconnected, this, &MainWindow::OnReconnected);
  WirePortChoice();
  ShowDeviceTip();

  // Key preview: F1 and F2 are seen before the control that has the focus.
  qApp->installEventFilter(this);
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildControls() {
  auto* client = new QWidget;
  client->setMinimumSize(Px(3315), Px(7230));
  ScrollWhenTooTall(client);

  frame_ = new ChannelFrame(messages_, client);
  frame_->setGeometry(TwipsRect(360, 0, 2655, 6135));

  statusLine_ = new QLabel(client);
  statusLine_->setObjectName(QStringLiteral("Label2"));
  // Wider than drawn up, out to the frame's right edge: the longest captions need the room
  // with the wider fonts of today's desktops.
  statusLine_->setGeometry(TwipsRect(240, 6240, 2775, 255));
  statusLine_->setFont(CaptionFont(kStatusPointSize));
  SetStatus(kCreatedStatusColour, QString());

  saveButton_ = new QPushButton(QStringLiteral("&Save"), client);
  saveButton_->setObjectName(QStringLiteral("Command1"));
  saveButton_->setGeometry(TwipsRect(360, 6480, 600, 375));
  saveButton_->setToolTip(QStringLiteral("Save Setting and Auto Refresh"));

  exitButton_ = new QPushButton(QStringLiteral("&Exit"), client);
  exitButton_->setObjectName(QStringLiteral("Command2"));
  exitButton_->setGeometry(TwipsRect(1200, 6480, 600, 375));

  portSelector_ = new PortSelector(client);
  // The selector has no caption on the window: assistive technology learns it is the port from
  // its name (Windows) and from a label that is never shown (Linux names a combo box by its label).
  portSelector_->setAccessibleName(QStringLiteral("Port"));
  auto* portCaption = new QLabel(QStringLiteral("Port"), client);
  portCaption->setObjectName(QStringLiteral("portCaption"));
  portCaption->setBuddy(portSelector_);
  portCaption->hide();
  portSelector_->move(Px(2160), Px(6480));
  portSelector_->resize(Px(975), portSelector_->sizeHint().height());

  // Where PMingLiU is missing, a face in which both captions stand whole in their buttons.
  const QFont buttonFont = FittingFont(QStringLiteral("PMingLiU"), 12, {QStringLiteral("Save"), QStringLiteral("Exit")},
                                       CaptionRoom(saveButton_));
  saveButton_->setFont(buttonFont);
  exitButton_->setFont(buttonFont);

  QWidget::setTabOrder(frame_->Box(kChannelCount - 1), saveButton_);
  QWidget::setTabOrder(saveButton_, exitButton_);
  QWidget::setTabOrder(exitButton_, portSelector_);
}

void MainWindow::BuildMenu() {
  // Tight items, so the three titles fit the narrow window side by side.
  menuBar()->setStyleSheet(QStringLiteral("QMenuBar { spacing: 0px; } QMenuBar::item { padding: 1px 3px; }"));
  QMenu* parameter = menuBar()->addMenu(QStringLiteral("Parameter"));
  parameter->setObjectName(QStringLiteral("Parameter"));
  openParametersAction_ = AddCommand(parameter, QStringLiteral("Open"), QStringLiteral("Openfile"));
  saveParametersAction_ = AddCommand(parameter, QStringLiteral("Save"), QStringLiteral("Savefile"));
  // The tool's own commands stand below the parameter files, where the narrow window shows
  // them: a fourth title on the menu bar would only be reached through its overflow arrow.
  parameter->addSeparator();
  lineMonitorAction_ = AddCommand(parameter, QStringLiteral("Line &monitor"), QStringLiteral("LineMonitor"));
  lineMonitorAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
  stationAction_ = AddCommand(parameter, QStringLiteral("S&tation\u2026"), QStringLiteral("Station"));
  historyAction_ = AddCommand(parameter, QStringLiteral("&History\u2026"), QStringLiteral("History"));
  portsAction_ = AddCommand(parameter, QStringLiteral("P&orts\u2026"), QStringLiteral("Ports"));
  backupFolderAction_ = AddCommand(parameter, QStringLiteral("&Backup folder"), QStringLiteral("BackupFolder"));
  // The records a technician hands over: the unit's name, sets side by side, the set put back.
  parameter->addSeparator();
  unitAction_ = AddCommand(parameter, QStringLiteral("&Unit\u2026"), QStringLiteral("Unit"));
  unitAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_U));
  compareAction_ = AddCommand(parameter, QStringLiteral("&Compare\u2026"), QStringLiteral("Compare"));
  putBackAction_ =
      AddCommand(parameter, QStringLiteral("&Put back the set before the last save"), QStringLiteral("PutBack"));
  // "[F1]" and "[F2]" are plain text: the keys themselves go through the key preview.
  manualAction_ = menuBar()->addAction(QStringLiteral("[F1]Manual"));
  manualAction_->setObjectName(QStringLiteral("Manual"));
  simulationAction_ = menuBar()->addAction(QStringLiteral("[F2]Simulation"));
  simulationAction_->setObjectName(QStringLiteral("Simulation"));

  // F10 opens the first menu, as on any desktop: the keyboard reaches the menus although
  // their captions carry no access keys.
  auto* menuKey = new QAction(this);
  menuKey->setShortcut(Qt::Key_F10);
  addAction(menuKey);
  connect(menuKey, &QAction::triggered, this,
          [this, parameter] { menuBar()->setActiveAction(parameter->menuAction()); });

  connect(openParametersAction_, &QAction::triggered, this, &MainWindow::OpenParameterFileRequested);
  connect(saveParametersAction_, &QAction::triggered, this, &MainWindow::SaveParameterFileRequested);
  connect(lineMonitorAction_, &QAction::triggered, this, &MainWindow::LineMonitorRequested);
  connect(stationAction_, &QAction::triggered, this, [this] {
    HandOverPort();
    emit StationRequested(Port().PortNumber());
  });
  connect(historyAction_, &QAction::triggered, this, &MainWindow::HistoryRequested);
  connect(portsAction_, &QAction::triggered, this, &MainWindow::OnPortsCommand);
  connect(backupFolderAction_, &QAction::triggered, this, &MainWindow::OpenBackupFolder);
  connect(unitAction_, &QAction::triggered, this, &MainWindow::AskUnit);
  connect(compareAction_, &QAction::triggered, this, &MainWindow::CompareRequested);
  connect(putBackAction_, &QAction::triggered, this, &MainWindow::PutBackLastSet);
  connect(manualAction_, &QAction::triggered, this, &MainWindow::ManualRequested);
  connect(simulationAction_, &QAction::triggered, this, &MainWindow::OnSimulation);
}

void MainWindow::ScrollWhenTooTall(QWidget* client) {
  // On a small screen or at a large scale the controls scroll inside the window rather than
  // run off the screen's bottom; with room enough no scroll bar shows and nothing moves. Put
  // in its place while still empty: moving a whole tree of controls into it costs as much
  // as making them.
  auto* scroll = new QScrollArea(this);
  scroll->setObjectName(QStringLiteral("clientScroll"));
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setFocusPolicy(Qt::NoFocus);  // out of the tab order: boxes, Save, Exit, the port
  scroll->setWidgetResizable(true);
  scroll->setWidget(client);
  setCentralWidget(scroll);
}

void MainWindow::PlaceWindow() {
  // Left 4000, top 300, outer size 3500 x 7600 twips. The client area never shrinks below
  // what the controls need, whatever the window manager's frame takes.
  const QSize frameExtra = frameGeometry().size() - geometry().size();
  move(Px(4000), Px(300));
  resize((QSize(Px(3500), Px(7600)) - frameExtra).expandedTo(minimumSizeHint()));
  KeepWithinScreen(this);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
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

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  KeepWithinScreen(this);
  // The desktop tells the size of its frame a moment after the window shows: look once more then.
  QTimer::singleShot(kFrameKnownMs, this, [this] { KeepWithinScreen(this); });
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (DroppedFile(event->mimeData())) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  if (const std::optional<QString> file = DroppedFile(event->mimeData())) {
    event->acceptProposedAction();
    emit ParameterFileDropped(*file);
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (link_->HandedOver() && !ending_) {
    // The simulation window holds the port; the close box of a disabled window must not end
    // this one before the port comes back.
    event->ignore();
    return;
  }
  // Whatever number the port last took is stored, whether or not it could be opened.
  SettingsStore().SetComPort(Port().PortNumber());
  link_->Close();
  event->accept();
  emit Closing();
}

void MainWindow::CloseAtEnd() {
  ending_ = true;
  close();
}

QString MainWindow::EntryText(int index) const { return frame_->Box(index)->text(); }

void MainWindow::SetEntryText(int index, const QString& text) {
  frame_->Box(index)->setText(text);
  // A value loaded from a file is the technician's own even when the box already showed it.
  if (!writingReceived_) OnEntryChanged(index);
}

}  // namespace hopper
