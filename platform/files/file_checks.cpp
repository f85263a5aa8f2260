#include "platform/files/file_checks.h"

#include <QCoreApplication>
#include <QFile>

namespace hopper {

namespace {
QString Tr(const char* text) { return QCoreApplication::translate("Files", text); }

#ifndef Q_OS_WIN
QString ShownBytes(const QByteArray& bytes) {
  QString shown;
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    shown += b >= 0x20 && b < 0x7F ? QString(QLatin1Char(c)) : QStringLiteral("\\x%1").arg(b, 2, 16, QLatin1Char('0'));
  }
  return shown;
}
#endif
}  // namespace

QString WhyNotPlainFile(const QFileInfo& info) {
  if (info.isDir()) return Tr("It is a folder.");
  if (info.exists() && !info.isFile()) return Tr("It is not an ordinary file.");
  return QString();
}

std::optional<QString> UnkeptArgument(int argc, const char* const* argv) {
#ifdef Q_OS_WIN
  // The program takes its arguments from the UTF-16 command line, not from argv.
  Q_UNUSED(argc);
  Q_UNUSED(argv);
  return std::nullopt;
#else
  for (int i = 1; i < argc; ++i) {
    const QByteArray given(argv[i]);
    if (QFile::encodeName(QFile::decodeName(given)) != given) return ShownBytes(given);
  }
  return std::nullopt;
#endif
}

}  // namespace hopper
