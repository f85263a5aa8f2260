#include "platform/files/parameter_file_io.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>

#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <sys/file.h>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <windows.h>
#endif

#include "platform/files/file_checks.h"

namespace hopper {

ItemReader::ReadChunk ChunksOf(QIODevice& device) {
  return [&device](char* buffer, std::size_t capacity) -> std::int64_t {
    return device.read(buffer, static_cast<qint64>(capacity));
  };
}

bool IsOrdinaryFile(const QString& path) { return QFileInfo(path).isFile(); }

FileOutcome CreateEmptyFile(const QString& path) {
  const QFileInfo info(path);
  // Replacing a device or a pipe by a regular file is never what the user meant.
  if (QString why = WhyNotPlainFile(info); !why.isEmpty()) return {FileOutcome::Kind::NotAPlainFile, why};
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return {FileOutcome::Kind::Failed, file.errorString()};
  file.close();
  if (file.error() != QFileDevice::NoError) return {FileOutcome::Kind::Failed, file.errorString()};
  return {};
}

namespace {
QString Tr(const char* text) { return QCoreApplication::translate("ParameterFiles", text); }

// A save writes "<name>.<six letters or digits>.hopper-save" beside the file first. The ending is
// the program's own, so what a save that was killed half-way left can be told from the user's files.
constexpr char kTemporaryEnding[] = ".hopper-save";

QString TemporaryNameFor(const QString& target) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  QString name = target + QLatin1Char('.');
  for (int i = 0; i < 6; ++i) name += QLatin1Char(kLetters[QRandomGenerator::global()->bounded(62)]);
  return name + QLatin1String(kTemporaryEnding);
}

// A save in progress holds a lock on its temporary file (the system drops it with the process),
// so another save into the same folder, of this program or of hopper-cli, leaves it alone. On
// Windows an open file cannot be removed in the first place.
bool Lock(QFile& file) {
#ifdef Q_OS_UNIX
  return ::flock(file.handle(), LOCK_EX | LOCK_NB) == 0;
#else
  Q_UNUSED(file);
  return true;
#endif
}

void RemoveLeftoversIn(const QDir& folder) {
  static const QRegularExpression own(QStringLiteral("^.+\\.[A-Za-z0-9]{6}\\.hopper-save$"));
  const QStringList pattern{QStringLiteral("*") + QLatin1String(kTemporaryEnding)};
  for (const QFileInfo& entry : folder.entryInfoList(pattern, QDir::Files | QDir::Hidden)) {
    if (entry.isSymLink() || !own.match(entry.fileName()).hasMatch()) continue;
    QFile leftover(entry.filePath());
    if (leftover.open(QIODevice::ReadOnly) && Lock(leftover)) leftover.remove();
  }
}

#ifdef Q_OS_WIN
// Windows' fsync: the file's cached content goes to the disk. Any handle with write access to
// the file flushes all of it, so a handle of its own serves while Qt's stays open.
bool FlushToDisk(const QString& path) {
  HANDLE handle = CreateFileW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(path).utf16()), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const bool flushed = FlushFileBuffers(handle) != 0;
  CloseHandle(handle);
  return flushed;
}
#endif

// Why the content could not be written; empty when it is on the disk.
QString WriteOut(QFile& file, const QByteArray& bytes) {
  if (file.write(bytes) != bytes.size() || !file.flush()) return file.errorString();
    // The new content is on the disk before it takes the old one's place.
#ifdef Q_OS_UNIX
  if (::fsync(file.handle()) != 0) return file.errorString();
#endif
#ifdef Q_OS_WIN
  if (!FlushToDisk(file.fileName())) return qt_error_string(static_cast<int>(GetLastError()));
#endif
  return QString();
}
}  // namespace

QString WriteWholeFile(const QString& path, const QByteArray& bytes) {
  const QFileInfo info(path);
  if (QString why = WhyNotPlainFile(info); !why.isEmpty()) return why;
  // Through a link, the file it names is replaced and the link stays.
  const QFileInfo target(info.exists() ? info.canonicalFilePath() : info.absoluteFilePath());
  if (target.exists() && !target.isWritable()) return Tr("This user may not write the file.");
  RemoveLeftoversIn(target.absoluteDir());

  QFile temporary;
  for (int attempt = 0; attempt < 8 && !temporary.isOpen(); ++attempt) {
    temporary.setFileName(TemporaryNameFor(target.absoluteFilePath()));
    // Made new, never an existing file: a folder that forbids it fails here, before any harm.
    if (!temporary.open(QIODevice::WriteOnly | QIODevice::NewOnly) && !QFileInfo::exists(temporary.fileName())) break;
  }
  if (!temporary.isOpen()) return temporary.errorString();
  Lock(temporary);
  if (target.exists()) temporary.setPermissions(target.permissions());  // who may read it stays the same
  QString why = WriteOut(temporary, bytes);
  temporary.close();
  if (why.isEmpty()) {
    std::error_code error;
    std::filesystem::rename(temporary.filesystemFileName(), QFile(target.absoluteFilePath()).filesystemFileName(),
                            error);
    if (!error) return QString();
    why = QString::fromLocal8Bit(error.message());
  }
  temporary.remove();
  return why;
}

QString DefaultParameterFolder(const QString& programFolder) {
  const QFileInfo folder(programFolder);
  if (folder.isDir() && folder.isWritable()) return programFolder;
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  return QFileInfo(documents).isDir() ? documents : QStandardPaths::writableLocation(QStandardPaths::HomeLocation);
}

}  // namespace hopper
