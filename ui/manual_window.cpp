#include "ui/manual_window.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>

#include "ui/twips.h"
#include "ui/window_icon.h"

// The logo lives in a resource of the assets library; naming it here keeps it linked in.
static void InitManualResources() { Q_INIT_RESOURCE(manual); }

namespace hopper {

namespace {

// A fixed caption line. It may grow to its text where the system font is wider than the one
// the layout was drawn for, so no caption is ever cut off.
QLabel* AddLabel(QWidget* parent, const char* name, const QString& text, QRect geometry) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QLatin1String(name));
  label->setTextFormat(Qt::PlainText);
  const QSize needed = label->sizeHint();
  geometry.setWidth(qMax(geometry.width(), needed.width()));
  geometry.setHeight(qMax(geometry.height(), needed.height()));
  label->setGeometry(geometry);
  return label;
}

}  // namespace

ManualWindow::ManualWindow(QWidget* parent) : QWidget(parent) {
  InitManualResources();
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(QStringLiteral("Manual"));
  setWindowIcon(ToolWindowIcon());
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(Px(6165), Px(6945));

  auto* picture = new QLabel(this);
  picture->setObjectName(QStringLiteral("Picture1"));
  picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  picture->setPixmap(QPixmap(QStringLiteral(":/manual/logo.png")));
  picture->setGeometry(TwipsRect(240, 240, 1575, 1215));

  BuildVersionFrame();

  auto* rule = new QFrame(this);
  rule->setObjectName(QStringLiteral("Line1"));
  rule->setFrameStyle(QFrame::HLine | QFrame::Plain);
  rule->setGeometry(0, Px(2040), Px(6000) + 1, 1);

  BuildInstructionFrame();

  auto* closeButton = new QPushButton(QStringLiteral("&Close"), this);
  closeButton->setObjectName(QStringLiteral("Command1"));
  closeButton->setGeometry(TwipsRect(5160, 6480, 855, 375));
  connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
}

void ManualWindow::BuildVersionFrame() {
  auto* frame = new QGroupBox(QStringLiteral("Version"), this);
  frame->setObjectName(QStringLiteral("Frame1"));
  frame->setGeometry(TwipsRect(2040, 0, 3975, 1815));
  AddLabel(frame, "Label1", QStringLiteral("APPLY PRODUCT:TZ-808 Vorn+Hopper"), TwipsRect(480, 360, 2955, 180));
  // The firmware identifier holds one "&"; labels here show their text as it is.
  AddLabel(frame, "Label3", QStringLiteral("APPLY FIRMWARE:UP TO KR7&ZQTY51"), TwipsRect(480, 675, 3210, 180));
  AddLabel(frame, "Label2_0", QStringLiteral("APPLY INTERFACE:Vorn001  /  Vorn002"), TwipsRect(480, 1005, 2895, 180));
  AddLabel(frame, "Label2_1", QStringLiteral("SOFTWARE VERSION:1.0"), TwipsRect(480, 1320, 1965, 180));
  AddLabel(frame, "Label4", QStringLiteral("Vorn 2004.07.20"), TwipsRect(2280, 1560, 1140, 180));
}

void ManualWindow::BuildInstructionFrame() {
  auto* frame = new QGroupBox(QStringLiteral("Instruction"), this);
  frame->setObjectName(QStringLiteral("Frame2"));
  frame->setGeometry(TwipsRect(120, 2280, 5895, 4095));

  viewer_ = new QTextEdit(frame);
  viewer_->setObjectName(QStringLiteral("RichTextBox1"));
  viewer_->setGeometry(TwipsRect(120, 240, 5655, 3735));
  // The manual is only read: edits would be lost on close, so none are taken.
  viewer_->setReadOnly(true);
  viewer_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  viewer_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  QPalette palette = viewer_->palette();
  palette.setColor(QPalette::Base, QColor(192, 192, 192));
  palette.setColor(QPalette::Text, Qt::black);
  viewer_->setPalette(palette);
}

RtfFileStatus ManualWindow::LoadManual(const QString& path) {
  const RtfFileStatus status = RtfReader::ReadFile(path, viewer_->document());
  // The manual opens at its beginning, not where reading it left off.
  viewer_->moveCursor(QTextCursor::Start);
  viewer_->ensureCursorVisible();
  return status;
}

void ManualWindow::closeEvent(QCloseEvent* event) {
  // The main window is brought back while this one is still visible, so the program never
  // passes through a moment without a window and does not end.
  emit Unloaded();
  event->accept();
}

}  // namespace hopper
