#include "ui/typed_line.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
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
  if (!typed_.isEmpty() && typed_.begin()->patch.devicePixelRatio() != devicePixelRatioF()) typed_.clear();
  Typed& step = typed_[to];
  if (!step.compared || step.previous != from) Compare(from, Picture(from), step, Picture(to));
  return step.changed;
}

void TypedLine::Compare(const QString& from, const QPixmap& before, Typed& step, const QPixmap& after) {
  const QRect pixels = DifferingPixels(before, after);
  const qreal ratio = after.devicePixelRatio();
  step.changed = pixels.isEmpty()
                     ? QRect()
                     : QRectF(QPointF(pixels.topLeft()) / ratio, QSizeF(pixels.size()) / ratio).toAlignedRect();
  // The patch covers the changed area in whole pixels of the label.
  step.patch =
      after.copy(QRectF(QPointF(step.changed.topLeft()) * ratio, QSizeF(step.changed.size()) * ratio).toRect());
  step.patch.setDevicePixelRatio(ratio);
  step.previous = from;
  step.compared = true;
}

void TypedLine::Prepare(const QString& wholeText) {
  QPixmap before = Picture(QString());
  for (qsizetype length = 1; length <= wholeText.size(); ++length) {
    const QPixmap after = Picture(wholeText.left(length));
    Compare(wholeText.left(length - 1), before, typed_[wholeText.left(length)], after);
    before = after;
  }
}

void TypedLine::Draw(QPainter& painter, const QString& text, const QRect& area) const {
  QStyleOption option;
  option.initFrom(this);
  painter.fillRect(area, option.palette.brush(backgroundRole()));
  painter.setFont(font());
  painter.setLayoutDirection(layoutDirection());
  // What the plain label draws for a caption without mnemonic, frame, margin or indent.
  const int direction = text.isRightToLeft() ? Qt::TextForceRightToLeft : Qt::TextForceLeftToRight;
  const int flags = QStyle::visualAlignment(text.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight, alignment()) |
                    (wordWrap() ? Qt::TextWordWrap : 0) | direction;
  style()->drawItemText(&painter, contentsRect(), flags, option.palette, isEnabled(), text, foregroundRole());
}

QPixmap TypedLine::Picture(const QString& text) const {
  const qreal ratio = devicePixelRatioF();
  QPixmap picture((QSizeF(size()) * ratio).toSize());
  picture.setDevicePixelRatio(ratio);
  // Opaque, as the window beneath is: text is then smoothed as it is on the screen.
  picture.fill(Qt::white);
  QPainter painter(&picture);
  Draw(painter, text, rect());
  return picture;
}

void TypedLine::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const auto step = typed_.constFind(text());
  // A tick repaints only its own changed area; anything else (the window shown or uncovered,
  // two ticks in one repaint) is drawn whole.
  if (step != typed_.constEnd() && step->compared && !step->patch.isNull() && step->changed.contains(event->rect())) {
    painter.drawPixmap(
        event->rect(), step->patch,
        QRectF(QPointF(event->rect().topLeft() - step->changed.topLeft()) * step->patch.devicePixelRatio(),
               QSizeF(event->rect().size()) * step->patch.devicePixelRatio()));
    return;
  }
  Draw(painter, text(), event->rect());
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
      if (!sameWhenActive) typed_.clear();
      break;
    case QEvent::FontChange:
    case QEvent::PaletteChange:
    case QEvent::StyleChange:
    case QEvent::EnabledChange:
    case QEvent::LayoutDirectionChange:
    case QEvent::ParentChange: typed_.clear(); break;
    default: break;
  }
  QLabel::changeEvent(event);
}

void TypedLine::resizeEvent(QResizeEvent* event) {
  typed_.clear();
  QLabel::resizeEvent(event);
}

}  // namespace hopper
