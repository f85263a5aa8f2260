#include "ui/deferred_icon_style.h"

#include <QDateTime>
#include <QFileInfo>
#include <QImageReader>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPixmapCache>
#include <QPointer>
#include <QStyleOption>
#include <algorithm>
#include <cstring>

#include "ui/lazy_icon_engine.h"

namespace hopper {

namespace {

// A number in the form QPixmap gives it in the cache name of a picture read from a file: its
// bytes in memory order, each as two hexadecimal digits, the low one first.
template <typename Number>
QString CacheHex(Number number) {
  unsigned char bytes[sizeof number];
  std::memcpy(bytes, &number, sizeof number);
  constexpr char kDigits[] = "0123456789abcdef";
  QString text;
  for (unsigned char byte : bytes) {
    text += QLatin1Char(kDigits[byte & 0xf]);
    text += QLatin1Char(kDigits[byte >> 4]);
  }
  return text;
}

// Reads the picture at `path` with the PNG reader alone and leaves it in the pixmap cache under
// the name QPixmap looks it up by, so a QPixmap made from that file takes it from there. Under
// another name (another Qt) it is only not found, and QPixmap reads the file as before.
void SeedPngPicture(const QString& path) {
  const QFileInfo file(path);
  QImageReader reader(path, "png");
  reader.setAutoDetectImageFormat(false);
  const QImage picture = reader.read();
  if (picture.isNull()) return;
  constexpr unsigned int kPixmapType = 0;
  QPixmapCache::insert(QStringLiteral("qt_pixmap") + file.absoluteFilePath() +
                           CacheHex(static_cast<unsigned int>(file.lastModified().toSecsSinceEpoch())) +
                           CacheHex(static_cast<quint64>(file.size())) + CacheHex(kPixmapType),
                       QPixmap::fromImage(picture));
}

// The part of `rect` the painter can change: a blinking cursor repaints a few rows of the frame
// around it, and needs no bands.
QRect PaintedPart(const QPainter& painter, const QRect& rect) {
  QRect part = rect;
  if (const QPaintEngine* engine = painter.paintEngine(); engine && !engine->systemClip().isEmpty())
    part &= painter.deviceTransform().inverted().mapRect(engine->systemClip().boundingRect());
  if (painter.hasClipping()) part &= painter.clipBoundingRect().toAlignedRect();
  return part;
}

// Rows of the device one band of a group box's frame covers: the raster painter keeps a fill
// of fewer than 96 rows on the calling thread.
constexpr double kBandDeviceRows = 64;

}  // namespace

void DeferredIconStyle::polish(QApplication* application) {
  QProxyStyle::polish(application);
  if (baseStyle()->name().compare(QStringLiteral("fusion"), Qt::CaseInsensitive) == 0)
    SeedPngPicture(QStringLiteral(":/qt-project.org/styles/commonstyle/images/fusion_groupbox.png"));
}

void DeferredIconStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                      const QWidget* widget) const {
  if (element != PE_FrameGroupBox) {
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    return;
  }
  const double ratio = painter->device() ? std::max(painter->device()->devicePixelRatioF(), 1.0) : 1.0;
  const int bandRows = std::max(1, static_cast<int>(kBandDeviceRows / ratio));
  const QRect painted = PaintedPart(*painter, option->rect);
  if (painted.height() <= bandRows) {
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    return;
  }
  for (int top = painted.top(); top <= painted.bottom(); top += bandRows) {
    painter->save();
    painter->setClipRect(QRect(option->rect.left(), top, option->rect.width(), bandRows), Qt::IntersectClip);
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    painter->restore();
  }
}

QIcon DeferredIconStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption* option,
                                      const QWidget* widget) const {
  if (standardIcon == SP_ToolBarHorizontalExtensionButton || standardIcon == SP_ToolBarVerticalExtensionButton)
    return QIcon(new LazyIconEngine([style = QPointer<QStyle>(baseStyle()), standardIcon] {
      return style ? style->standardIcon(standardIcon) : QIcon();
    }));
  return QProxyStyle::standardIcon(standardIcon, option, widget);
}

}  // namespace hopper
