#pragma once
// A made-up /proc, /sys, /run and /var tree in a temporary folder, for the readers that take a
// root folder: "proc/4711/comm=picocom" writes a file, "proc/4711/fd/3->/dev/ttyUSB0" a link,
// "proc/4712/" a folder.

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

namespace hopper::test {

class FakeSystemTree {
 public:
  explicit FakeSystemTree(const QStringList& entries) {
    for (const QString& entry : entries) Add(entry);
  }
  QString Root() const { return dir_.path(); }

  void Add(const QString& entry) {
    const qsizetype arrow = entry.indexOf(QStringLiteral("->"));
    const qsizetype equals = entry.indexOf(QLatin1Char('='));
    const QString path = dir_.filePath(entry.left(arrow >= 0 ? arrow : equals >= 0 ? equals : entry.size()));
    QDir().mkpath(entry.endsWith(QLatin1Char('/')) ? path : QFileInfo(path).path());
    if (arrow >= 0) {
      QFile::link(entry.mid(arrow + 2), path);
    } else if (equals >= 0) {
      QFile file(path);
      if (file.open(QIODevice::WriteOnly)) file.write(entry.mid(equals + 1).toUtf8() + '\n');
    }
  }

 private:
  QTemporaryDir dir_;
};

}  // namespace hopper::test
