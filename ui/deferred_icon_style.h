#pragma once
// The program's style: the system's own, unchanged but for one thing. The menu bar makes the
// button for a menu too wide to show whole as soon as it is made, and its icon is read from the
// style's pictures through the image-format plugins, which loads every one of them (and the
// libraries behind them) before the main window's first paint, for a button that a menu of
// three items never shows. That icon is read when it is first drawn instead.

#include <QProxyStyle>

namespace hopper {

class DeferredIconStyle final : public QProxyStyle {
  Q_OBJECT
 public:
  QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption* option = nullptr,
                     const QWidget* widget = nullptr) const override;
};

}  // namespace hopper
