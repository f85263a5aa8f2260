#include "ui/scan_catcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>
#include <memory>

namespace hopper {

namespace {
QLineEdit* EditOf(QWidget* widget) {
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit;
  if (auto* combo = qobject_cast<QComboBox*>(widget)) return combo->lineEdit();
  return nullptr;
}
}  // namespace

ScanCatcher::ScanCatcher(QWidget& window) : QObject(&window), window_(window) {
  clock_ = [timer = std::make_shared<QElapsedTimer>()] {
    if (!timer->isValid()) timer->start();
    return timer->elapsed();
  };
  qApp->installEventFilter(this);
}

ScanCatcher::~ScanCatcher() { qApp->removeEventFilter(this); }

void ScanCatcher::StartOver() {
  run_.clear();
  before_.clear();
  last_ = -1;
}

bool ScanCatcher::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  // Keys for the main window only: a dialog or another window takes them as typed. A key a
  // control leaves goes on to its parent: it is seen once, where it was typed.
  if (!widget || widget != QApplication::focusWidget() || widget->window() != &window_ ||
      QApplication::activeModalWidget())
    return false;
  auto* key = static_cast<QKeyEvent*>(event);
  const qint64 now = clock_();
  const bool quick = last_ >= 0 && now - last_ <= kGapMs;
  if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
    const bool scan = quick && run_.size() >= kMinScanLength;
    const QString scanned = run_;
    if (scan)
      for (auto& [edit, text] : before_)
        if (edit) edit->setText(text);
    StartOver();
    if (!scan) return false;
    emit Scanned(scanned);
    return true;
  }
  const QString text = key->text();
  const bool plain = (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) == 0;
  if (!plain || text.size() != 1 || !text[0].isPrint()) {
    StartOver();
    return false;
  }
  if (!quick) StartOver();
  run_ += text;
  last_ = now;
  if (QLineEdit* edit = EditOf(widget)) {
    const bool seen = std::any_of(before_.begin(), before_.end(), [edit](const auto& b) { return b.first == edit; });
    if (!seen) before_.emplace_back(edit, edit->text());
  }
  // No hand types onto a button that fast; a space in a scan would press Save.
  return quick && qobject_cast<QAbstractButton*>(widget) != nullptr;
}

}  // namespace hopper
