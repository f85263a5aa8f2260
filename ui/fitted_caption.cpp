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

}  // namespace hopper
