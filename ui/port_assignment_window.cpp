#include "ui/port_assignment_window.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <algorithm>

#include "core/port_findings.h"
#include "platform/files/settings_store.h"
#include "platform/serial/port_resolver.h"
#include "platform/serial/serial_device_check.h"
#include "platform/serial/serial_device_list.h"
#include "platform/widgets/message_box.h"
#include "ui/port_assignment_rows.h"
#include "ui/readable_colours.h"

namespace hopper {

namespace {

// A stable name and the device it leads to are the same device.
bool SameDevice(const QString& a, const QString& b) {
  const QString canonicalA = QFileInfo(a).canonicalFilePath();
  return a == b || (!canonicalA.isEmpty() && canonicalA == QFileInfo(b).canonicalFilePath());
}

}  // namespace

PortAssignmentWindow::PortAssignmentWindow(std::shared_ptr<const DeviceListing> listing, MessageBoxes& messages,
                                           int number, QWidget* parent)
    : QDialog(parent), listing_(std::move(listing)), messages_(messages), portInUse_(number) {
  setObjectName(QStringLiteral("PortAssignment"));
  setWindowTitle(QStringLiteral("Ports"));
  BuildControls();
  portNumberBox_->setValue(std::clamp(number, 1, kHighestPortNumber));
  Refresh();
  ShowResolved();
  refresh_ = new QTimer(this);
  refresh_->setInterval(kRefreshMs);
  connect(refresh_, &QTimer::timeout, this, &PortAssignmentWindow::Refresh);
  refresh_->start();
}

void PortAssignmentWindow::BuildControls() {
  deviceTable_ = new QTableWidget(0, kColumnCount, this);
  deviceTable_->setObjectName(QStringLiteral("deviceTable"));
  deviceTable_->setHorizontalHeaderLabels(PortColumnTitles());
  deviceTable_->setSelectionBehavior(QAbstractItemView::SelectRows);
  deviceTable_->setSelectionMode(QAbstractItemView::SingleSelection);
  deviceTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  deviceTable_->setTabKeyNavigation(false);  // Tab leaves the list; the arrows move inside it
  deviceTable_->verticalHeader()->hide();
  deviceTable_->horizontalHeader()->setStretchLastSection(true);
  deviceTable_->setMinimumWidth(640);
  auto* listLabel = new QLabel(QStringLiteral("Serial &devices of this machine:"), this);
  listLabel->setBuddy(deviceTable_);

  devicePath_ = new QLineEdit(this);
  devicePath_->setObjectName(QStringLiteral("devicePath"));
  devicePath_->setPlaceholderText(QStringLiteral("/dev/serial/by-id/…, /dev/ttyUSB0"));
  auto* pathLabel = new QLabel(QStringLiteral("De&vice to assign:"), this);
  pathLabel->setBuddy(devicePath_);
  portNumberBox_ = new QSpinBox(this);
  portNumberBox_->setObjectName(QStringLiteral("portNumberBox"));
  portNumberBox_->setRange(1, kHighestPortNumber);
  portNumberBox_->setPrefix(QStringLiteral("COM"));
  auto* numberLabel = new QLabel(QStringLiteral("&Port number:"), this);
  numberLabel->setBuddy(portNumberBox_);
  resolvedLine_ = new QLabel(this);
  resolvedLine_->setObjectName(QStringLiteral("resolvedLine"));
  resolvedLine_->setWordWrap(true);
  resolvedLine_->setTextFormat(Qt::PlainText);  // device paths are shown as written
  resolvedLine_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  warningLine_ = new QLabel(this);
  warningLine_->setObjectName(QStringLiteral("warningLine"));
  warningLine_->setWordWrap(true);
  warningLine_->setTextFormat(Qt::PlainText);
  findingsText_ = new QPlainTextEdit(this);
  findingsText_->setObjectName(QStringLiteral("findingsText"));
  findingsText_->setReadOnly(true);
  findingsText_->setTabChangesFocus(true);
  findingsText_->setFocusPolicy(Qt::ClickFocus);  // reached by its label's Alt+W, out of the Tab round
  findingsText_->setMaximumHeight(140);
  auto* findingsLabel = new QLabel(QStringLiteral("&What stands in the way:"), this);
  findingsLabel->setBuddy(findingsText_);

  assignButton_ = new QPushButton(QStringLiteral("&Assign"), this);
  assignButton_->setObjectName(QStringLiteral("assignButton"));
  automaticButton_ = new QPushButton(QStringLiteral("A&utomatic"), this);
  automaticButton_->setObjectName(QStringLiteral("automaticButton"));
  automaticButton_->setToolTip(QStringLiteral("Remove the assignment: the port number follows the first-start rule"));
  closeButton_ = new QPushButton(QStringLiteral("&Close"), this);
  closeButton_->setObjectName(QStringLiteral("closeButton"));
  // No default button: Enter in the list or a field must not reassign the port the tool works
  // on. Enter on a focused button still presses it (keyPressEvent).
  for (QPushButton* button : {assignButton_, automaticButton_, closeButton_}) button->setAutoDefault(false);

  auto* fields = new QGridLayout;
  fields->addWidget(pathLabel, 0, 0);
  fields->addWidget(devicePath_, 0, 1);
  fields->addWidget(numberLabel, 1, 0);
  fields->addWidget(portNumberBox_, 1, 1, Qt::AlignLeft);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  for (QPushButton* button : {assignButton_, automaticButton_, closeButton_}) buttons->addWidget(button);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(listLabel);
  layout->addWidget(deviceTable_);
  layout->addWidget(findingsLabel);
  layout->addWidget(findingsText_);
  layout->addLayout(fields);
  layout->addWidget(resolvedLine_);
  layout->addWidget(warningLine_);
  layout->addLayout(buttons);

  setTabOrder(deviceTable_, devicePath_);
  setTabOrder(devicePath_, portNumberBox_);
  setTabOrder(portNumberBox_, assignButton_);
  setTabOrder(assignButton_, automaticButton_);
  setTabOrder(automaticButton_, closeButton_);

  connect(deviceTable_, &QTableWidget::itemSelectionChanged, this, &PortAssignmentWindow::OnRowChosen);
  connect(portNumberBox_, &QSpinBox::valueChanged, this, &PortAssignmentWindow::ShowResolved);
  connect(assignButton_, &QPushButton::clicked, this, &PortAssignmentWindow::OnAssign);
  connect(automaticButton_, &QPushButton::clicked, this, &PortAssignmentWindow::OnAutomatic);
  connect(closeButton_, &QPushButton::clicked, this, &QDialog::reject);
}

void PortAssignmentWindow::SetSurvey(PortSurvey survey) {
  survey_ = std::move(survey);
  ShowFindings(shownDevices_);
}

void PortAssignmentWindow::SetLineTrouble(const QString& device, const QStringList& trouble) {
  troubledDevice_ = device;
  lineTrouble_ = trouble;
  ShowFindings(shownDevices_);
}

void PortAssignmentWindow::ShowFindings(const std::vector<SerialDevice>& devices) {
  QStringList lines;
  for (const QString& trouble : lineTrouble_) lines << troubledDevice_ + QStringLiteral(": ") + trouble;
  for (const PortFinding& finding : survey_.Look(devices))
    lines << QString::fromStdString(finding.device + ": " + FindingText(finding));
  const QString text =
      lines.isEmpty() ? QStringLiteral("Nothing found in the way of any device.") : lines.join(QStringLiteral("\n\n"));
  if (findingsText_->toPlainText() != text) findingsText_->setPlainText(text);
}

void PortAssignmentWindow::Refresh() {
  const std::vector<SerialDevice> devices = listing_->List();
  ShowFindings(devices);
  const QList<QStringList> rows = PortRows(devices, SettingsStore().MappedDevices());
  if (rows == shownRows_) return;  // nothing changed: keep the selection and the scroll position
  const int selected = deviceTable_->currentRow();
  const QString selectedDevice =
      selected >= 0 && selected < shownRows_.size() ? shownRows_[selected][kDeviceColumn] : QString();
  shownRows_ = rows;
  shownDevices_ = devices;
  const QSignalBlocker quiet(deviceTable_);
  deviceTable_->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < rows.size(); ++r) {
    for (int c = 0; c < kColumnCount; ++c) deviceTable_->setItem(r, c, new QTableWidgetItem(rows[r][c]));
    if (rows[r][kDeviceColumn] == selectedDevice) deviceTable_->selectRow(r);
  }
  // Something is always chosen, so the keyboard alone can assign the first device at once.
  if (deviceTable_->selectedItems().isEmpty() && !rows.isEmpty()) {
    deviceTable_->selectRow(0);
    OnRowChosen();
  }
  deviceTable_->resizeColumnsToContents();
  ShowSharedNameWarning();
  ShowResolved();
}

