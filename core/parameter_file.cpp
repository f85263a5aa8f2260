#include "core/parameter_file.h"

#include <algorithm>
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

void ItemReader::Take(ParameterItem& item, const char* begin, const char* end) {
  item.length += static_cast<std::uint64_t>(end - begin);
  const char* p = begin;
  for (; p != end && item.head.size() < kMaxEntryLength; ++p) {
    if (*p == ' ') continue;
    item.allDigits = item.allDigits && *p >= '0' && *p <= '9';
    item.head += *p;
  }
  // Past the first five characters only "all digits?" is left to decide.
  if (item.allDigits)
    item.allDigits = std::all_of(p, end, [](char c) { return c == ' ' || (c >= '0' && c <= '9'); });
}

namespace {
bool EndsUnquotedItem(char c) { return c == ',' || c == '\r' || c == '\n'; }
bool EndsQuotedItem(char c) { return c == '"'; }
}  // namespace

// Hands the characters before the next stop character to `item` (when given), a buffer at a
// time, and consumes the stop character. Returns it, or -1 at the end of the file.
int ItemReader::TakeUntil(ParameterItem* item, bool (*isStop)(char)) {
  for (;;) {
    if (Peek() < 0) return -1;
    const char* begin = buffer_.data() + pos_;
    const char* end = buffer_.data() + len_;
    const char* stop = std::find_if(begin, end, isStop);
    if (item) Take(*item, begin, stop);
    pos_ += static_cast<std::size_t>(stop - begin);
    if (stop != end) return Get();
  }
}

void ItemReader::SkipLineFeedAfter(int separator) {
  if (separator == '\r' && Peek() == '\n') Get();  // CR LF is one line end
}

std::optional<ParameterItem> ItemReader::Next() {
  if (Peek() < 0) return std::nullopt;
  ParameterItem item;
  while (Peek() == ' ') Get();

  if (Peek() == '"') {
    Get();
    TakeUntil(&item, EndsQuotedItem);
    // Whatever stands between the closing quote and the separator is not part of the item.
    SkipLineFeedAfter(TakeUntil(nullptr, EndsUnquotedItem));
    return item;
  }

  SkipLineFeedAfter(TakeUntil(&item, EndsUnquotedItem));
  return item;
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
