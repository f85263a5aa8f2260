#include "ui/added_window.h"

#include <QDialog>
#include <QKeySequence>
#include <QScreen>
#include <QShortcut>
#include <QWidget>
#include <QWindow>
#include <algorithm>

#include "ui/window_icon.h"

namespace hopper {

namespace {

QScreen* ScreenOf(const QWidget* window, const QWidget* owner) {
  if (owner && owner->screen()) return owner->screen();
  return window->screen();
}

// What the window manager's frame adds around the client area; nothing known before it is shown.
QSize FrameExtra(const QWidget* window) { return window->frameGeometry().size() - window->geometry().size(); }

void BoundSize(QWidget* window, const QScreen* screen) {
  if (!screen) return;
  const QSize room = screen->availableGeometry().size() - FrameExtra(window);
  const QSize bounded = window->size().boundedTo(room);
  if (bounded != window->size()) window->resize(bounded.expandedTo(window->minimumSize().boundedTo(room)));
}

}  // namespace

void DressAddedWindow(QWidget* window, QWidget* owner) {
  window->setWindowIcon(ToolWindowIcon());
  // A dialog closes on Escape by itself; every other added window does it here.
  if (!qobject_cast<QDialog*>(window) && !window->property("closesOnEscape").toBool()) {
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    QObject::connect(escape, &QShortcut::activated, window, &QWidget::close);
    window->setProperty("closesOnEscape", true);
  }
  if (owner && owner->windowHandle()) {
    window->winId();  // the native window, so the desktop learns whose it is
    if (window->windowHandle()) window->windowHandle()->setTransientParent(owner->windowHandle());
  }
  BoundSize(window, ScreenOf(window, owner));
}

void KeepWithinScreen(QWidget* window) {
  const QScreen* screen = window->screen();
  if (!screen) return;
  BoundSize(window, screen);
  const QRect area = screen->availableGeometry();
  const QRect frame = window->frameGeometry();
  const int x = std::clamp(frame.left(), area.left(), std::max(area.left(), area.right() - frame.width() + 1));
  const int y = std::clamp(frame.top(), area.top(), std::max(area.top(), area.bottom() - frame.height() + 1));
  if (x != frame.left() || y != frame.top()) window->move(x, y);
}

}  // namespace hopper