void PortAssignmentWindow::OnRowChosen() {
  const int row = deviceTable_->currentRow();
  if (row < 0 || row >= shownRows_.size()) return;
  const SerialDevice& device = shownDevices_[static_cast<std::size_t>(row)];
  devicePath_->setText(QString::fromStdString(DependablePath(device, shownDevices_)));
  ShowSharedNameWarning();
}

void PortAssignmentWindow::ShowSharedNameWarning() {
  const int row = deviceTable_->currentRow();
  const bool valid = row >= 0 && row < static_cast<int>(shownDevices_.size());
  const SerialDevice* device = valid ? &shownDevices_[static_cast<std::size_t>(row)] : nullptr;
  // Two look-alike adapters share a stable name that leads to either one: the USB path does not.
  warningLine_->setText(device && SharesStableName(*device, shownDevices_)
                            ? QStringLiteral("Another adapter of the same kind shares the stable name of %1: it is "
                                             "assigned by where it is plugged in; keep it in the same USB socket.")
                                  .arg(QString::fromStdString(device->systemPath))
                            : QString());
  ShowTextInColour(warningLine_, QColor(255, 0, 0));
}

void PortAssignmentWindow::ShowResolved() {
  const int number = portNumberBox_->value();
  resolvedLine_->setText(QStringLiteral("Now: ") + DescribeResolution(number, ResolvePortNumber(number, *listing_)));
}

