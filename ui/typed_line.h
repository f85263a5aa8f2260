#pragma once
// A label whose text types itself out over and over, one character a tick: the same few
// dozen captions come round again every cycle. Each is drawn once, exactly as the plain label
// draws it, and compared with the caption before it; only the pixels that differ are kept, and a
// tick repaints just those, so an open window that only types costs little.

#include <QHash>
#include <QLabel>
#include <QPixmap>

class QPainter;

namespace hopper {

class TypedLine final : public QLabel {
 public:
  explicit TypedLine(QWidget* parent = nullptr);

  // Shows `text` as setText() would.
  void ShowTyped(const QString& text);
  // Draws, ahead of the ticks, every caption `wholeText` types out in its first cycle.
  void Prepare(const QString& wholeText);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // How a caption differs from the one before it: where, and its pixels there.
  struct Typed {
    bool compared = false;
    QString previous;
    QRect changed;
    QPixmap patch;
  };
  QRect ChangedArea(const QString& from, const QString& to);
  void Compare(const QString& from, const QPixmap& before, Typed& step, const QPixmap& after);
  // The whole label showing `text`, drawn as the plain label draws it.
  QPixmap Picture(const QString& text) const;
  void Draw(QPainter& painter, const QString& text, const QRect& area) const;

  QHash<QString, Typed> typed_;
};

}  // namespace hopper
