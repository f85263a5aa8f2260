#include "platform/station/set_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "core/parameter_file.h"
#include "core/save_check.h"
#include "platform/files/parameter_file_io.h"

namespace hopper {

namespace {
QString Text(std::string_view text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }
}  // namespace

SetFile ReadSetFile(const QString& path) {
  SetFile set;
  const QString shown = QDir::toNativeSeparators(path);
  set.entries.fill(std::string(kResetEntry));
  if (!IsOrdinaryFile(path)) {
    set.refusal = QFileInfo::exists(path) ? QStringLiteral("This is not a regular file") : Text(kMissingFileMessage);
    set.detail = shown;
    return set;
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    set.refusal = QStringLiteral("The file could not be opened");
    set.detail = shown + QStringLiteral(": ") + file.errorString();
    return set;
  }
  ItemReader reader(ChunksOf(file));
  const LoadResult loaded = LoadParameterItems(reader);
  if (loaded.outcome == LoadOutcome::Rejected) {
    set.refusal = Text(kUnableToLoadMessage);
    set.detail =
        QStringLiteral("%1: Channel%2 is not a number of at most five digits").arg(shown).arg(loaded.channel + 1);
    return set;
  }
  if (reader.ReadErrorSeen()) {
    set.refusal = QStringLiteral("The file could not be read to its end");
    set.detail = shown + QStringLiteral(": ") + file.errorString();
    return set;
  }
  set.entries = loaded.entries;
  // The tool's Open fills the boxes a short file leaves out with 0, without a word.
  if (loaded.outcome == LoadOutcome::Short)
    set.warnings << shown + QStringLiteral(": ") + QString::fromStdString(ShortFileText(loaded.channel));

  const SaveCheck check = CheckSave(set.entries);
  if (check.verdict == SaveVerdict::RangeError) {
    set.refusal = Text(kRangeErrorMessage);
    set.detail = QStringLiteral("%1: Channel%2 is above 65535").arg(shown).arg(check.channel + 1);
  } else if (check.verdict == SaveVerdict::AllZero) {
    set.refusal = Text(kAllZeroMessage);
    set.detail = QStringLiteral("%1: every channel is 0").arg(shown);
  }
  return set;
}

}  // namespace hopper
