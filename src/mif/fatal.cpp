#include "mif/fatal.h"

#include <cstdarg>
#include <cstdio>

#include "reader/report.h"

namespace pendra::mif {

void fatal(const char* format, ...) {
  char text[reader::kMessageBufferSize];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  reader::report("%s", text);
  throw reader::RecoveryAbort{};
}

void abandon() {
  reader::report(nullptr);
  throw reader::RecoveryAbort{};
}

}  // namespace pendra::mif
