#pragma once
// A barcode scanner types like a keyboard, faster than any hand, and ends with Enter. A run of
// keys typed into the main window that quick, ending with Enter, is a scan: it goes to the unit,
// and whatever it typed into a box is taken back, so it never lands in a channel. Keys typed at
// a hand's pace pass as they always did.

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <utility>
#include <vector>

class QLineEdit;
class QWidget;

namespace hopper {

class ScanCatcher final : public QObject {
  Q_OBJECT
 public:
  // The longest pause between two keys of a scan; a scanner's keys come a few ms apart, a
  // hand's a good 100 ms.
  static constexpr qint64 kGapMs = 35;
  // A shorter run ending with Enter is typing (Enter moves on to the next box).
  static constexpr int kMinScanLength = 4;

  using Clock = std::function<qint64()>;  // milliseconds, never going back

  // Watches the keys typed into `window` and its controls.
  explicit ScanCatcher(QWidget& window);
  ~ScanCatcher() override;
  void SetClock(Clock clock) { clock_ = std::move(clock); }

 signals:
  void Scanned(const QString& text);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void StartOver();

  QWidget& window_;
  Clock clock_;
  QString run_;
  qint64 last_ = -1;
  std::vector<std::pair<QPointer<QLineEdit>, QString>> before_;  // the texts the run typed into
};

}  // namespace hopper
