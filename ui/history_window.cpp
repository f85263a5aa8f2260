#include "ui/history_window.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "core/channel_changes.h"
#include "core/parameter_file.h"
#include "core/save_check.h"
#include "platform/files/parameter_file_io.h"
#include "platform/journal/history_reader.h"
#include "platform/journal/journal_query.h"
#include "platform/widgets/file_dialog.h"
#include "platform/widgets/message_box.h"
#include "ui/history_model.h"
#include "ui/parameter_commands.h"

namespace hopper {

namespace {
QString ValuesLine(const std::optional<CoinNumbers>& values) {
  return values ? QString::fromStdString(CoinNumbersText(*values)) : QStringLiteral("-");
}
}  // namespace

HistoryWindow::HistoryWindow(JournalTarget target, FileDialog& dialog, MessageBoxes& messages, QWidget* parent)
    : QWidget(parent, Qt::Window),
      dialog_(dialog),
      messages_(messages),
      reader_(new HistoryReader(std::move(target), this)),
      model_(new HistoryModel(*reader_, this)),
      sinceEdit_(new QLineEdit(this)),
      portFilter_(new QComboBox(this)),
      resultFilter_(new QComboBox(this)),
      table_(new QTableView(this)),
      details_(new QPlainTextEdit(this)),
      problem_(new QLabel(this)),
      loadButton_(new QPushButton(QStringLiteral("&Load into boxes"), this)),
      saveButton_(new QPushButton(QStringLiteral("&Save as parameter file"), this)) {
  setObjectName(QStringLiteral("History"));
  setWindowTitle(QStringLiteral("History"));
  resize(820, 520);
  sinceEdit_->setObjectName(QStringLiteral("sinceEdit"));
  sinceEdit_->setPlaceholderText(QStringLiteral("2026-12-08"));
  portFilter_->setObjectName(QStringLiteral("portFilter"));
  portFilter_->setEditable(true);
  portFilter_->addItem(QString());
  for (int n = 1; n <= 4; ++n) portFilter_->addItem(QStringLiteral("COM%1").arg(n));
  resultFilter_->setObjectName(QStringLiteral("resultFilter"));
  resultFilter_->addItem(QStringLiteral("every result"));
  for (int r = 0; r <= int(JournalResult::Failed); ++r) resultFilter_->addItem(ResultName(JournalResult(r)));
  table_->setObjectName(QStringLiteral("historyTable"));
  table_->setModel(model_);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->setColumnWidth(HistoryModel::Time, 140);
  table_->setColumnWidth(HistoryModel::Result, 150);
  table_->setColumnWidth(HistoryModel::Changes, 260);
  details_->setObjectName(QStringLiteral("historyDetails"));
  details_->setReadOnly(true);
  details_->setTabChangesFocus(true);
  problem_->setObjectName(QStringLiteral("historyProblem"));
  problem_->setWordWrap(true);
  loadButton_->setObjectName(QStringLiteral("loadButton"));
  saveButton_->setObjectName(QStringLiteral("saveAsButton"));

  auto* filters = new QFormLayout;
  filters->addRow(QStringLiteral("&From date:"), sinceEdit_);
  filters->addRow(QStringLiteral("&Port:"), portFilter_);
  filters->addRow(QStringLiteral("&Result:"), resultFilter_);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(loadButton_);
  buttons->addWidget(saveButton_);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(filters);
  layout->addWidget(problem_);
  layout->addWidget(table_, 3);
  layout->addWidget(details_, 1);
  layout->addLayout(buttons);

  connect(model_, &HistoryModel::PageCame, this, &HistoryWindow::PageCame);
  connect(sinceEdit_, &QLineEdit::editingFinished, this, &HistoryWindow::Refresh);
  connect(portFilter_, &QComboBox::currentTextChanged, this, &HistoryWindow::Refresh);
  connect(resultFilter_, &QComboBox::currentIndexChanged, this, &HistoryWindow::Refresh);
  connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &HistoryWindow::ShowChosen);
  connect(table_, &QTableView::activated, this, [this] { loadButton_->click(); });
  connect(loadButton_, &QPushButton::clicked, this, [this] {
    if (const std::optional<CoinNumbers> values = ChosenValues()) emit LoadRequested(*values);
  });
  connect(saveButton_, &QPushButton::clicked, this, &HistoryWindow::SaveChosen);
}

