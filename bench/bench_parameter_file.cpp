// Loading a parameter file that is one line of 1 GiB: time, and the peak memory of the process,
// which must not grow with the file. The value is far too long for a box and is refused.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstring>

#include "core/parameter_file.h"

namespace {
long PeakKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}
}  // namespace

int main() {
  const long before = PeakKiB();
  const std::uint64_t total = 1ull << 30;
  std::uint64_t served = 0;
  hopper::ItemReader reader([&](char* buffer, std::size_t capacity) -> std::int64_t {
    const std::uint64_t n = capacity < total - served ? capacity : total - served;
    std::memset(buffer, '5', n);
    served += n;
    return static_cast<std::int64_t>(n);
  });
  const auto start = std::chrono::steady_clock::now();
  const hopper::LoadResult result = hopper::LoadParameterItems(reader);
  const bool refused = result.outcome == hopper::LoadOutcome::Rejected;
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf(
      "parameter file: one 1 GiB line read in %.2f s (%.0f MiB/s); first box \"%s\"; "
      "peak memory %ld KiB before, %ld KiB after\n",
      seconds, double(total) / (1 << 20) / seconds, refused ? "yes" : "no", before, PeakKiB());
  return refused ? 0 : 1;
}
