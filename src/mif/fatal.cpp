#include "mif/fatal.h"

#include <cstdarg>
#include <cstdio>

#include "fdk/fdk.h"

namespace pendra::mif {

namespace {

struct MessageState {
  const int* lineCounter = nullptr;
};

MessageState messages;

}  // namespace

void setMessageLine(const int* lineCounter) {
  messages.lineCounter = lineCounter;
}

void fatal(const char* format, ...) {
  char text[kFatalMessageSize];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  if (messages.lineCounter) F_Printf(nullptr, "%d: ", *messages.lineCounter);
  F_Printf(nullptr, "%s\n", text);
  throw TranslationAbort{};
}

void abandon() {
  throw TranslationAbort{};
}

}  // namespace pendra::mif