HistoryWindow::~HistoryWindow() = default;

void HistoryWindow::Open() {
  Refresh();
  show();
  raise();
  activateWindow();
  table_->setFocus(Qt::OtherFocusReason);
}

void HistoryWindow::Refresh() {
  HistoryFilter filter;
  filter.since = HistoryDate(sinceEdit_->text());
  filter.port = portFilter_->currentText().trimmed();
  if (resultFilter_->currentIndex() > 0) filter.result = JournalResult(resultFilter_->currentIndex() - 1);
  model_->Show(filter);
  problem_->setText(QStringLiteral("loading\u2026"));
  problem_->setVisible(true);
  ShowChosen();
}

void HistoryWindow::PageCame(const QString& error, bool first) {
  problem_->setText(error);
  if (error.isEmpty() && !sinceEdit_->text().trimmed().isEmpty() && !HistoryDate(sinceEdit_->text()).isValid())
    problem_->setText(QStringLiteral("The date is not understood: say 2026-12-08."));
  problem_->setVisible(!problem_->text().isEmpty());
  if (first && model_->rowCount() > 0 && !table_->currentIndex().isValid())
    table_->setCurrentIndex(model_->index(0, 0));
  ShowChosen();
}

std::optional<CoinNumbers> HistoryWindow::ChosenValues() const {
  const QModelIndex current = table_->currentIndex();
  if (!current.isValid()) return std::nullopt;
  return ValuesOf(model_->Entry(current.row()));
}

void HistoryWindow::ShowChosen() {
  const QModelIndex current = table_->currentIndex();
  loadButton_->setEnabled(ChosenValues().has_value());
  saveButton_->setEnabled(ChosenValues().has_value());
  if (!current.isValid()) {
    details_->clear();
    return;
  }
  const JournalEntry& e = model_->Entry(current.row());
  QStringList lines{
      QStringLiteral("%1 (UTC %2), %3 on %4, %5 %6")
          .arg(e.local, e.utc.toString(Qt::ISODateWithMs), e.user, e.station, e.program, e.version),
      QStringLiteral("Port %1: %2 %3 %4").arg(e.port, e.device, e.stableName, e.usbSerial).trimmed(),
      QStringLiteral("Result: %1 %2").arg(ResultName(e.result), e.detail).trimmed(),
      QStringLiteral("Header %1, info %2").arg(e.header, e.info.isEmpty() ? QStringLiteral("none") : e.info),
      QStringLiteral("Reported:  %1").arg(ValuesLine(e.reported)),
      QStringLiteral("Sent:      %1").arg(ValuesLine(e.sent)),
      QStringLiteral("Read back: %1").arg(ValuesLine(e.readBack)),
  };
  if (const QString changes = ChangesText(e); !changes.isEmpty()) lines << QStringLiteral("Changed: ") + changes;
  if (!e.backup.isEmpty()) lines << QStringLiteral("Backup: ") + e.backup;
  details_->setPlainText(lines.join(QLatin1Char('\n')));
}

void HistoryWindow::SaveChosen() {
  const std::optional<CoinNumbers> values = ChosenValues();
  if (!values) return;
  FileDialogRequest request;
  request.title = QStringLiteral("Save as parameter file");
  request.filter = kParameterFileFilter;
  request.confirmOverwrite = true;
  request.folderMustExist = true;
  const QString path = dialog_.AskSave(this, request);
  if (path.isEmpty()) return;
  const std::string text = ParameterFileText(TextsOf(*values));
  if (const QString why = WriteWholeFile(path, QByteArray::fromStdString(text)); !why.isEmpty())
    messages_.Show(this, Message{QStringLiteral("The parameter file could not be written."),
                                 MessageIcon::Exclamation,
                                 {},
                                 path + QStringLiteral(": ") + why});
}

void HistoryWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace hopper
