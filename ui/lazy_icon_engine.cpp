#include "ui/lazy_icon_engine.h"

#include <QPainter>

namespace hopper {

void LazyIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) {
  Icon().paint(painter, rect, Qt::AlignCenter, mode, state);
}

QPixmap LazyIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) {
  return Icon().pixmap(size, mode, state);
}

QSize LazyIconEngine::actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) {
  return Icon().actualSize(size, mode, state);
}

QList<QSize> LazyIconEngine::availableSizes(QIcon::Mode mode, QIcon::State state) {
  return Icon().availableSizes(mode, state);
}

const QIcon& LazyIconEngine::Icon() {
  if (!made_ && make_) icon_ = make_();
  made_ = true;
  return icon_;
}

}  // namespace hopper
