#include "platform/rich_text/rtf_tables.h"

#include <algorithm>

#include "platform/rich_text/rtf_code_page.h"

namespace hopper {

namespace {
// More entries than any real document has; a damaged table cannot grow without end.
constexpr qsizetype kMaxEntries = 4096;
constexpr qsizetype kMaxNameLength = 256;
}  // namespace

void RtfFontTable::BeginEntry(int number) {
  if (current_ >= 0 && !name_.isEmpty()) Commit();
  current_ = number;
  pending_ = RtfFont{};
  name_.clear();
}

void RtfFontTable::SetCharset(int charset) { pending_.codePage = RtfCodePage::ForCharset(charset); }

void RtfFontTable::AddNameBytes(const QByteArray& bytes) {
  for (char c : bytes) {
    if (c == ';') {
      Commit();
    } else if (name_.size() < kMaxNameLength) {
      name_.append(c);
    }
  }
}

void RtfFontTable::FinishEntry() {
  if (!name_.isEmpty()) Commit();
}

void RtfFontTable::Commit() {
  if (current_ >= 0 && (fonts_.size() < kMaxEntries || fonts_.contains(current_))) {
    RtfFont font = pending_;
    // Font names are written in the system code page; Windows-1252 covers the usual ones.
    font.family = RtfCodePage(font.codePage ? font.codePage : 1252).Decode(name_).trimmed();
    fonts_.insert(current_, font);
  }
  name_.clear();
}

const RtfFont* RtfFontTable::Find(int number) const {
  const auto it = fonts_.constFind(number);
  return it == fonts_.constEnd() ? nullptr : &it.value();
}

void RtfColorTable::SetComponent(const QByteArray& word, int value) {
  const int v = std::clamp(value, 0, 255);
  if (word == "red") red_ = v;
  else if (word == "green") green_ = v;
  else if (word == "blue") blue_ = v;
  else return;
  any_ = true;
}

void RtfColorTable::AddBytes(const QByteArray& bytes) {
  for (char c : bytes) {
    if (c != ';') continue;
    if (colors_.size() < kMaxEntries) colors_.append(any_ ? QColor(red_, green_, blue_) : QColor());
    red_ = green_ = blue_ = 0;
    any_ = false;
  }
}

QColor RtfColorTable::At(int index) const {
  if (index < 0 || index >= colors_.size()) return QColor();
  return colors_.at(index);
}

}  // namespace hopper
