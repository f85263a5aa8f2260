#include "ui/fitted_caption.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <algorithm>
#include <functional>

#include "core/size_search.h"

namespace hopper {

namespace {

// The largest size from `pointSize` down, in steps of a quarter point, in which `fits` holds;
// `smallestPointSize` when none does. `guess` is the size at which it is expected to just fit.
void FitFont(QLabel* label, double pointSize, double smallestPointSize, double guess,
             const std::function<bool(const QFont&)>& fits) {
  QFont font = label->font();
  const double size = LargestFittingSize(SizeGrid{pointSize, 0.25, smallestPointSize}, guess, [&](double candidate) {
    font.setPointSizeF(candidate);
    return fits(font);
  });
  font.setPointSizeF(size);
  label->setFont(font);
}

double WidestAdvance(const QFont& font, const QStringList& captions) {
  const QFontMetricsF metrics(font);
  double widest = 0;
  for (const QString& caption : captions) widest = std::max(widest, metrics.horizontalAdvance(caption));
  return widest;
}

// Text grows with the size of its font, about in proportion: measured once at `pointSize`, the
// size at which it would just fit `width` is where to look for the largest one that does.
double ProportionalGuess(double pointSize, double advance, double width) {
  return advance > width ? pointSize * width / advance : pointSize;
}

// The largest size from `pointSize` down, in quarter points, at which every caption fits.
double LargestSizeForCaptions(QFont font, double pointSize, const QStringList& captions, double width) {
  font.setPointSizeF(pointSize);
  const double atTop = WidestAdvance(font, captions);
  if (atTop <= width) return pointSize;
  return LargestFittingSize(SizeGrid{pointSize, 0.25, 6.0}, ProportionalGuess(pointSize, atTop, width),
                            [&](double size) {
                              font.setPointSizeF(size);
                              return WidestAdvance(font, captions) <= width;
                            });
}

}  // namespace

QFont FittingFont(const QString& family, double pointSize, const QStringList& captions, double width) {
  // The named face first, then the desktop's own: a face that fits no better never replaces them.
  // Once one fits at the whole size none can do better, and the rest are not even looked up.
  QFont best;
  double bestSize = 0;
  const auto fitsWhole = [&](const QFont& face) {
    const double size = LargestSizeForCaptions(face, pointSize, captions, width);
    if (size > bestSize) {
      best = face;
      bestSize = size;
    }
    return size >= pointSize;
  };
  const auto chosen = [&] {
    best.setPointSizeF(bestSize);
    return best;
  };
  QFont named(family);
  if (QFontInfo(named).family().compare(family, Qt::CaseInsensitive) == 0 && fitsWhole(named)) return chosen();
  const QString desktop = QApplication::font().family();
  for (int stretch : {int(QFont::Unstretched), int(QFont::SemiCondensed), int(QFont::Condensed)}) {
    QFont face(desktop);
    face.setStretch(stretch);
    if (fitsWhole(face)) return chosen();
  }
  for (const char* narrow : {"Tahoma", "Microsoft Sans Serif", "Liberation Sans Narrow", "Arial Narrow",
                             "DejaVu Sans Condensed", "Noto Sans"}) {
    const QString name = QString::fromLatin1(narrow);
    if (QFontDatabase::hasFamily(name) && fitsWhole(QFont(name))) return chosen();
  }
  return chosen();
}

double CaptionRoom(const QPushButton* button) {
  const QStyle* style = button->style();
  const int margin = style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
                     2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
  return std::max(0, button->width() - margin);
}

void FitCaption(QLabel* label, double pointSize, double smallestPointSize) {
  const double width = label->contentsRect().width();
  const QString text = label->text();
  QFont top = label->font();
  top.setPointSizeF(pointSize);
  const double guess = ProportionalGuess(pointSize, QFontMetricsF(top).horizontalAdvance(text), width);
  FitFont(label, pointSize, smallestPointSize, guess,
          [&](const QFont& font) { return QFontMetricsF(font).horizontalAdvance(text) <= width; });
}

bool WrappedTextFits(const QFont& font, const QString& text, QSizeF area) {
  const QRectF needed =
      QFontMetricsF(font).boundingRect(QRectF(QPointF(0, 0), QSizeF(area.width(), 1e6)), Qt::TextWordWrap, text);
  return needed.width() <= area.width() && needed.height() <= area.height();
}

void FitWrappedCaption(QLabel* label, const QString& wholeText, double pointSize, double smallestPointSize) {
  const QSizeF area = label->contentsRect().size();
  FitFont(label, pointSize, smallestPointSize, pointSize,
          [&](const QFont& font) { return WrappedTextFits(font, wholeText, area); });
}

}  // namespace hopper
