#pragma once
// The files behind the parameter-file commands: read in fixed-size chunks whatever the file's
// size, and written so that a failure never leaves a half-written file behind.

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include "core/parameter_file.h"
#include "platform/files/file_checks.h"

namespace hopper {

// Feeds an open device to an ItemReader one chunk at a time.
ItemReader::ReadChunk ChunksOf(QIODevice& device);

// An existing regular file (symbolic links followed), hidden or not: the only kind of path the
// commands open. Folders, pipes and devices are not.
bool IsOrdinaryFile(const QString& path);

// Creates an empty file at `path`, or empties the regular file there. Refuses folders, devices
// and pipes (opening a pipe would wait for a reader forever).
FileOutcome CreateEmptyFile(const QString& path);

// Replaces the content of `path` with `bytes` through a temporary file beside it that takes the
// file's place only once everything is written; what an earlier save killed half-way left in that
// folder is removed first. Returns why it failed, or nothing.
QString WriteWholeFile(const QString& path, const QByteArray& bytes);

// Where the parameter-file dialogs start when no path is stored yet: the program folder, unless
// the program cannot write there (an installed program), then the user's documents folder.
QString DefaultParameterFolder(const QString& programFolder);

}  // namespace hopper
