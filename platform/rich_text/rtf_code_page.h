#pragma once
// Turns the 8-bit characters of a rich-text file into text, in the file's Windows code page.
// Windows-1252, the usual one, is built in; others are taken from Qt's converters when the
// system has them, and fall back to Windows-1252 when it does not.

#include <QByteArray>
#include <QString>

namespace hopper {

class RtfCodePage {
 public:
  explicit RtfCodePage(int number = 1252);

  int Number() const { return number_; }
  // Bytes that the code page does not map come out as U+FFFD.
  QString Decode(const QByteArray& bytes) const;

  // The code page that a font's \fcharset stands for, or 0 when the charset names none.
  static int ForCharset(int charset);

 private:
  int number_ = 1252;
  QByteArray converterName_;  // empty: the built-in Windows-1252 table
};

}  // namespace hopper
