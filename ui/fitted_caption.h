#pragma once
// The windows were drawn up for a narrow classic dialog font. Where the desktop's font is wider
// a caption would be cut off at its label's edge, and a technician could not read the status.

#include <QFont>
#include <QSizeF>
#include <QString>

class QLabel;

namespace hopper {

// Gives the label the largest font, at most `pointSize` and at least `smallestPointSize`, in
// which its whole caption fits the label's width. Call it again after each change of caption.
void FitCaption(QLabel* label, double pointSize, double smallestPointSize = 6.0);

// The same for a label that wraps its text at word boundaries: `wholeText`, the longest text it
// will show, fits the label's width and height in the font it gets.
void FitWrappedCaption(QLabel* label, const QString& wholeText, double pointSize, double smallestPointSize = 5.0);

// True when `text`, wrapped at word boundaries in `font`, fits `area`.
bool WrappedTextFits(const QFont& font, const QString& text, QSizeF area);

}  // namespace hopper
