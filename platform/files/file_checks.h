#pragma once
// Checks on the names and kinds of the files the program opens for itself (settings, logs,
// parameter files): only a regular file, or nothing yet, is opened, since opening a pipe waits
// for a peer for good and a device can be endless; and a name is used only as the bytes given.

#include <QFileInfo>
#include <QString>
#include <optional>

namespace hopper {

// What opening, creating or writing one of those files came to: a kind the caller decides by
// and, for a failure, the words for the user.
struct FileOutcome {
  enum class Kind {
    Done,
    NotAPlainFile,  // a folder, a pipe, a device stands at the name
    Failed,         // the system refused: the words are its own
  };
  Kind kind = Kind::Done;
  QString why;
  bool ok() const { return kind == Kind::Done; }
};

// Why the program does not open `info` as a file of its own: a folder, or anything else that is
// not a regular file (a pipe, a device, a socket). Empty for a regular file or a missing one.
QString WhyNotPlainFile(const QFileInfo& info);

// The first of the program's arguments (argv[1] on) whose bytes do not come back unchanged
// through the conversion to text that every file name takes, shown with such bytes escaped
// ("\xff"); nothing when all do. A file of that name could not be opened under it. Always
// nothing on Windows, where the arguments come as UTF-16.
std::optional<QString> UnkeptArgument(int argc, const char* const* argv);

}  // namespace hopper
