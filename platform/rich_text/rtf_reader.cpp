#include "platform/rich_text/rtf_reader.h"

#include <QFile>
#include <QFileInfo>
#include <QTextDocument>

#include "platform/rich_text/rtf_document_builder.h"
#include "platform/rich_text/rtf_tokenizer.h"

namespace hopper {

void RtfReader::Read(const QByteArray& rtf, QTextDocument* document, bool moreFollows) {
  document->clear();
  RtfTokenizer tokenizer(rtf);
  RtfDocumentBuilder builder(document);
  builder.Build(tokenizer, moreFollows);
}

RtfFileStatus RtfReader::ReadFile(const QString& path, QTextDocument* document) {
  QFile file(path);
  // A folder opens on some systems; it is no manual.
  if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) return RtfFileStatus::CannotOpen;
  const QByteArray content = file.read(kMaxFileSize);
  Read(content, document, !file.atEnd());
  return RtfFileStatus::Read;
}

}  // namespace hopper
