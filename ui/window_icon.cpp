#include "ui/window_icon.h"

#include <QIconEngine>
#include <QPainter>
#include <QPixmap>

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

namespace {

constexpr int kIconSizes[] = {16, 32, 48};

// The coin at the usual icon sizes, drawn the first time an icon of it is asked for: a window
// shows before the desktop asks, and an offscreen one never does.
class CoinIconEngine final : public QIconEngine {
 public:
  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    Icon().paint(painter, rect, Qt::AlignCenter, mode, state);
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return Icon().pixmap(size, mode, state);
  }
  QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return Icon().actualSize(size, mode, state);
  }
  QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
    QList<QSize> sizes;
    for (int size : kIconSizes) sizes << QSize(size, size);
    return sizes;
  }
  bool isNull() override { return false; }
  QIconEngine* clone() const override { return new CoinIconEngine(*this); }
  QString key() const override { return QStringLiteral("hopper-coin"); }

 private:
  const QIcon& Icon() {
    if (icon_.isNull())
      for (int size : kIconSizes) icon_.addPixmap(ToolIconPixmap(size));
    return icon_;
  }

  QIcon icon_;
};

}  // namespace

QIcon ToolWindowIcon() { return QIcon(new CoinIconEngine); }

}  // namespace hopper
