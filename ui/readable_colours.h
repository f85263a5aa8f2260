#pragma once
// The tool's fixed text colours on any desktop theme: the colour stays, and what it stands on
// is made light enough for it.

#include <QColor>

#include "core/colour_contrast.h"

class QWidget;

namespace hopper {

inline Rgb ToRgb(const QColor& c) { return Rgb{c.red(), c.green(), c.blue()}; }
inline QColor ToQColor(Rgb c) { return QColor(c.red, c.green, c.blue); }

// `widget`'s text in `colour`, on the theme's window colour where that is light enough for it,
// else on a lighter ground of its own. A label is given its text first.
void ShowTextInColour(QWidget* widget, const QColor& colour);

}  // namespace hopper
