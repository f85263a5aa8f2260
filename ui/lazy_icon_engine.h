#pragma once
// An icon made the first time it is drawn or asked about, not when it is handed over: the
// windows get icons long before the desktop shows them (an offscreen one never does), and
// making one can take as long as reading pictures from files.

#include <QIcon>
#include <QIconEngine>
#include <functional>

namespace hopper {

class LazyIconEngine final : public QIconEngine {
 public:
  explicit LazyIconEngine(std::function<QIcon()> make) : make_(std::move(make)) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
  QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
  QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
  // There is an icon: asked before it is drawn (as a tool button does), it is not made for the
  // answer.
  bool isNull() override { return made_ ? icon_.isNull() : !make_; }
  QIconEngine* clone() const override { return new LazyIconEngine(*this); }
  QString key() const override { return QStringLiteral("hopper-lazy"); }

 private:
  const QIcon& Icon();

  std::function<QIcon()> make_;
  QIcon icon_;
  bool made_ = false;
};

}  // namespace hopper