void PortAssignmentWindow::OnAssign() {
  const QString path = devicePath_->text().trimmed();
  const QString problem = path.isEmpty() ? QStringLiteral("Choose a device in the list or type its path.")
                                         : SerialDeviceProblem(path, true);
  if (!problem.isEmpty()) {
    messages_.Show(this, Message{QStringLiteral("This device cannot be assigned."), MessageIcon::Exclamation,
                                 windowTitle(), problem});
    devicePath_->setFocus(Qt::OtherFocusReason);
    return;
  }
  if (!MayTakePortInUse(path)) return;
  SettingsStore().SetMappedDevice(portNumberBox_->value(), path);
  assigned_ = portNumberBox_->value();
  accept();
}

void PortAssignmentWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    if (auto* button = qobject_cast<QPushButton*>(focusWidget())) button->click();
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

bool PortAssignmentWindow::MayTakePortInUse(const QString& path) {
  const int number = portNumberBox_->value();
  if (number != portInUse_) return true;
  const QString now = QString::fromStdString(ResolvePortNumber(number, *listing_).device);
  if (now.isEmpty() || SameDevice(now, path)) return true;
  const QString port = QStringLiteral("COM%1").arg(number);
  const bool yes = messages_.Ask(
      this, Message{QStringLiteral("Give %1, the port in use, to %2?").arg(port, path), MessageIcon::Exclamation,
                    windowTitle(),
                    QStringLiteral("%1 now stands for %2, the device the tool works with. Yes ends that link and "
                                   "reopens %1 on %3.")
                        .arg(port, now, path)});
  if (!yes) devicePath_->setFocus(Qt::OtherFocusReason);
  return yes;
}

void PortAssignmentWindow::OnAutomatic() {
  SettingsStore().RemoveMappedDevice(portNumberBox_->value());
  assigned_ = portNumberBox_->value();
  accept();
}

}  // namespace hopper
