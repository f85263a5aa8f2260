#include "ui/deferred_icon_style.h"

#include <QIconEngine>
#include <QPainter>
#include <QPointer>

namespace hopper {

namespace {

// Stands for a standard icon of `style` and asks the style for it the first time it is needed.
class DeferredIconEngine final : public QIconEngine {
 public:
  DeferredIconEngine(QStyle* style, QStyle::StandardPixmap which) : style_(style), which_(which) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    Icon().paint(painter, rect, Qt::AlignCenter, mode, state);
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return Icon().pixmap(size, mode, state);
  }
  QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return Icon().actualSize(size, mode, state);
  }
  QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
    return Icon().availableSizes(mode, state);
  }
  // An icon of the style is there: asked before it is drawn (as a tool button does), it is not
  // read for the answer.
  bool isNull() override { return read_ ? icon_.isNull() : !style_; }
  QIconEngine* clone() const override { return new DeferredIconEngine(*this); }
  QString key() const override { return QStringLiteral("hopper-deferred"); }

 private:
  const QIcon& Icon() {
    if (!read_ && style_) icon_ = style_->standardIcon(which_);
    read_ = true;
    return icon_;
  }

  QPointer<QStyle> style_;
  QStyle::StandardPixmap which_;
  QIcon icon_;
  bool read_ = false;
};

}  // namespace

QIcon DeferredIconStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption* option,
                                      const QWidget* widget) const {
  if (standardIcon == SP_ToolBarHorizontalExtensionButton || standardIcon == SP_ToolBarVerticalExtensionButton)
    return QIcon(new DeferredIconEngine(baseStyle(), standardIcon));
  return QProxyStyle::standardIcon(standardIcon, option, widget);
}

}  // namespace hopper
