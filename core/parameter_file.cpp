#include "core/parameter_file.h"

#include <istream>

namespace hopper {

std::string ParameterFileText(const ChannelTexts& entries) {
  std::string text;
  for (const std::string& entry : entries) {
    text += ' ';
    text += std::to_string(EntryValue(entry));
    text += "\r\n";
  }
  return text;
}

ItemReader::ItemReader(ReadChunk read, std::size_t chunkSize)
    : read_(std::move(read)), buffer_(chunkSize == 0 ? 1 : chunkSize) {}

ItemReader ItemReader::FromStream(std::istream& in) {
  return ItemReader([&in](char* buffer, std::size_t capacity) -> std::int64_t {
    if (!in) return 0;
    in.read(buffer, static_cast<std::streamsize>(capacity));
    return static_cast<std::int64_t>(in.gcount());
  });
}

int ItemReader::Peek() {
  if (pos_ == len_) {
    if (end_) return -1;
    const std::int64_t n = read_(buffer_.data(), buffer_.size());
    if (n <= 0) {
      readError_ = readError_ || n < 0;
      end_ = true;
      return -1;
    }
    pos_ = 0;
    len_ = static_cast<std::size_t>(n);
  }
  return static_cast<unsigned char>(buffer_[pos_]);
}

int ItemReader::Get() {
  const int c = Peek();
  if (c >= 0) ++pos_;
  return c;
}

void ItemReader::Take(ParameterItem& item, char c) {
  ++item.length;
  if (c == ' ') return;
  if (c < '0' || c > '9') item.allDigits = false;
  if (item.head.size() < kMaxEntryLength) item.head += c;
}

namespace {
bool IsLineEnd(int c) { return c == '\r' || c == '\n'; }
}  // namespace

void ItemReader::SkipRestOfItem() {
  for (;;) {
    const int c = Get();
    if (c < 0 || c == ',' || c == '\n') return;
    if (c == '\r') {
      if (Peek() == '\n') Get();
      return;
    }
  }
}

std::optional<ParameterItem> ItemReader::Next() {
  if (Peek() < 0) return std::nullopt;
  ParameterItem item;
  while (Peek() == ' ') Get();

  if (Peek() == '"') {
    Get();
    for (int c = Get(); c >= 0 && c != '"'; c = Get()) Take(item, static_cast<char>(c));
    SkipRestOfItem();  // whatever stands between the closing quote and the separator
    return item;
  }

  for (;;) {
    const int c = Get();
    if (c < 0 || c == ',' || IsLineEnd(c)) {
      if (c == '\r' && Peek() == '\n') Get();  // CR LF is one line end
      return item;
    }
    Take(item, static_cast<char>(c));
  }
}

LoadResult LoadParameterItems(ItemReader& reader) {
  LoadResult result;
  result.entries.fill(std::string(kResetEntry));
  for (int i = 0; i < kChannelCount; ++i) {
    const std::optional<ParameterItem> item = reader.Next();
    if (!item) {
      result.outcome = LoadOutcome::Short;
      result.channel = i;
      return result;
    }
    if (item->head.empty()) continue;  // an empty item loads as "0"
    if (!item->allDigits) {
      result.outcome = LoadOutcome::Rejected;
      result.channel = i;
      return result;
    }
    result.entries[static_cast<std::size_t>(i)] = item->head;
  }
  result.outcome = LoadOutcome::Complete;
  result.channel = kChannelCount;
  return result;
}

}  // namespace hopper
