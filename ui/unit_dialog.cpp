#include "ui/unit_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "platform/journal/journal_entry.h"

namespace hopper {

UnitDialog::UnitDialog(const QString& current, QWidget* parent) : QDialog(parent), edit_(new QLineEdit(current, this)) {
  setObjectName(QStringLiteral("UnitDialog"));
  setWindowTitle(QStringLiteral("Unit"));
  setAttribute(Qt::WA_DeleteOnClose);
  edit_->setObjectName(QStringLiteral("unitEdit"));
  edit_->setMaxLength(kUnitLength);
  edit_->selectAll();
  auto* label = new QLabel(QStringLiteral("&Serial of the unit (type it, or scan its label):"), this);
  label->setBuddy(edit_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(edit_);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(this, &QDialog::accepted, this, [this] { emit Chosen(edit_->text()); });
}

}  // namespace hopper
