// libFuzzer target: the MLP translation and the MIF writer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz_entry.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  pendra::fuzz::quietConsole(true);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  pendra::fuzz::translateMlp(data, size);
  return 0;
}
