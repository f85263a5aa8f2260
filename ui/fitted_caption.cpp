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
#include <vector>

namespace hopper {

namespace {

// The largest size from `pointSize` down, in steps of a quarter point, in which `fits` holds;
// `smallestPointSize` when none does.
void FitFont(QLabel* label, double pointSize, double smallestPointSize, const std::function<bool(const QFont&)>& fits) {
  QFont font = label->font();
  double size = pointSize;
  for (; size > smallestPointSize; size -= 0.25) {
    font.setPointSizeF(size);
    if (fits(font)) break;
  }
  font.setPointSizeF(std::max(size, smallestPointSize));
  label->setFont(font);
}

double WidestAdvance(const QFont& font, const QStringList& captions) {
  const QFontMetricsF metrics(font);
  double widest = 0;
  for (const QString& caption : captions) widest = std::max(widest, metrics.horizontalAdvance(caption));
  return widest;
}

// The largest size from `pointSize` down, in quarter points, at which every caption fits.
double LargestFittingSize(QFont font, double pointSize, const QStringList& captions, double width) {
  constexpr double kSmallest = 6.0;
  double size = pointSize;
  for (; size > kSmallest; size -= 0.25) {
    font.setPointSizeF(size);
    if (WidestAdvance(font, captions) <= width) break;
  }
  return std::max(size, kSmallest);
}

}  // namespace

QFont FittingFont(const QString& family, double pointSize, const QStringList& captions, double width) {
  // The named face first, then the desktop's own: a face that fits no better never replaces them.
  std::vector<QFont> candidates;
  QFont named(family);
  if (QFontInfo(named).family().compare(family, Qt::CaseInsensitive) == 0) candidates.push_back(named);
  const QString desktop = QApplication::font().family();
  for (int stretch : {int(QFont::Unstretched), int(QFont::SemiCondensed), int(QFont::Condensed)}) {
    QFont face(desktop);
    face.setStretch(stretch);
    candidates.push_back(face);
  }
  for (const char* narrow : {"Tahoma", "Microsoft Sans Serif", "Liberation Sans Narrow", "Arial Narrow",
                             "DejaVu Sans Condensed", "Noto Sans"}) {
    const QString name = QString::fromLatin1(narrow);
    if (QFontDatabase::hasFamily(name)) candidates.emplace_back(name);
  }
  QFont best = candidates.front();
  double bestSize = 0;
  for (QFont& face : candidates) {
    const double size = LargestFittingSize(face, pointSize, captions, width);
    if (size > bestSize) {
      best = face;
      bestSize = size;
    }
  }
  best.setPointSizeF(bestSize);
  return best;
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
  FitFont(label, pointSize, smallestPointSize,
          [&](const QFont& font) { return QFontMetricsF(font).horizontalAdvance(text) <= width; });
}

bool WrappedTextFits(const QFont& font, const QString& text, QSizeF area) {
  const QRectF needed =
      QFontMetricsF(font).boundingRect(QRectF(QPointF(0, 0), QSizeF(area.width(), 1e6)), Qt::TextWordWrap, text);
  return needed.width() <= area.width() && needed.height() <= area.height();
}

void FitWrappedCaption(QLabel* label, const QString& wholeText, double pointSize, double smallestPointSize) {
  const QSizeF area = label->contentsRect().size();
  FitFont(label, pointSize, smallestPointSize,
          [&](const QFont& font) { return WrappedTextFits(font, wholeText, area); });
}

}  // namespace hopper
