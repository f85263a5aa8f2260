#include "ui/window_icon.h"

#include <QPainter>
#include <QPixmap>

#include "ui/lazy_icon_engine.h"

namespace hopper {

QPixmap ToolIconPixmap(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal rim = size / 16.0;
  const QRectF coin(rim, rim, size - 2 * rim, size - 2 * rim);
  painter.setPen(QPen(QColor(120, 90, 10), rim));
  painter.setBrush(QColor(230, 190, 40));
  painter.drawEllipse(coin);
  painter.setPen(QPen(QColor(120, 90, 10), rim));
  painter.setBrush(Qt::NoBrush);
  painter.drawEllipse(coin.adjusted(3 * rim, 3 * rim, -3 * rim, -3 * rim));
  return pixmap;
}

// Drawn the first time it is asked for: a window shows before the desktop asks for its icon.
QIcon ToolWindowIcon() {
  return QIcon(new LazyIconEngine([] {
    QIcon icon;
    for (int size : {16, 32, 48}) icon.addPixmap(ToolIconPixmap(size));
    return icon;
  }));
}

}  // namespace hopper
