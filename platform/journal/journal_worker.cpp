#include "platform/journal/journal_worker.h"

#include <QDateTime>
#include <QFile>

#include "platform/journal/journal_json.h"

namespace hopper {

namespace {
// Entries sent to the server in one go; new entries reach the local file between batches.
constexpr int kBatch = 20;
QString ConnectionName(const void* owner, const char* role) {
  return QStringLiteral("journal-%1-%2").arg(QLatin1String(role)).arg(quintptr(owner), 0, 16);
}
}  // namespace

JournalWorker::JournalWorker(JournalTarget local, std::optional<JournalTarget> shared, int retryMs)
    : localTarget_(std::move(local)), sharedTarget_(std::move(shared)), retryMs_(retryMs) {}

JournalWorker::~JournalWorker() = default;

void JournalWorker::Start() {
  local_ = std::make_unique<JournalDatabase>(ConnectionName(this, "local"));
  if (sharedTarget_) shared_ = std::make_unique<JournalDatabase>(ConnectionName(this, "shared"));
  retry_ = new QTimer(this);
  retry_->setSingleShot(true);
  connect(retry_, &QTimer::timeout, this, &JournalWorker::Store);
  more_ = new QTimer(this);
  more_->setSingleShot(true);
  more_->setInterval(0);
  connect(more_, &QTimer::timeout, this, &JournalWorker::Store);
  // Entries left waiting by an earlier run go on now.
  Store();
}

void JournalWorker::Take(const std::vector<JournalEntry>& entries) {
  memory_.insert(memory_.end(), entries.begin(), entries.end());
  taken_ += qint64(entries.size());
  if (retry_->isActive()) {
    // Something failed a moment ago: the local file takes the entries now, the server waits
    // for the retry, so a locked or slow server costs each new entry nothing.
    StoreLocally();
    CountWaiting();
  } else {
    Store();
  }
}

void JournalWorker::Finish() {
  if (!retry_) return;
  if (retry_->isActive()) {
    // The last try failed a moment ago: what waits stays in the local file for the next run,
    // and the end of the program does not wait for a server that is away.
    StoreLocally();
  } else {
    Store();
  }
  retry_->stop();
  more_->stop();
  if (!memory_.empty()) Rescue();
  CountWaiting();
  local_.reset();
  shared_.reset();
}

void JournalWorker::Store() {
  const bool stored = StoreLocally();
  const bool ok = SendOn() && stored;
  if (ok) troubleTold_ = false;
  else if (!retry_->isActive()) retry_->start(retryMs_);
  CountWaiting();
}

void JournalWorker::CountWaiting() {
  int waiting = static_cast<int>(memory_.size());
  if (sharedTarget_ && local_ && local_->IsOpen()) waiting += local_->PendingCount();
  if (waiting != lastWaiting_) emit Waiting(lastWaiting_ = waiting);
}

bool JournalWorker::StoreLocally() {
  const auto notKept = [this](const QString& why) {
    Tell(why);
    emit NotKept(taken_);
    return false;
  };
  if (!local_->IsOpen()) {
    if (QString why = local_->Open(localTarget_); !why.isEmpty()) return notKept(why);
  }
  const bool any = !memory_.empty();
  // What waits goes in one transaction: a station's burst of entries is one flush to disk.
  if (QString why = local_->AddAll(memory_, sharedTarget_.has_value()); !why.isEmpty()) {
    // A full disk, a locked or damaged file: the entries stay in memory and are tried again.
    local_->Close();
    return notKept(why);
  }
  memory_.clear();
  if (any) emit Kept(taken_);
  return true;
}

bool JournalWorker::SendOn() {
  if (!sharedTarget_) return true;
  if (!shared_->IsOpen()) {
    if (QString why = shared_->Open(*sharedTarget_); !why.isEmpty()) {
      Tell(why);
      return false;
    }
  }
  // Oldest first; an entry the server took before a failure cut off its mark is not taken twice.
  if (local_->IsOpen()) {
    QString why;
    const std::vector<JournalEntry> batch = local_->Pending(kBatch, &why);
    if (!why.isEmpty()) {
      Tell(why);
      return false;
    }
    for (const JournalEntry& entry : batch) {
      if (why = shared_->Add(entry); why.isEmpty()) why = local_->MarkSent(entry.id);
      if (!why.isEmpty()) return Failed(why);
    }
    // More to send: after whatever came in meanwhile.
    if (int(batch.size()) == kBatch) more_->start();
    return true;
  }
  // The local file is out of use: what waits in memory goes to the server straight away.
  while (!memory_.empty()) {
    if (QString why = shared_->Add(memory_.front()); !why.isEmpty()) return Failed(why);
    memory_.pop_front();
  }
  return true;
}

bool JournalWorker::Failed(const QString& why) {
  shared_->Close();
  Tell(why);
  return false;
}

void JournalWorker::Rescue() {
  // The journal file is damaged or cannot be written: what waits goes into a new file beside it,
  // the damaged one left as it is for whoever mends it.
  JournalTarget rescue = localTarget_;
  rescue.database += QDateTime::currentDateTime().toString(QStringLiteral("'.rescued-'yyyyMMdd-HHmmss'.sqlite'"));
  {
    JournalDatabase file(QStringLiteral("rescue-%1").arg(quintptr(this), 0, 16));
    if (file.Open(rescue).isEmpty()) {
      int rescued = 0;
      while (!memory_.empty() && file.Add(memory_.front(), sharedTarget_.has_value()).isEmpty()) {
        memory_.pop_front();
        ++rescued;
      }
      if (rescued > 0) emit Rescued(rescue.database, rescued);
      if (rescued > 0) return LostRest();
    }
  }
  // A rescue file that holds nothing is no rescue: it goes, and so does its journal.
  QFile::remove(rescue.database);
  for (const char* beside : {"-journal", "-wal", "-shm"}) QFile::remove(rescue.database + QLatin1String(beside));
  LostRest();
}

void JournalWorker::LostRest() {
  QStringList lost;
  for (const JournalEntry& entry : memory_) lost << JournalJsonLine(entry);
  memory_.clear();
  if (!lost.isEmpty()) emit Lost(lost);
}

void JournalWorker::Tell(const QString& why) {
  if (troubleTold_) return;
  troubleTold_ = true;
  emit Trouble(why);
}

}  // namespace hopper
