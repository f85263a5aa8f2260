#pragma once
// Parameter files: one set of 16 coin numbers as plain text.
//
// Written form: 16 lines, each a space, the value's digits without leading zeros, CR LF.
// Read form: up to 16 items separated by commas and line ends (CR, LF or CR LF); spaces before
// an item are skipped; an item that begins with a double quote runs to the next double quote;
// an empty line or nothing between two commas is an empty item; asking for an item at the end
// of the file is a read failure.

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/channel_table.h"

namespace hopper {

inline constexpr std::string_view kUnableToLoadMessage = "Unable to load , Please check file";
// Said when the chosen path is no existing ordinary file.
inline constexpr std::string_view kMissingFileMessage = "File Does Not Exist";

// The whole text of a parameter file for these entries (64 bytes for sixteen zeros).
std::string ParameterFileText(const ChannelTexts& entries);

// What the load rule needs of one item, kept in bounded memory whatever the item's length:
// the item with every space removed is empty, or all digits, and a box keeps its first five.
struct ParameterItem {
  std::string head;          // the first kMaxEntryLength characters once spaces are removed
  bool allDigits = true;     // every character but spaces is '0'..'9'
  std::uint64_t length = 0;  // characters in the item, spaces included
  std::uint64_t kept = 0;    // characters once spaces are removed
  // The digits after the leading zeros, up to one more than a box holds: enough to tell a
  // long value that still fits once its zeros are gone from one that does not.
  std::string significant;
  // False when reading stopped inside the item because no box could take it any more.
  bool whole = true;

  // Whether a box can take the item: all digits, and at most five once the leading zeros are gone.
  bool Loadable() const { return allDigits && significant.size() <= kMaxEntryLength; }
};

class ItemReader {
 public:
  // Fills up to `capacity` bytes; returns how many, 0 at the end of the file, negative on a read error
  // (which ends the file there).
  using ReadChunk = std::function<std::int64_t(char* buffer, std::size_t capacity)>;

  explicit ItemReader(ReadChunk read, std::size_t chunkSize = 64 * 1024);
  static ItemReader FromStream(std::istream& in);

  // How far an item is read.
  enum class Reading {
    WholeItem,     // to its separator
    UntilRefused,  // to its separator, or only until it is no longer Loadable(): the rest stays unread
  };

  // The next item, or nothing when the end of the file had been reached (a read failure).
  std::optional<ParameterItem> Next(Reading reading = Reading::WholeItem);

  bool ReadErrorSeen() const { return readError_; }

 private:
  void SkipByteOrderMark();

  int Peek();
  int Get();
  void Take(ParameterItem& item, const char* begin, const char* end);
  int TakeUntil(ParameterItem* item, bool (*isStop)(char), Reading reading = Reading::WholeItem);
  void SkipLineFeedAfter(int separator);

  ReadChunk read_;
  std::vector<char> buffer_;
  std::size_t pos_ = 0;
  std::size_t len_ = 0;
  bool end_ = false;
  bool readError_ = false;
  bool started_ = false;
};

enum class LoadOutcome {
  Complete,  // 16 items taken
  Rejected,  // an item was not a number, or too long for a box: `channel` is its index
  Short,     // the file ended early: `channel` items were taken, the rest read "0"
};

struct LoadResult {
  ChannelTexts entries;  // what the 16 boxes show after the load; only for Complete and Short
  LoadOutcome outcome = LoadOutcome::Complete;
  int channel = 0;
};

// Reads up to 16 items into entries: spaces removed, an empty item reads "0", a value of up to
// five characters keeps its leading zeros, a longer one loses them and is refused when more than
// five digits remain. A byte-order mark at the start of the file is skipped. Reading ends at the
// first refused item, as soon as it is known to be refused: the whole file is refused then, so a
// huge line of junk costs one chunk, not the time to read it through.
LoadResult LoadParameterItems(ItemReader& reader);

// What the technician is told after a file that held fewer than 16 items has loaded.
std::string ShortFileText(int itemsHeld);

}  // namespace hopper
