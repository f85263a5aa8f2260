#include "ui/history_window.h"

#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "core/channel_changes.h"
#include "core/parameter_file.h"
#include "core/save_check.h"
#include "platform/files/parameter_file_io.h"
#include "platform/journal/entry_verdict.h"
#include "platform/journal/history_reader.h"
#include "platform/journal/journal_csv.h"
#include "platform/journal/journal_query.h"
#include "platform/report/visit_report.h"
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
      unitFilter_(new QLineEdit(this)),
      table_(new QTableView(this)),
      details_(new QPlainTextEdit(this)),
      problem_(new QLabel(this)),
      loadButton_(new QPushButton(QStringLiteral("&Load into boxes"), this)),
      saveButton_(new QPushButton(QStringLiteral("&Save as parameter file"), this)),
      compareButton_(new QPushButton(QStringLiteral("&Compare"), this)),
      reportButton_(new QPushButton(QStringLiteral("Re&port\u2026"), this)),
      csvButton_(new QPushButton(QStringLiteral("&Export CSV\u2026"), this)) {
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
  // Several entries at once for a report of the whole visit.
  table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
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
  unitFilter_->setObjectName(QStringLiteral("unitFilter"));
  compareButton_->setObjectName(QStringLiteral("compareButton"));
  reportButton_->setObjectName(QStringLiteral("reportButton"));
  csvButton_->setObjectName(QStringLiteral("csvButton"));

  auto* filters = new QFormLayout;
  filters->addRow(QStringLiteral("&From date:"), sinceEdit_);
  filters->addRow(QStringLiteral("&Port:"), portFilter_);
  filters->addRow(QStringLiteral("&Result:"), resultFilter_);
  filters->addRow(QStringLiteral("U&nit:"), unitFilter_);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(loadButton_);
  buttons->addWidget(saveButton_);
  buttons->addWidget(compareButton_);
  buttons->addStretch();
  buttons->addWidget(reportButton_);
  buttons->addWidget(csvButton_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(filters);
  layout->addWidget(problem_);
  layout->addWidget(table_, 3);
  layout->addWidget(details_, 1);
  layout->addLayout(buttons);

  connect(model_, &HistoryModel::PageCame, this, &HistoryWindow::PageCame);
  connect(reader_, &HistoryReader::CsvSaved, this, &HistoryWindow::CsvSaved);
  connect(sinceEdit_, &QLineEdit::editingFinished, this, &HistoryWindow::Refresh);
  connect(portFilter_, &QComboBox::currentTextChanged, this, &HistoryWindow::Refresh);
  connect(resultFilter_, &QComboBox::currentIndexChanged, this, &HistoryWindow::Refresh);
  connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &HistoryWindow::ShowChosen);
  connect(table_, &QTableView::activated, this, [this] { loadButton_->click(); });
  connect(loadButton_, &QPushButton::clicked, this, [this] {
    if (const std::optional<CoinNumbers> values = ChosenValues()) emit LoadRequested(*values);
  });
  connect(saveButton_, &QPushButton::clicked, this, &HistoryWindow::SaveChosen);
  connect(unitFilter_, &QLineEdit::editingFinished, this, &HistoryWindow::Refresh);
  connect(compareButton_, &QPushButton::clicked, this, [this] {
    const QModelIndex current = table_->currentIndex();
    if (const std::optional<CoinNumbers> values = ChosenValues())
      emit CompareRequested(QStringLiteral("Journal %1").arg(model_->Entry(current.row()).local), *values);
  });
  connect(reportButton_, &QPushButton::clicked, this, &HistoryWindow::ReportSelected);
  connect(csvButton_, &QPushButton::clicked, this, &HistoryWindow::ExportCsv);
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
  model_->Show(CurrentFilter());
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

HistoryFilter HistoryWindow::CurrentFilter() const {
  HistoryFilter filter;
  filter.since = HistoryDate(sinceEdit_->text());
  filter.port = portFilter_->currentText().trimmed();
  if (resultFilter_->currentIndex() > 0) filter.result = JournalResult(resultFilter_->currentIndex() - 1);
  filter.unit = UnitText(unitFilter_->text());
  return filter;
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
  compareButton_->setEnabled(ChosenValues().has_value());
  reportButton_->setEnabled(current.isValid());
  if (!current.isValid()) {
    details_->clear();
    return;
  }
  const JournalEntry& e = model_->Entry(current.row());
  QStringList lines{
      QStringLiteral("%1 (UTC %2), %3 on %4, %5 %6")
          .arg(e.local, e.utc.toString(Qt::ISODateWithMs), e.user, e.station, e.program, e.version),
      QStringLiteral("Unit: %1").arg(e.unit.isEmpty() ? QStringLiteral("not named") : e.unit),
      QStringLiteral("Port %1: %2 %3 %4").arg(e.port, e.device, e.stableName, e.usbSerial).trimmed(),
      QStringLiteral("Result: %1").arg(VerdictText(e)),
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
  TellFailure(QStringLiteral("The parameter file could not be written."), path,
              WriteWholeFile(path, QByteArray::fromStdString(text)));
}

void HistoryWindow::TellFailure(const QString& what, const QString& path, const QString& why) {
  if (!why.isEmpty())
    messages_.Show(
        this, Message{what, MessageIcon::Exclamation, {}, QDir::toNativeSeparators(path) + QStringLiteral(": ") + why});
}

void HistoryWindow::ReportSelected() {
  std::vector<JournalEntry> entries;
  QModelIndexList rows = table_->selectionModel()->selectedRows();
  if (rows.isEmpty() && table_->currentIndex().isValid()) rows << table_->currentIndex();
  std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() > b.row(); });
  // Oldest first: the visit as it went.
  for (const QModelIndex& row : rows) entries.push_back(model_->Entry(row.row()));
  if (entries.empty()) return;
  FileDialogRequest request;
  request.title = QStringLiteral("Visit report");
  request.filter = QStringLiteral("PDF File(*.pdf)|*.pdf|");
  request.confirmOverwrite = true;
  request.folderMustExist = true;
  const QString path = dialog_.AskSave(this, request);
  if (!path.isEmpty())
    TellFailure(QStringLiteral("The report could not be written."), path, WriteVisitReport(entries, path));
}

void HistoryWindow::ExportCsv() {
  FileDialogRequest request;
  request.title = QStringLiteral("Export CSV");
  request.filter = QStringLiteral("CSV File(*.csv)|*.csv|");
  request.confirmOverwrite = true;
  request.folderMustExist = true;
  const QString path = dialog_.AskSave(this, request);
  if (path.isEmpty()) return;
  // Written on the reader's thread, through its connection: a slow or locked shared journal
  // holds up that thread, never this window. One export at a time.
  csvButton_->setEnabled(false);
  reader_->SaveCsv(CurrentFilter(), path);
}

void HistoryWindow::CsvSaved(const QString& path, const QString& error) {
  csvButton_->setEnabled(true);
  TellFailure(QStringLiteral("The CSV file could not be written."), path, error);
}

void HistoryWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace hopper
