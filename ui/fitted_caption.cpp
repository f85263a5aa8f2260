#include "ui/fitted_caption.h"

#include <QFontMetricsF>
#include <QLabel>
#include <algorithm>
#include <functional>

namespace hopper {

namespace {

// The largest size from `pointSize` down, in steps of a quarter point, in which `fits` holds;
// `smallestPointSize` when none does.
void FitFont(QLabel* label, double pointSize, double smallestPointSize, const std::function<bool(const QFont&)>& fits) {
  QFont font = label->font();
  double size = pointSize;
  for (; size > smallestPointSize; size -= 0.25) {
    font.setPointSizeF(size);
    if (fits(font)) break;
  }
  font.setPointSizeF(std::max(size, smallestPointSize));
  label->setFont(font);
}

}  // namespace

void FitCaption(QLabel* label, double pointSize, double smallestPointSize) {
  const double width = label->contentsRect().width();
  const QString text = label->text();
  FitFont(label, pointSize, smallestPointSize,
          [&](const QFont& font) { return QFontMetricsF(font).horizontalAdvance(text) <= width; });
}

bool WrappedTextFits(const QFont& font, const QString& text, QSizeF area) {
  const QRectF needed =
      QFontMetricsF(font).boundingRect(QRectF(QPointF(0, 0), QSizeF(area.width(), 1e6)), Qt::TextWordWrap, text);
  return needed.width() <= area.width() && needed.height() <= area.height();
}

void FitWrappedCaption(QLabel* label, const QString& wholeText, double pointSize, double smallestPointSize) {
  const QSizeF area = label->contentsRect().size();
  FitFont(label, pointSize, smallestPointSize,
          [&](const QFont& font) { return WrappedTextFits(font, wholeText, area); });
}

}  // namespace hopper
