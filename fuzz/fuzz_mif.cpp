// libFuzzer target: the host's MIF import check.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz_entry.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  pendra::fuzz::quietConsole(true);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  pendra::fuzz::checkMif(data, size);
  return 0;
}
