#include "ui/typed_line.h"

#include <QEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QStyle>
#include <QStyleOption>

namespace hopper {

namespace {

// The smallest rectangle holding every pixel in which the two pictures differ.
QRect DifferingPixels(const QPixmap& one, const QPixmap& other) {
  const QImage a = one.toImage().convertToFormat(QImage::Format_ARGB32);
  const QImage b = other.toImage().convertToFormat(QImage::Format_ARGB32);
  if (a.size() != b.size()) return a.rect() | b.rect();
  QRect area;
  for (int y = 0; y < a.height(); ++y) {
    const auto* lineA = reinterpret_cast<const QRgb*>(a.constScanLine(y));
    const auto* lineB = reinterpret_cast<const QRgb*>(b.constScanLine(y));
    for (int x = 0; x < a.width(); ++x)
      if (lineA[x] != lineB[x]) area |= QRect(x, y, 1, 1);
  }
  return area;
}

}  // namespace

TypedLine::TypedLine(QWidget* parent) : QLabel(parent) {
  // Each picture holds the background as well: nothing beneath needs painting first.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TypedLine::ShowTyped(const QString& text) {
  if (text == this->text()) return;
  if (!updatesEnabled()) {
    setText(text);  // whoever held the updates back repaints when they let them go
    return;
  }
  const QRect changed = ChangedArea(this->text(), text);
  // setText() would repaint the whole label, and with it the buttons its bottom edge touches.
  setAttribute(Qt::WA_UpdatesDisabled, true);
  setText(text);
  setAttribute(Qt::WA_UpdatesDisabled, false);
  update(changed);
}

QRect TypedLine::ChangedArea(const QString& from, const QString& to) {
  const QPixmap before = DrawnText(from).picture;
  Drawn& after = DrawnText(to);
  if (!after.compared || after.previous != from) {
    const QRect pixels = DifferingPixels(before, after.picture);
    const qreal ratio = after.picture.devicePixelRatio();
    after.changed = pixels.isEmpty() ? QRect()
                                     : QRectF(QPointF(pixels.topLeft()) / ratio, QSizeF(pixels.size()) / ratio)
                                           .toAlignedRect();
    after.previous = from;
    after.compared = true;
  }
  return after.changed;
}

void TypedLine::Prepare(const QString& wholeText) {
  for (qsizetype length = 1; length <= wholeText.size(); ++length)
    ChangedArea(wholeText.left(length - 1), wholeText.left(length));
}

TypedLine::Drawn& TypedLine::DrawnText(const QString& text) {
  // A window moved to a screen of another pixel density draws everything anew.
  if (!drawn_.isEmpty() && drawn_.begin()->picture.devicePixelRatio() != devicePixelRatioF()) drawn_.clear();
  auto found = drawn_.find(text);
  if (found != drawn_.end()) return *found;
  Drawn drawn;
  const qreal ratio = devicePixelRatioF();
  drawn.picture = QPixmap((QSizeF(size()) * ratio).toSize());
  drawn.picture.setDevicePixelRatio(ratio);
  QStyleOption option;
  option.initFrom(this);
  // Opaque, as the window beneath is: text is then smoothed as it is on the screen.
  drawn.picture.fill(option.palette.color(backgroundRole()));
  QPainter painter(&drawn.picture);
  painter.setFont(font());
  painter.setLayoutDirection(layoutDirection());
  // What the plain label draws for a caption without mnemonic, frame, margin or indent.
  const int direction = text.isRightToLeft() ? Qt::TextForceRightToLeft : Qt::TextForceLeftToRight;
  const int flags = QStyle::visualAlignment(text.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight, alignment()) |
                    (wordWrap() ? Qt::TextWordWrap : 0) | direction;
  style()->drawItemText(&painter, contentsRect(), flags, option.palette, isEnabled(), text, foregroundRole());
  painter.end();
  return *drawn_.insert(text, drawn);
}

void TypedLine::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.drawPixmap(event->rect(), DrawnText(text()).picture, event->rect());
}

void TypedLine::changeEvent(QEvent* event) {
  // A new font, palette, style or state draws every caption differently; the window becoming
  // active or inactive does so only where the two states differ in colour.
  const QPalette& colours = palette();
  const bool sameWhenActive =
      colours.color(QPalette::Active, foregroundRole()) == colours.color(QPalette::Inactive, foregroundRole()) &&
      colours.color(QPalette::Active, backgroundRole()) == colours.color(QPalette::Inactive, backgroundRole());
  switch (event->type()) {
    case QEvent::ActivationChange:
      if (!sameWhenActive) drawn_.clear();
      break;
    case QEvent::FontChange:
    case QEvent::PaletteChange:
    case QEvent::StyleChange:
    case QEvent::EnabledChange:
    case QEvent::LayoutDirectionChange:
    case QEvent::ParentChange:
      drawn_.clear();
      break;
    default: break;
  }
  QLabel::changeEvent(event);
}

void TypedLine::resizeEvent(QResizeEvent* event) {
  drawn_.clear();
  QLabel::resizeEvent(event);
}

}  // namespace hopper
