#pragma once
// What the rich-text reader's tests compare: the text a document shows, as one string.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>

#include "platform/rich_text/rtf_reader.h"

namespace hopper::test {

// Blocks joined by '\n'; line breaks inside a block stay U+2028.
inline QString TextOf(const QTextDocument& document) {
  QStringList blocks;
  for (QTextBlock b = document.begin(); b.isValid(); b = b.next()) blocks << b.text();
  return blocks.join(QLatin1Char('\n'));
}

// The text a fresh document shows once `rtf` has been read into it.
inline QString TextRead(const QByteArray& rtf) {
  QTextDocument document;
  RtfReader::Read(rtf, &document);
  return TextOf(document);
}

}  // namespace hopper::test
