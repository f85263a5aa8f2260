#include "ui/dropped_file.h"

#include <QMimeData>
#include <QUrl>

#include "core/channel_table.h"

namespace hopper {

std::optional<QString> DroppedFile(const QMimeData* data) {
  if (!data || !data->hasUrls()) return std::nullopt;
  const QList<QUrl> urls = data->urls();
  if (urls.size() != 1 || !urls.first().isLocalFile()) return std::nullopt;
  return urls.first().toLocalFile();
}

bool BoxTakesDroppedText(const QMimeData* data) {
  if (!data || data->hasUrls() || !data->hasText()) return false;
  const QString text = data->text();
  return !text.isEmpty() && IsAllDigits(text.toStdString());
}

}  // namespace hopper
