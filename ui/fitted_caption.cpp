#include "ui/fitted_caption.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <algorithm>
#include <functional>
#include <vector>

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

QFont SearchFittingFont(const QString& family, double pointSize, const QStringList& captions, double width) {
  // The named face first, then the desktop's own, its condensed cuts, the usual narrow ones. A
  // face that fits at the whole size is the answer, and none after it is looked up; each face
  // is first measured at that size alone, since a font at every other size tried is a font more
  // to make before the window shows.
  std::vector<QFont> faces;
  const auto fitsWhole = [&](const QFont& face) {
    faces.push_back(face);
    QFont whole = face;
    whole.setPointSizeF(pointSize);
    return WidestAdvance(whole, captions) <= width;
  };
  QFont named(family);
  named.setPointSizeF(pointSize);
  if (QFontInfo(named).family().compare(family, Qt::CaseInsensitive) == 0 && fitsWhole(named)) return named;
  const QString desktop = QApplication::font().family();
  for (int stretch : {int(QFont::Unstretched), int(QFont::SemiCondensed), int(QFont::Condensed)}) {
    QFont face(desktop);
    face.setStretch(stretch);
    face.setPointSizeF(pointSize);
    if (fitsWhole(face)) return face;
  }
  for (const char* narrow : {"Tahoma", "Microsoft Sans Serif", "Liberation Sans Narrow", "Arial Narrow",
                             "DejaVu Sans Condensed", "Noto Sans"}) {
    QFont face(QString::fromLatin1(narrow));
    face.setPointSizeF(pointSize);
    if (QFontDatabase::hasFamily(face.family()) && fitsWhole(face)) return face;
  }
  // None fits whole: the face in which they fit at the largest size, the first of those.
  QFont best = faces.empty() ? QFont() : faces.front();
  double bestSize = 0;
  for (const QFont& face : faces) {
    if (const double size = LargestSizeForCaptions(face, pointSize, captions, width); size > bestSize) {
      best = face;
      bestSize = size;
    }
  }
  best.setPointSizeF(bestSize);
  return best;
}

// Everything the answer of the search depends on: the question itself, and the machine's fonts,
// desktop font and screen, and the Qt that measures. Asked again on the same machine, the same.
QString FitQuestion(const QString& family, double pointSize, const QStringList& captions, double width) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return QStringList{QStringLiteral("fitting font"),
                     family,
                     QString::number(pointSize),
                     captions.join(QLatin1Char('\n')),
                     QString::number(width),
                     QString::fromLatin1(qVersion()),
                     QGuiApplication::platformName(),
                     QApplication::font().toString(),
                     screen ? QString::number(screen->logicalDotsPerInch()) : QString(),
                     screen ? QString::number(screen->devicePixelRatio()) : QString(),
                     QFontDatabase::families().join(QLatin1Char(','))}
      .join(QLatin1Char('\t'));
}

}  // namespace

QFont FittingFont(const QString& family, double pointSize, const QStringList& captions, double width,
                  MachineCache& kept) {
  // Trying faces and sizes makes a font for each, the slowest part of showing the main window:
  // the answer found once is kept for the next start.
  const QString question = FitQuestion(family, pointSize, captions, width);
  if (const std::optional<QString> answer = kept.Find(question)) {
    QFont font;
    if (font.fromString(*answer) && WidestAdvance(font, captions) <= width) return font;
  }
  const QFont found = SearchFittingFont(family, pointSize, captions, width);
  kept.Keep(question, found.toString());
  return found;
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
