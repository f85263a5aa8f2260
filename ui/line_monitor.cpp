#include "ui/line_monitor.h"

#include <QCloseEvent>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/files/parameter_file_io.h"
#include "platform/serial/line_recorder.h"
#include "platform/widgets/file_dialog.h"
#include "platform/widgets/message_box.h"
#include "ui/traffic_model.h"
#include "ui/window_icon.h"

namespace hopper {

LineMonitor::LineMonitor(LineRecorder& recorder, FileDialog& dialog, MessageBoxes& messages, QWidget* parent)
    : QWidget(parent, Qt::Window), recorder_(recorder), dialog_(dialog), messages_(messages) {
  setObjectName(QStringLiteral("LineMonitor"));
  setWindowTitle(kLineMonitorTitle);
  setWindowIcon(ToolWindowIcon());
  resize(720, 420);

  model_ = new TrafficModel(recorder_, this);
  table_ = new QTableView(this);
  table_->setObjectName(QStringLiteral("trafficTable"));
  table_->setModel(model_);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setWordWrap(false);
  table_->verticalHeader()->hide();
  // Fixed row heights and column widths: a view of 20 000 rows must not measure each one.
  table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->setColumnWidth(0, 70);
  table_->setColumnWidth(1, 110);
  table_->setColumnWidth(2, 150);

  saveLogButton_ = new QPushButton(QStringLiteral("&Save log..."), this);
  saveLogButton_->setObjectName(QStringLiteral("saveLogButton"));
  clearButton_ = new QPushButton(QStringLiteral("C&lear"), this);
  clearButton_->setObjectName(QStringLiteral("clearButton"));
  auto* closeButton = new QPushButton(QStringLiteral("&Close"), this);
  closeButton->setObjectName(QStringLiteral("closeButton"));

  errorsLine_ = new QLabel(this);
  errorsLine_->setObjectName(QStringLiteral("lineErrors"));
  errorsLine_->hide();  // until a driver counts them
  errorsTimer_ = new QTimer(this);
  errorsTimer_->setInterval(kErrorsMs);
  connect(errorsTimer_, &QTimer::timeout, this, &LineMonitor::ShowErrors);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(saveLogButton_);
  buttons->addWidget(clearButton_);
  buttons->addStretch();
  buttons->addWidget(closeButton);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table_);
  layout->addWidget(errorsLine_);
  layout->addLayout(buttons);

  connect(saveLogButton_, &QPushButton::clicked, this, &LineMonitor::SaveLog);
  connect(clearButton_, &QPushButton::clicked, this, &LineMonitor::Clear);
  connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
  connect(model_, &TrafficModel::RowsAppended, this, &LineMonitor::FollowNewest);
}

void LineMonitor::Open() {
  model_->CatchUp();
  show();
  raise();
  activateWindow();
  table_->setFocus(Qt::OtherFocusReason);
  table_->scrollToBottom();
  ShowErrors();
  errorsTimer_->start();
}

void LineMonitor::SetErrorSource(ErrorSource source) {
  errors_ = std::move(source);
  ShowErrors();
}

void LineMonitor::ShowErrors() {
  const std::optional<LineErrorCounts> counts = errors_ ? errors_() : std::nullopt;
  errorsLine_->setVisible(counts.has_value());
  if (counts) errorsLine_->setText(QString::fromStdString(LineErrorText(*counts)));
}

void LineMonitor::FollowNewest() {
  // Only a reader who has not scrolled away is carried along with new rows.
  QScrollBar* bar = table_->verticalScrollBar();
  if (bar->value() >= bar->maximum() - 2 * table_->verticalHeader()->defaultSectionSize()) table_->scrollToBottom();
}

void LineMonitor::SaveLog() {
  FileDialogRequest request;
  request.title = QStringLiteral("Save line log");
  request.filter = QStringLiteral("Text File(*.txt)|*.txt|");
  request.initialFileName = QStringLiteral("hopper-line.txt");
  request.confirmOverwrite = true;
  request.folderMustExist = true;
  const QString path = dialog_.AskSave(this, request);
  if (path.isEmpty()) return;
  model_->CatchUp();
  if (const QString why = WriteWholeFile(path, recorder_.Text()); !why.isEmpty())
    messages_.Show(this, Message{QStringLiteral("The log could not be saved."),
                                 MessageIcon::Exclamation,
                                 {},
                                 QDir::toNativeSeparators(path) + QStringLiteral(": ") + why});
}

void LineMonitor::Clear() {
  recorder_.Clear();
  model_->CatchUp();
}

void LineMonitor::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

void LineMonitor::hideEvent(QHideEvent* event) {
  // Out of sight the rows are neither kept nor followed: the recorder decodes them anew when
  // the monitor opens again.
  model_->Stop();
  recorder_.ForgetEntries();
  QWidget::hideEvent(event);
}

void LineMonitor::closeEvent(QCloseEvent* event) {
  event->accept();
  errorsTimer_->stop();
  emit Closed();
}

}  // namespace hopper
