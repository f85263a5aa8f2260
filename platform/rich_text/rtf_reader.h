#pragma once
// Our own reader for rich-text (RTF) files, since Qt reads none: it turns the file into a
// QTextDocument with its paragraphs, fonts, sizes, colours, alignment and indents.
//
// Reading never fails on content. Broken braces, a truncated file, garbage bytes or absurd
// numbers give a document with whatever could be read; only a file that cannot be opened
// is reported.

#include <QByteArray>
#include <QString>

class QTextDocument;

namespace hopper {

enum class RtfFileStatus {
  Read,        // the file was opened and read; its content, good or bad, is in the document
  CannotOpen,  // missing, a folder, no permission, or held by another program
};

class RtfReader {
 public:
  // Files larger than this are read only this far: a manual is a few hundred kilobytes, and
  // the document keeps no more than RtfDocumentBuilder's limits in any case.
  static constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

  // Replaces the document's content with what `rtf` holds; `moreFollows` when it is only the
  // start of the file, so the document ends with the note that it was cut.
  static void Read(const QByteArray& rtf, QTextDocument* document, bool moreFollows = false);
  // Leaves the document untouched unless the file could be opened.
  static RtfFileStatus ReadFile(const QString& path, QTextDocument* document);
};

}  // namespace hopper
