// Any file content loads into 16 entries of at most five characters, digits only, and the
// reader always comes to an end.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/parameter_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::size_t pos = 0;
  hopper::ItemReader reader(
      [&](char* buffer, std::size_t capacity) -> std::int64_t {
        const std::size_t n = capacity < size - pos ? capacity : size - pos;
        std::memcpy(buffer, data + pos, n);
        pos += n;
        return static_cast<std::int64_t>(n);
      },
      7);
  const hopper::LoadResult result = hopper::LoadParameterItems(reader);
  for (const std::string& entry : result.entries) {
    if (entry.empty() || entry.size() > hopper::kMaxEntryLength || !hopper::IsAllDigits(entry)) std::abort();
  }
  if (result.channel < 0 || result.channel > 16) std::abort();
  int items = 0;
  while (reader.Next()) {
    if (++items > static_cast<int>(size) + 1) std::abort();  // every item consumes at least one byte
  }
  return 0;
}
