// Runs a fuzz target without libFuzzer: over the files named on the command line, or over
// `--generated N` pseudo-random inputs (the same ones every run), so CTest keeps the targets honest.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--generated") == 0) {
    const long count = std::strtol(argv[2], nullptr, 10);
    std::mt19937 random(20041231);
    std::vector<std::uint8_t> input;
    for (long i = 0; i < count; ++i) {
      input.resize(random() % 600);
      // Mostly bytes the rules care about, so the inputs reach deep states.
      static const std::uint8_t kInteresting[] = {0x3A, 0x82, 0x83, 0x84, 0x00, 0x01, 0xFF, ',', '"', '\r', '\n',
                                                  ' ',  '0',  '9',  '{',  '}',  '\\', '\'', 'b', 'u', '-'};
      for (auto& b : input)
        b = (random() % 2) ? kInteresting[random() % sizeof kInteresting] : static_cast<std::uint8_t>(random());
      LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    std::printf("%ld generated inputs passed\n", count);
    return 0;
  }
  for (int i = 1; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    const std::vector<std::uint8_t> data{std::istreambuf_iterator<char>(in), {}};
    LLVMFuzzerTestOneInput(data.data(), data.size());
  }
  return 0;
}
