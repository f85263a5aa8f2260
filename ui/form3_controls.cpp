// The controls of the simulation window, placed as it was drawn: in twips, 15 to a pixel.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include "ui/fitted_caption.h"
#include "ui/form3.h"
#include "ui/typed_line.h"

namespace hopper {

namespace {

constexpr int Px(int twips) { return twips / 15; }
QRect TwipRect(int left, int top, int width, int height) {
  return QRect(Px(left), Px(top), Px(width), Px(height));
}

QLabel* PictureLabel(QWidget* parent, const char* name, const QString& resource, QRect area) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setPixmap(QPixmap(resource));
  label->setGeometry(area);
  return label;
}

}  // namespace

void Form3::BuildControls() {
  label1_ = new TypedLine(this);
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
  FitCaption(label5, label5->font().pointSizeF());

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
  // Keys reach the selector first and go on to its text part: both are watched.
  combo2_->installEventFilter(this);
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

}  // namespace hopper
