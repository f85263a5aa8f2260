#pragma once
// Window geometry is drawn up in twips: 1/1440 inch, 15 to a logical pixel at 96 dpi.
// Logical pixels let a high-dpi screen scale the window as a whole.

#include <QPoint>
#include <QRect>
#include <QSize>

namespace hopper {

constexpr int Px(int twips) { return (twips + 7) / 15; }

inline QRect TwipsRect(int left, int top, int width, int height) {
  return QRect(Px(left), Px(top), Px(width), Px(height));
}

}  // namespace hopper
