#include "reader/report.h"

#include <cstdarg>
#include <cstdio>

#include "fdk/fdk.h"
#include "reader/input.h"

namespace pendra::reader {

namespace {

struct ReporterState {
  bool recoveryPoint = false;
  const int* lineCounter = nullptr;
};

ReporterState reporter;

}  // namespace

void registerReporter(bool recoveryPoint, const int* lineCounter) {
  reporter.recoveryPoint = recoveryPoint;
  reporter.lineCounter = lineCounter;
}

void report(const char* format, ...) {
  if (format) {
    if (const char* name = currentFileName()) F_Printf(nullptr, "%s: ", name);
    if (reporter.lineCounter) F_Printf(nullptr, "%d: ", *reporter.lineCounter);
    char linebuff[kMessageBufferSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(linebuff, sizeof linebuff, format, args);
    va_end(args);
    F_Printf(nullptr, "%s\n", linebuff);
  }
  if (reporter.recoveryPoint) throw RecoveryAbort{};
}

void stopConversion(const char* message) {
  bool recovery = reporter.recoveryPoint;
  reporter.recoveryPoint = false;
  report("%s", message);
  reporter.recoveryPoint = recovery;
  throw ConversionStop{message};
}

}  // namespace pendra::reader
