#pragma once
// Splits rich-text (RTF) bytes into groups, control words, control symbols and text.
// It never fails: whatever the bytes are, every call moves forward, so a reader built on it
// ends on any input, however broken.

#include <QByteArray>

namespace hopper {

struct RtfToken {
  enum class Kind {
    End,            // no more input
    GroupStart,     // {
    GroupEnd,       // }
    ControlWord,    // \name or \nameN
    ControlSymbol,  // \ followed by one non-letter, e.g. \~ \* \{
    HexByte,        // \'hh: one byte of the document's code page
    Text,           // a run of plain bytes (no braces, no backslash, no line ends)
    Binary,         // the data of \binN, already skipped over
  };
  RtfToken() = default;
  explicit RtfToken(Kind k) : kind(k) {}

  Kind kind = Kind::End;
  QByteArray word;  // control word name, or the text run's bytes
  char symbol = 0;  // control symbol
  bool hasParameter = false;
  int parameter = 0;       // clamped to +/- kMaxParameter
  unsigned char byte = 0;  // HexByte
};

class RtfTokenizer {
 public:
  // Control-word numbers beyond this are cut to it: real documents stay far below, and a
  // huge number in a damaged file must not overflow.
  static constexpr int kMaxParameter = 1'000'000'000;

  explicit RtfTokenizer(QByteArray data) : data_(std::move(data)) {}

  RtfToken Next();

 private:
  RtfToken ReadControl();
  RtfToken ReadText();
  bool AtEnd() const { return pos_ >= data_.size(); }

  QByteArray data_;
  qsizetype pos_ = 0;
};

}  // namespace hopper
