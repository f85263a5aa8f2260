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
  for (const char* p = begin; p != end; ++p) {
    if (*p == ' ') continue;
    ++item.kept;
    item.allDigits = item.allDigits && *p >= '0' && *p <= '9';
    if (item.head.size() < kMaxEntryLength) item.head += *p;
    if (item.significant.size() <= kMaxEntryLength && !(item.significant.empty() && *p == '0')) item.significant += *p;
  }
}

namespace {
bool EndsUnquotedItem(char c) { return c == ',' || c == '\r' || c == '\n'; }
bool EndsQuotedItem(char c) { return c == '"'; }
}  // namespace

// Hands the characters before the next stop character to `item` (when given), a buffer at a
// time, and consumes the stop character. Returns it, or -1 at the end of the file or where
// `reading` let the item end early.
int ItemReader::TakeUntil(ParameterItem* item, bool (*isStop)(char), Reading reading) {
  for (;;) {
    if (Peek() < 0) return -1;
    const char* begin = buffer_.data() + pos_;
    const char* end = buffer_.data() + len_;
    const char* stop = std::find_if(begin, end, isStop);
    if (item) Take(*item, begin, stop);
    pos_ += static_cast<std::size_t>(stop - begin);
    if (stop != end) return Get();
    if (item && reading == Reading::UntilRefused && !item->Loadable()) {
      item->whole = false;
      return -1;
    }
  }
}

void ItemReader::SkipLineFeedAfter(int separator) {
  if (separator == '\r' && Peek() == '\n') Get();  // CR LF is one line end
}

void ItemReader::SkipByteOrderMark() {
  static constexpr unsigned char kMark[] = {0xEF, 0xBB, 0xBF};
  // The mark arrives in the first chunk unless the chunks are smaller than the mark itself.
  if (Peek() < 0 || len_ - pos_ < sizeof kMark) return;
  if (std::equal(kMark, kMark + sizeof kMark, reinterpret_cast<const unsigned char*>(buffer_.data() + pos_)))
    pos_ += sizeof kMark;
}

std::optional<ParameterItem> ItemReader::Next(Reading reading) {
  if (!started_) {
    started_ = true;
    SkipByteOrderMark();
  }
  if (Peek() < 0) return std::nullopt;
  ParameterItem item;
  while (Peek() == ' ') Get();

  if (Peek() == '"') {
    Get();
    TakeUntil(&item, EndsQuotedItem, reading);
    // Whatever stands between the closing quote and the separator is not part of the item.
    if (item.whole) SkipLineFeedAfter(TakeUntil(nullptr, EndsUnquotedItem));
    return item;
  }

  SkipLineFeedAfter(TakeUntil(&item, EndsUnquotedItem, reading));
  return item;
}

namespace {
// What a box shows for an item of digits, or nothing when no box can hold it without changing
// its value.
std::optional<std::string> EntryFor(const ParameterItem& item) {
  if (item.kept <= kMaxEntryLength) return item.head;  // leading zeros stay as written
  if (item.significant.size() > kMaxEntryLength) return std::nullopt;
  return item.significant.empty() ? std::string(kResetEntry) : item.significant;
}
}  // namespace

LoadResult LoadParameterItems(ItemReader& reader) {
  LoadResult result;
  result.entries.fill(std::string(kResetEntry));
  for (int i = 0; i < kChannelCount; ++i) {
    const std::optional<ParameterItem> item = reader.Next(ItemReader::Reading::UntilRefused);
    if (!item) {
      result.outcome = LoadOutcome::Short;
      result.channel = i;
      return result;
    }
    if (item->head.empty()) continue;  // an empty item loads as "0"
    const std::optional<std::string> entry = item->Loadable() ? EntryFor(*item) : std::nullopt;
    if (!entry) {
      result.outcome = LoadOutcome::Rejected;
      result.channel = i;
      return result;
    }
    result.entries[static_cast<std::size_t>(i)] = *entry;
  }
  result.outcome = LoadOutcome::Complete;
  result.channel = kChannelCount;
  return result;
}

std::string ShortFileText(int itemsHeld) {
  if (itemsHeld <= 0) return "The file held no channels; every channel was set to 0.";
  const std::string held = itemsHeld == 1 ? "1 channel" : std::to_string(itemsHeld) + " channels";
  const std::string rest = itemsHeld == kChannelCount - 1
                               ? "Channel16 was"
                               : "Channel" + std::to_string(itemsHeld + 1) + " to Channel16 were";
  return "The file held only " + held + "; " + rest + " set to 0.";
}

}  // namespace hopper
