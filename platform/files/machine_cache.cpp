#include "platform/files/machine_cache.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>

#include "platform/files/portable_folder.h"

namespace hopper {

namespace {

constexpr std::size_t kMostAnswers = 32;  // a few per window and per desktop the machine has had
constexpr qint64 kLargestFile = 64 * 1024;

QString Digest(const QString& question) {
  return QString::fromLatin1(QCryptographicHash::hash(question.toUtf8(), QCryptographicHash::Sha256).toHex());
}

}  // namespace

MachineCache::MachineCache(QString path) : path_(std::move(path)) {
  QFile file(path_);
  if (file.size() > kLargestFile || !file.open(QIODevice::ReadOnly)) return;
  // One answer a line: the digest, a tab, the answer. Anything else is passed over.
  while (!file.atEnd() && answers_.size() < kMostAnswers) {
    QByteArray raw = file.readLine();
    if (raw.endsWith('\n')) raw.chop(1);
    const QString line = QString::fromUtf8(raw);
    const qsizetype tab = line.indexOf(QLatin1Char('\t'));
    if (tab == 64) answers_.emplace_back(line.left(tab), line.mid(tab + 1));
  }
}

QString MachineCache::DefaultPath() {
  if (const QString portable = PortableFolder(); !portable.isEmpty())
    return QDir(portable).filePath(QStringLiteral("machine-cache.txt"));
  return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
      .filePath(QStringLiteral("Hopper kit/machine-cache.txt"));
}

MachineCache& MachineCache::Program() {
  static MachineCache cache(DefaultPath());
  return cache;
}

std::optional<QString> MachineCache::Find(const QString& question) const {
  const QString digest = Digest(question);
  const auto kept =
      std::find_if(answers_.begin(), answers_.end(), [&](const auto& entry) { return entry.first == digest; });
  if (kept == answers_.end()) return std::nullopt;
  return kept->second;
}

void MachineCache::Keep(const QString& question, const QString& answer) {
  const QString digest = Digest(question);
  std::erase_if(answers_, [&](const auto& entry) { return entry.first == digest; });
  answers_.insert(answers_.begin(), {digest, QString(answer).remove(QLatin1Char('\n'))});
  if (answers_.size() > kMostAnswers) answers_.resize(kMostAnswers);
  QDir().mkpath(QFileInfo(path_).absolutePath());
  QSaveFile file(path_);
  if (!file.open(QIODevice::WriteOnly)) return;
  for (const auto& [kept, text] : answers_) file.write((kept + QLatin1Char('\t') + text + QLatin1Char('\n')).toUtf8());
  file.commit();  // or the earlier file stays whole; the answer is only worked out again
}

}  // namespace hopper
