#pragma once
// Answers this machine took long to work out and gives the same way every time, kept for the
// next start: which font the captions fit, for instance. A question is any text; it is kept by
// a digest, so nothing it names is written out. The file is small and rewritten whole; one that
// cannot be read or written only means the answers are worked out again.

#include <QString>
#include <optional>
#include <utility>
#include <vector>

namespace hopper {

class MachineCache {
 public:
  // The cache in `path`, read once now.
  explicit MachineCache(QString path);

  // Where the program keeps it: beside the settings of a portable copy, else in the user's
  // cache folder.
  static QString DefaultPath();
  // The program's own cache, read at the first use.
  static MachineCache& Program();

  std::optional<QString> Find(const QString& question) const;
  // Keeps the answer, the newest first; the oldest go beyond a bound.
  void Keep(const QString& question, const QString& answer);

 private:
  QString path_;
  std::vector<std::pair<QString, QString>> answers_;  // digest, answer; the newest first
};

}  // namespace hopper
