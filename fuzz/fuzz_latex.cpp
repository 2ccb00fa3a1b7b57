// libFuzzer target: the whole conversion of LaTeX bytes to a saved document.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz_entry.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  pendra::fuzz::quietConsole(true);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Whatever the source holds, the first stage writes MLP that the second accepts: a run either
  // saves a document or stops in one of the unrecoverable states.
  bool stopped = false;
  if (pendra::fuzz::convertLatex(data, size, &stopped).empty() && !stopped) std::abort();
  return 0;
}
