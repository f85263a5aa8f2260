#include "ui/readable_colours.h"

#include <QApplication>
#include <QLabel>
#include <QPalette>
#include <QWidget>

namespace hopper {

void ShowTextInColour(QWidget* widget, const QColor& colour) {
  // The theme's own colours, not the ones this widget was last given.
  const QColor themeGround = QApplication::palette(widget).color(QPalette::Window);
  const QColor ground = ToQColor(LightGroundFor(ToRgb(colour), ToRgb(themeGround)));
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, colour);
  palette.setColor(QPalette::Window, ground);
  widget->setPalette(palette);
  // An empty label shows no strip of its own.
  const auto* label = qobject_cast<const QLabel*>(widget);
  widget->setAutoFillBackground(ground != themeGround && !(label && label->text().isEmpty()));
}

}  // namespace hopper
