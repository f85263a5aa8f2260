#include "ui/deferred_icon_style.h"

#include <QDateTime>
#include <QFileInfo>
#include <QIconEngine>
#include <QImageReader>
#include <QPainter>
#include <QPixmapCache>
#include <QPointer>
#include <cstring>

namespace hopper {

namespace {

// Stands for a standard icon of `style` and asks the style for it the first time it is needed.
class DeferredIconEngine final : public QIconEngine {
 public:
  DeferredIconEngine(QStyle* style, QStyle::StandardPixmap which) : style_(style), which_(which) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    Icon().paint(painter, rect, Qt::AlignCenter, mode, state);
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return Icon().pixmap(size, mode, state);
  }
  QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return Icon().actualSize(size, mode, state);
  }
  QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
    return Icon().availableSizes(mode, state);
  }
  // An icon of the style is there: asked before it is drawn (as a tool button does), it is not
  // read for the answer.
  bool isNull() override { return read_ ? icon_.isNull() : !style_; }
  QIconEngine* clone() const override { return new DeferredIconEngine(*this); }
  QString key() const override { return QStringLiteral("hopper-deferred"); }

 private:
  const QIcon& Icon() {
    if (!read_ && style_) icon_ = style_->standardIcon(which_);
    read_ = true;
    return icon_;
  }

  QPointer<QStyle> style_;
  QStyle::StandardPixmap which_;
  QIcon icon_;
  bool read_ = false;
};

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

}  // namespace

void DeferredIconStyle::polish(QApplication* application) {
  QProxyStyle::polish(application);
  if (baseStyle()->name().compare(QStringLiteral("fusion"), Qt::CaseInsensitive) == 0)
    SeedPngPicture(QStringLiteral(":/qt-project.org/styles/commonstyle/images/fusion_groupbox.png"));
}

QIcon DeferredIconStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption* option,
                                      const QWidget* widget) const {
  if (standardIcon == SP_ToolBarHorizontalExtensionButton || standardIcon == SP_ToolBarVerticalExtensionButton)
    return QIcon(new DeferredIconEngine(baseStyle(), standardIcon));
  return QProxyStyle::standardIcon(standardIcon, option, widget);
}

}  // namespace hopper
