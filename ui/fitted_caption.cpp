#include "ui/fitted_caption.h"

#include <QFontMetricsF>
#include <QLabel>
#include <algorithm>

namespace hopper {

void FitCaption(QLabel* label, double pointSize, double smallestPointSize) {
  QFont font = label->font();
  const double width = label->contentsRect().width();
  double size = pointSize;
  for (; size > smallestPointSize; size -= 0.25) {
    font.setPointSizeF(size);
    if (QFontMetricsF(font).horizontalAdvance(label->text()) <= width) break;
  }
  font.setPointSizeF(std::max(size, smallestPointSize));
  label->setFont(font);
}

bool WrappedTextFits(const QFont& font, const QString& text, QSizeF area) {
  const QRectF needed = QFontMetricsF(font).boundingRect(QRectF(QPointF(0, 0), QSizeF(area.width(), 1e6)),
                                                         Qt::TextWordWrap, text);
  return needed.width() <= area.width() && needed.height() <= area.height();
}

void FitWrappedCaption(QLabel* label, const QString& wholeText, double pointSize, double smallestPointSize) {
  QFont font = label->font();
  const QSizeF area = label->contentsRect().size();
  double size = pointSize;
  for (; size > smallestPointSize; size -= 0.25) {
    font.setPointSizeF(size);
    if (WrappedTextFits(font, wholeText, area)) break;
  }
  font.setPointSizeF(std::max(size, smallestPointSize));
  label->setFont(font);
}

}  // namespace hopper
