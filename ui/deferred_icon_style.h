#pragma once
// The program's style: the system's own, unchanged in what it draws, but quicker to the main
// window's first paint. A picture of the style read from a file goes through the image-format
// plugins, which loads every one of them (and the libraries behind them), and two are read
// before that paint:
// - the menu bar makes the button for a menu too wide to show whole as soon as it is made, and
//   reads its icon, for a button that a menu of three items never shows. That icon is read
//   when it is first drawn instead;
// - Fusion draws a group box's frame from a PNG picture. That one is read with the PNG reader
//   alone and left where Fusion finds it.
// Fusion stretches that picture over the whole frame. Qt's raster painter hands a fill of more
// than about a hundred rows out to its thread pool in parts, and the pool starts its threads
// for it at the first paint, which then waits for them. The frame is drawn in bands of fewer
// rows instead, pixel for pixel the same, on the painting thread.

#include <QProxyStyle>

namespace hopper {

class DeferredIconStyle final : public QProxyStyle {
  Q_OBJECT
 public:
  QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption* option = nullptr,
                     const QWidget* widget = nullptr) const override;
  void polish(QApplication* application) override;
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
  using QProxyStyle::polish;
};

}  // namespace hopper
