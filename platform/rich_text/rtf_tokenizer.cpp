#include "platform/rich_text/rtf_tokenizer.h"

#include <algorithm>

namespace hopper {

namespace {

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Control words are at most 32 letters; anything longer is garbage and is cut there.
constexpr int kMaxWordLength = 32;

}  // namespace

RtfToken RtfTokenizer::Next() {
  while (!AtEnd()) {
    const char c = data_.at(pos_);
    if (c == '{') {
      ++pos_;
      return RtfToken{RtfToken::Kind::GroupStart};
    }
    if (c == '}') {
      ++pos_;
      return RtfToken{RtfToken::Kind::GroupEnd};
    }
    if (c == '\\') return ReadControl();
    if (c == '\r' || c == '\n' || c == '\0') {  // line ends in the file carry no meaning
      ++pos_;
      continue;
    }
    return ReadText();
  }
  return RtfToken{};
}

RtfToken RtfTokenizer::ReadText() {
  const qsizetype start = pos_;
  while (!AtEnd()) {
    const char c = data_.at(pos_);
    if (c == '{' || c == '}' || c == '\\' || c == '\r' || c == '\n' || c == '\0') break;
    ++pos_;
  }
  RtfToken token{RtfToken::Kind::Text};
  token.word = data_.mid(start, pos_ - start);
  return token;
}

RtfToken RtfTokenizer::ReadControl() {
  ++pos_;                          // the backslash
  if (AtEnd()) return RtfToken{};  // a lone backslash at the very end: nothing to show
  const char first = data_.at(pos_);

  if (!IsLetter(first)) {
    ++pos_;
    if (first == '\'') {
      // \'hh: two hex digits; a damaged pair yields what was readable and is otherwise dropped.
      int value = 0;
      int digits = 0;
      while (digits < 2 && !AtEnd() && HexValue(data_.at(pos_)) >= 0) {
        value = value * 16 + HexValue(data_.at(pos_));
        ++pos_;
        ++digits;
      }
      if (digits == 0) return RtfToken{RtfToken::Kind::Text};  // nothing readable: an empty run
      RtfToken token{RtfToken::Kind::HexByte};
      token.byte = static_cast<unsigned char>(value);
      return token;
    }
    // A backslash before a line end is a paragraph mark in older writers.
    RtfToken token{RtfToken::Kind::ControlSymbol};
    token.symbol = (first == '\r' || first == '\n') ? '\n' : first;
    return token;
  }

  RtfToken token{RtfToken::Kind::ControlWord};
  const qsizetype start = pos_;
  while (!AtEnd() && IsLetter(data_.at(pos_))) ++pos_;
  token.word = data_.mid(start, std::min<qsizetype>(pos_ - start, kMaxWordLength));

  bool negative = false;
  if (!AtEnd() && data_.at(pos_) == '-' && pos_ + 1 < data_.size() && IsDigit(data_.at(pos_ + 1))) {
    negative = true;
    ++pos_;
  }
  long long value = 0;
  while (!AtEnd() && IsDigit(data_.at(pos_))) {
    token.hasParameter = true;
    value = std::min<long long>(value * 10 + (data_.at(pos_) - '0'), kMaxParameter);
    ++pos_;
  }
  token.parameter = static_cast<int>(negative ? -value : value);
  if (!AtEnd() && data_.at(pos_) == ' ') ++pos_;  // the delimiting space belongs to the word

  if (token.word == "bin") {
    // Raw bytes follow that may contain braces; step over them, never past the end.
    const qsizetype length = std::max(0, token.parameter);
    pos_ = std::min<qsizetype>(pos_ + length, data_.size());
    return RtfToken{RtfToken::Kind::Binary};
  }
  return token;
}

}  // namespace hopper
