#pragma once
// Parameter > Unit…: the unit's serial from its label, typed or scanned (a scanner types it
// and presses Enter, which accepts). Opened without blocking; Chosen() once accepted.

#include <QDialog>

class QLineEdit;

namespace hopper {

class UnitDialog final : public QDialog {
  Q_OBJECT
 public:
  UnitDialog(const QString& current, QWidget* parent);

 signals:
  void Chosen(const QString& unit);

 private:
  QLineEdit* edit_;
};

}  // namespace hopper
