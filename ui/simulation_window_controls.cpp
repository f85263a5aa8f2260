// The controls of the simulation window, placed as it was drawn: in twips, 15 to a pixel.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include "ui/fitted_caption.h"
#include "ui/simulation_window.h"
#include "ui/twips.h"
#include "ui/typed_line.h"

namespace hopper {

namespace {

QLabel* PictureLabel(QWidget* parent, const char* name, const QString& resource, QRect area) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setPixmap(QPixmap(resource));
  label->setGeometry(area);
  return label;
}

}  // namespace

void SimulationWindow::BuildControls() {
  promptLine_ = new TypedLine(this);
  promptLine_->setObjectName(QStringLiteral("Label1"));
  promptLine_->setGeometry(TwipsRect(0, 0, 3615, 495));
  promptLine_->setWordWrap(true);
  promptLine_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  auto* startUpButton = new QPushButton(QStringLiteral("Start up"), this);
  startUpButton->setObjectName(QStringLiteral("Command2"));
  startUpButton->setGeometry(TwipsRect(240, 480, 1095, 375));
  connect(startUpButton, &QPushButton::clicked, this, &SimulationWindow::StartUpPressed);

  auto* dispenseButton = new QPushButton(QStringLiteral("Dispense"), this);
  dispenseButton->setObjectName(QStringLiteral("Command1"));
  dispenseButton->setGeometry(TwipsRect(2400, 480, 1095, 375));
  connect(dispenseButton, &QPushButton::clicked, this, &SimulationWindow::DispensePressed);

  auto* channelCaption = new QLabel(QStringLiteral("Channel"), this);
  channelCaption->setObjectName(QStringLiteral("Label5"));
  channelCaption->setGeometry(TwipsRect(1080, 1440, 615, 255));
  FitCaption(channelCaption, channelCaption->font().pointSizeF());

  channelSelector_ = new QComboBox(this);
  channelSelector_->setObjectName(QStringLiteral("Combo2"));
  channelSelector_->setEditable(true);
  channelSelector_->setInsertPolicy(QComboBox::NoInsert);
  for (int n = 1; n <= 16; ++n) channelSelector_->addItem(QString::number(n));
  // The text part shows "1" with no entry of the list chosen yet.
  channelSelector_->setCurrentIndex(-1);
  channelSelector_->setEditText(QStringLiteral("1"));
  channelSelector_->setGeometry(Px(1680), Px(1410), Px(615), channelSelector_->sizeHint().height());
  // Nothing can be typed into the text part: the channel changes only through the list.
  QLineEdit* edit = channelSelector_->lineEdit();
  edit->setReadOnly(true);
  edit->setContextMenuPolicy(Qt::NoContextMenu);
  edit->setAcceptDrops(false);
  // Keys reach the selector first and go on to its text part: both are watched.
  channelSelector_->installEventFilter(this);
  edit->installEventFilter(this);
  connect(channelSelector_, &QComboBox::currentIndexChanged, this, &SimulationWindow::ChannelPicked);

  PictureLabel(this, "Image1", QStringLiteral(":/simulation/unit.png"), TwipsRect(120, 1080, 930, 1530));
  PictureLabel(this, "Image2", QStringLiteral(":/simulation/hopper.png"), TwipsRect(2400, 1200, 1170, 1230));
  animationArea_ = PictureLabel(this, "Image3", QString(), TwipsRect(1200, 1920, 1170, 495));

  auto* closeButton = new QToolButton(this);
  closeButton->setObjectName(QStringLiteral("Command5"));
  closeButton->setText(QStringLiteral("&Close"));
  closeButton->setIcon(QIcon(QStringLiteral(":/simulation/cross.png")));
  closeButton->setIconSize(QSize(16, 16));
  closeButton->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  closeButton->setFocusPolicy(Qt::StrongFocus);
  closeButton->setGeometry(TwipsRect(2850, 2760, 735, 495));
  connect(closeButton, &QToolButton::clicked, this, &QWidget::close);

  setTabOrder(closeButton, channelSelector_);
  setTabOrder(channelSelector_, startUpButton);
  setTabOrder(startUpButton, dispenseButton);
  closeButton->setFocus();
}

}  // namespace hopper
