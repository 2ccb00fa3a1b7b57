// libFuzzer target: the whole conversion of LaTeX bytes to a saved document.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_entry.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  pendra::fuzz::quietConsole(true);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Whatever the source holds, the first stage writes MLP that the second accepts: a run either
  // saves a document or stops in one of the unrecoverable states.
  bool stopped = false;
  std::string doc = pendra::fuzz::convertLatex(data, size, &stopped);
  if (doc.empty() && !stopped) std::abort();
  // With the stages at once the document is the same (the prologue's date line apart).
  bool stoppedBeside = false;
  std::string beside = pendra::fuzz::convertLatex(data, size, &stoppedBeside, true);
  auto dropHeader = [](const std::string& s) { return s.substr(s.find('\n') + 1); };
  if (stoppedBeside != stopped || dropHeader(beside) != dropHeader(doc)) std::abort();
  return 0;
}
