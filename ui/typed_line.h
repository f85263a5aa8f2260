#pragma once
// A label whose text types itself out over and over, one character a tick: the same few
// dozen captions come round again every cycle. Each is drawn once, exactly as the plain label
// draws it, and kept, with the area in which it differs from the caption before it; a tick then
// repaints only that area from what was kept, so an open window that only types costs little.

#include <QHash>
#include <QLabel>
#include <QPixmap>

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
  struct Drawn {
    QPixmap picture;   // the whole label, background and text
    bool compared = false;  // whether `changed` holds where it differs from `previous`
    QString previous;
    QRect changed;
  };
  Drawn& DrawnText(const QString& text);
  QRect ChangedArea(const QString& from, const QString& to);

  QHash<QString, Drawn> drawn_;
};

}  // namespace hopper
