#include "ui/compare_window.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/save_check.h"
#include "core/set_compare.h"
#include "platform/journal/set_sources.h"
#include "platform/widgets/file_dialog.h"
#include "platform/widgets/message_box.h"
#include "ui/main_window.h"
#include "ui/parameter_commands.h"

namespace hopper {

namespace {
const QString kDiffers = QStringLiteral("differs");
}

CompareWindow::CompareWindow(MainWindow& main, FileDialog& dialog, MessageBoxes& messages, QWidget* parent)
    : QWidget(parent, Qt::Window),
      main_(main),
      dialog_(dialog),
      messages_(messages),
      table_(new QTableWidget(kChannelCount, 0, this)),
      summary_(new QLabel(this)),
      takeFrom_(new QComboBox(this)),
      addFileButton_(new QPushButton(QStringLiteral("Add a parameter &file\u2026"), this)),
      putButton_(new QPushButton(QStringLiteral("&Put the ticked values into the boxes"), this)) {
  setObjectName(QStringLiteral("Compare"));
  setWindowTitle(QStringLiteral("Compare"));
  resize(640, 560);
  table_->setObjectName(QStringLiteral("compareTable"));
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table_->setSelectionMode(QAbstractItemView::NoSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  summary_->setObjectName(QStringLiteral("compareSummary"));
  takeFrom_->setObjectName(QStringLiteral("takeFrom"));
  addFileButton_->setObjectName(QStringLiteral("addFileButton"));
  putButton_->setObjectName(QStringLiteral("putTickedButton"));

  auto* from = new QFormLayout;
  from->addRow(QStringLiteral("&Take the ticked values from:"), takeFrom_);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(addFileButton_);
  buttons->addStretch();
  buttons->addWidget(putButton_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table_, 1);
  layout->addWidget(summary_);
  layout->addLayout(from);
  layout->addLayout(buttons);

  connect(addFileButton_, &QPushButton::clicked, this, &CompareWindow::AddFile);
  connect(putButton_, &QPushButton::clicked, this, &CompareWindow::PutTicked);
}

void CompareWindow::Open() {
  sets_.clear();
  if (const std::optional<CoinNumbers>& reported = main_.Held().Confirmed())
    sets_.push_back({QStringLiteral("Hopper's last report"), TextsOf(*reported)});
  ChannelTexts boxes;
  for (int i = 0; i < kChannelCount; ++i) boxes[std::size_t(i)] = main_.EntryText(i).toStdString();
  sets_.push_back({QStringLiteral("Boxes"), boxes});
  const SetSource backup = NewestBackup(main_.Backups(), main_.PortLabel());
  if (backup.ok()) sets_.push_back({QStringLiteral("Backup before the last save"), backup.texts});
  Show();
  show();
  raise();
  activateWindow();
}

void CompareWindow::AddSet(const QString& name, const ChannelTexts& texts) {
  sets_.push_back({name, texts});
  Show();
}

void CompareWindow::AddFile() {
  FileDialogRequest request;
  request.title = QStringLiteral("Compare with a parameter file");
  request.filter = kParameterFileFilter;
  const QString path = dialog_.AskOpen(this, request);
  if (path.isEmpty()) return;
  const SetSource file = FileSet(path);
  if (!file.ok()) {
    messages_.Show(
        this,
        Message{QStringLiteral("The parameter file cannot be compared."), MessageIcon::Exclamation, {}, file.error});
    return;
  }
  AddSet(path, file.texts);
}

void CompareWindow::Show() {
  std::vector<ComparedSet> values;
  for (const Set& set : sets_) values.push_back(ComparedOf(set.texts));
  const SetComparison comparison = CompareSets(values);
  QStringList heads{QStringLiteral("Channel")};
  for (const Set& set : sets_) heads << set.name;
  heads << QString();
  table_->setColumnCount(int(heads.size()));
  table_->setHorizontalHeaderLabels(heads);
  for (const ComparedChannel& row : comparison.channels) {
    auto* channel = new QTableWidgetItem(QStringLiteral("Channel%1").arg(row.channel + 1));
    channel->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    // The differing channels are ticked to begin with: they are the ones to look at.
    channel->setCheckState(row.differs ? Qt::Checked : Qt::Unchecked);
    table_->setItem(row.channel, 0, channel);
    for (std::size_t s = 0; s < sets_.size(); ++s) {
      auto* value = new QTableWidgetItem(QString::fromStdString(sets_[s].texts[std::size_t(row.channel)]));
      QFont font = value->font();
      font.setBold(row.differs);
      value->setFont(font);
      table_->setItem(row.channel, int(s) + 1, value);
    }
    table_->setItem(row.channel, int(sets_.size()) + 1, new QTableWidgetItem(row.differs ? kDiffers : QString()));
  }
  summary_->setText(QString::fromStdString(ComparisonSummary(comparison)));
  const int chosen = takeFrom_->currentIndex();
  takeFrom_->clear();
  for (const Set& set : sets_) takeFrom_->addItem(set.name);
  // Most often the boxes take a set that is not theirs: the first other one.
  takeFrom_->setCurrentIndex(chosen >= 0 && chosen < int(sets_.size()) ? chosen : (sets_.size() > 1 ? 0 : -1));
  putButton_->setEnabled(sets_.size() > 1);
}

void CompareWindow::PutTicked() {
  const int from = takeFrom_->currentIndex();
  if (from < 0 || from >= int(sets_.size())) return;
  for (int i = 0; i < kChannelCount; ++i)
    if (table_->item(i, 0)->checkState() == Qt::Checked)
      main_.SetEntryText(i, QString::fromStdString(sets_[std::size_t(from)].texts[std::size_t(i)]));
  // The boxes changed: show them as they now stand.
  const int kept = takeFrom_->currentIndex();
  Open();
  takeFrom_->setCurrentIndex(kept);
}

}  // namespace hopper
