#include "ui/port_assignment_window.h"

#include <algorithm>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>

#include "platform/widgets/message_box.h"
#include "platform/serial/port_resolver.h"
#include "platform/serial/serial_device_check.h"
#include "platform/serial/serial_device_list.h"
#include "platform/serial/settings_store.h"
#include "ui/port_assignment_rows.h"

namespace hopper {

PortAssignmentWindow::PortAssignmentWindow(std::shared_ptr<const DeviceListing> listing, MessageBoxes& messages,
                                           int number, QWidget* parent)
    : QDialog(parent), listing_(std::move(listing)), messages_(messages) {
  setObjectName(QStringLiteral("PortAssignment"));
  setWindowTitle(QStringLiteral("Ports"));
  BuildControls();
  portNumber->setValue(std::clamp(number, 1, kHighestPortNumber));
  Refresh();
  ShowResolved();
  refresh_ = new QTimer(this);
  refresh_->setInterval(kRefreshMs);
  connect(refresh_, &QTimer::timeout, this, &PortAssignmentWindow::Refresh);
  refresh_->start();
}

void PortAssignmentWindow::BuildControls() {
  deviceTable = new QTableWidget(0, kColumnCount, this);
  deviceTable->setHorizontalHeaderLabels(PortColumnTitles());
  deviceTable->setSelectionBehavior(QAbstractItemView::SelectRows);
  deviceTable->setSelectionMode(QAbstractItemView::SingleSelection);
  deviceTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
  deviceTable->setTabKeyNavigation(false);  // Tab leaves the list; the arrows move inside it
  deviceTable->verticalHeader()->hide();
  deviceTable->horizontalHeader()->setStretchLastSection(true);
  deviceTable->setMinimumWidth(640);
  auto* listLabel = new QLabel(QStringLiteral("Serial &devices of this machine:"), this);
  listLabel->setBuddy(deviceTable);

  devicePath = new QLineEdit(this);
  devicePath->setPlaceholderText(QStringLiteral("/dev/serial/by-id/…, /dev/ttyUSB0"));
  auto* pathLabel = new QLabel(QStringLiteral("De&vice to assign:"), this);
  pathLabel->setBuddy(devicePath);
  portNumber = new QSpinBox(this);
  portNumber->setRange(1, kHighestPortNumber);
  portNumber->setPrefix(QStringLiteral("COM"));
  auto* numberLabel = new QLabel(QStringLiteral("&Port number:"), this);
  numberLabel->setBuddy(portNumber);
  resolvedLine = new QLabel(this);
  resolvedLine->setWordWrap(true);
  resolvedLine->setTextFormat(Qt::PlainText);  // device paths are shown as written
  resolvedLine->setTextInteractionFlags(Qt::TextSelectableByMouse);

  assignButton = new QPushButton(QStringLiteral("&Assign"), this);
  automaticButton = new QPushButton(QStringLiteral("A&utomatic"), this);
  automaticButton->setToolTip(QStringLiteral("Remove the assignment: the port number follows the first-start rule"));
  closeButton = new QPushButton(QStringLiteral("&Close"), this);
  assignButton->setDefault(true);

  auto* fields = new QGridLayout;
  fields->addWidget(pathLabel, 0, 0);
  fields->addWidget(devicePath, 0, 1);
  fields->addWidget(numberLabel, 1, 0);
  fields->addWidget(portNumber, 1, 1, Qt::AlignLeft);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  for (QPushButton* button : {assignButton, automaticButton, closeButton}) buttons->addWidget(button);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(listLabel);
  layout->addWidget(deviceTable);
  layout->addLayout(fields);
  layout->addWidget(resolvedLine);
  layout->addLayout(buttons);

  setTabOrder(deviceTable, devicePath);
  setTabOrder(devicePath, portNumber);
  setTabOrder(portNumber, assignButton);
  setTabOrder(assignButton, automaticButton);
  setTabOrder(automaticButton, closeButton);

  connect(deviceTable, &QTableWidget::itemSelectionChanged, this, &PortAssignmentWindow::OnRowChosen);
  connect(portNumber, &QSpinBox::valueChanged, this, &PortAssignmentWindow::ShowResolved);
  connect(assignButton, &QPushButton::clicked, this, &PortAssignmentWindow::OnAssign);
  connect(automaticButton, &QPushButton::clicked, this, &PortAssignmentWindow::OnAutomatic);
  connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
}

void PortAssignmentWindow::Refresh() {
  const QList<QStringList> rows = PortRows(listing_->List(), SettingsStore().MappedDevices());
  if (rows == shownRows_) return;  // nothing changed: keep the selection and the scroll position
  const int selected = deviceTable->currentRow();
  const QString selectedDevice = selected >= 0 && selected < shownRows_.size() ? shownRows_[selected][kDeviceColumn] : QString();
  shownRows_ = rows;
  const QSignalBlocker quiet(deviceTable);
  deviceTable->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < rows.size(); ++r) {
    for (int c = 0; c < kColumnCount; ++c) deviceTable->setItem(r, c, new QTableWidgetItem(rows[r][c]));
    if (rows[r][kDeviceColumn] == selectedDevice) deviceTable->selectRow(r);
  }
  // Something is always chosen, so the keyboard alone can assign the first device at once.
  if (deviceTable->selectedItems().isEmpty() && !rows.isEmpty()) {
    deviceTable->selectRow(0);
    OnRowChosen();
  }
  deviceTable->resizeColumnsToContents();
  ShowResolved();
}

void PortAssignmentWindow::OnRowChosen() {
  const int row = deviceTable->currentRow();
  if (row < 0 || row >= shownRows_.size()) return;
  const QStringList& cells = shownRows_[row];
  devicePath->setText(cells[kStableColumn].isEmpty() ? cells[kDeviceColumn] : cells[kStableColumn]);
}

void PortAssignmentWindow::ShowResolved() {
  resolvedLine->setText(QStringLiteral("Now: ") + DescribeResolution(portNumber->value(), ResolvePortNumber(portNumber->value(), *listing_)));
}

void PortAssignmentWindow::OnAssign() {
  const QString path = devicePath->text().trimmed();
  const QString problem = path.isEmpty() ? QStringLiteral("Choose a device in the list or type its path.")
                                         : SerialDeviceProblem(path, true);
  if (!problem.isEmpty()) {
    messages_.Show(this, Message{QStringLiteral("This device cannot be assigned."), MessageIcon::Exclamation,
                                 windowTitle(), problem});
    devicePath->setFocus(Qt::OtherFocusReason);
    return;
  }
  SettingsStore().SetMappedDevice(portNumber->value(), path);
  assigned_ = portNumber->value();
  accept();
}

void PortAssignmentWindow::OnAutomatic() {
  SettingsStore().RemoveMappedDevice(portNumber->value());
  assigned_ = portNumber->value();
  accept();
}

}  // namespace hopper
