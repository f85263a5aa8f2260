#pragma once
// The windows were drawn up for a narrow classic dialog font. Where the desktop's font is wider
// a caption would be cut off at its label's edge, and a technician could not read the status.

#include <QFont>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include "platform/files/machine_cache.h"

class QLabel;
class QPushButton;

namespace hopper {

// Gives the label the largest font, at most `pointSize` and at least `smallestPointSize`, in
// which its whole caption fits the label's width. Call it again after each change of caption.
void FitCaption(QLabel* label, double pointSize, double smallestPointSize = 6.0);

// The same for a label that wraps its text at word boundaries: `wholeText`, the longest text it
// will show, fits the label's width and height in the font it gets.
void FitWrappedCaption(QLabel* label, const QString& wholeText, double pointSize, double smallestPointSize = 5.0);

// The face `family` at `pointSize` where this machine has it and every one of `captions` fits
// `width` in it. Otherwise the face of those at hand (that one, the desktop's own, its condensed
// cuts, the usual narrow ones) in which they fit at the largest size up to `pointSize`, at that
// size: so every caption of a kind is drawn whole, and at one size. The answer is kept in
// `kept` for the next start, and a kept one is taken while the captions fit in it.
QFont FittingFont(const QString& family, double pointSize, const QStringList& captions, double width,
                  MachineCache& kept = MachineCache::Program());

// The room a push button leaves for its caption.
double CaptionRoom(const QPushButton* button);

// True when `text`, wrapped at word boundaries in `font`, fits `area`.
bool WrappedTextFits(const QFont& font, const QString& text, QSizeF area);

}  // namespace hopper
