#include "ui/channel_box.h"

#include <QApplication>
#include <QDropEvent>
#include <QKeyEvent>
#include <optional>

#include "core/channel_table.h"
#include "ui/dropped_file.h"
#include "ui/qstring_view.h"
#include "ui/readable_colours.h"

namespace hopper {

namespace {

// The focus ring speaks in the classic key numbers; Qt's keys are translated here.
int ClassicKeyCode(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return kKeyEnter;
    case Qt::Key_Left: return kKeyLeft;
    case Qt::Key_Up: return kKeyUp;
    case Qt::Key_Right: return kKeyRight;
    case Qt::Key_Down: return kKeyDown;
    default: return 0;
  }
}

// A key that types a printable character (not a shortcut such as Ctrl+V, not Backspace or Tab).
bool TypesCharacter(const QKeyEvent& event, char32_t& code) {
  if (event.modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) return false;
  const QList<uint> codes = event.text().toUcs4();
  if (codes.isEmpty()) return false;
  code = codes.first();
  return code >= 0x20 && code != 0x7F;
}

}  // namespace

ChannelBox::ChannelBox(int index, QWidget* parent) : QLineEdit(ToQString(kResetEntry), parent), index_(index) {
  setObjectName(QStringLiteral("Text1_%1").arg(index));
  setMaxLength(static_cast<int>(kMaxEntryLength));
}

void ChannelBox::SetMark(const ChannelMarkText& mark) {
  setToolTip(QString::fromStdString(mark.tip));
  if (mark.mark == mark_) return;
  mark_ = mark.mark;
  QPalette shades = QApplication::palette(this);
  // Pale tints: changed, from a failed block, not as sent, from another hopper. A mark sets the
  // digits' colour too, so a dark theme's light text never stands on a pale tint.
  std::optional<QColor> tint;
  switch (mark_) {
    case ChannelMark::None: break;
    case ChannelMark::Changed: tint = QColor(255, 244, 184); break;
    case ChannelMark::Unconfirmed: tint = QColor(255, 214, 160); break;
    case ChannelMark::Differs: tint = QColor(255, 190, 190); break;
    case ChannelMark::OtherHopper: tint = QColor(214, 224, 255); break;
  }
  if (tint) {
    shades.setColor(QPalette::Base, *tint);
    shades.setColor(QPalette::Text, ToQColor(TextFor(ToRgb(*tint))));
  }
  setPalette(shades);
}

void ChannelBox::keyPressEvent(QKeyEvent* event) {
  // Shift, Ctrl and Alt do not matter to the ring: the arrows never move the caret.
  if (const auto target = FocusTarget(index_, ClassicKeyCode(event->key()))) {
    event->accept();
    emit FocusMoveRequested(*target);
    return;
  }
  char32_t code = 0;
  if (TypesCharacter(*event, code) && !CharacterPasses(code)) {
    event->accept();  // dropped: it never reaches the box and shows no message
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void ChannelBox::dragEnterEvent(QDragEnterEvent* event) {
  if (DroppedFile(event->mimeData())) event->acceptProposedAction();
  else if (BoxTakesDroppedText(event->mimeData())) QLineEdit::dragEnterEvent(event);
  else event->ignore();
}

void ChannelBox::dragMoveEvent(QDragMoveEvent* event) {
  if (DroppedFile(event->mimeData())) event->acceptProposedAction();
  else if (BoxTakesDroppedText(event->mimeData())) QLineEdit::dragMoveEvent(event);
  else event->ignore();
}

void ChannelBox::dropEvent(QDropEvent* event) {
  if (const std::optional<QString> file = DroppedFile(event->mimeData())) {
    event->acceptProposedAction();
    emit FileDropped(*file);
  } else if (BoxTakesDroppedText(event->mimeData())) {
    QLineEdit::dropEvent(event);
  } else {
    event->ignore();
  }
}

}  // namespace hopper
