#include "platform/widgets/plain_text.h"

#include <QTextDocument>

namespace hopper {

QString PlainToolTip(const QString& text) {
  if (!Qt::mightBeRichText(text)) return text;
  // Rich text whose only content is the escaped text: shown literally, line breaks kept.
  return QStringLiteral("<p style='white-space:pre-wrap'>") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

}  // namespace hopper
