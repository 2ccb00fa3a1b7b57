#include "reader/report.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "fdk/fdk.h"
#include "reader/input.h"

namespace pendra::reader {

namespace {

// How often one kind of message was given, and its text the first time.
struct MessageKind {
  const char* format = nullptr;
  std::string firstText;
  std::size_t count = 0;
  bool allAlike = true;  // every message of the kind had the first one's text
};

struct ReporterState {
  bool recoveryPoint = false;
  const int* lineCounter = nullptr;
  // Kinds of message (keyed by their format, or by the text where the format is just "%s") in
  // the order they first came.
  std::unordered_map<std::string, std::size_t> kindIndex;
  std::vector<MessageKind> kinds;
};

ReporterState reporter;

// A message format with "..." in place of each value.
std::string withoutValues(const char* format) {
  std::string text;
  for (const char* p = format; *p; ++p) {
    if (*p != '%') {
      text += *p;
      continue;
    }
    if (p[1] == '%') {
      text += *++p;
      continue;
    }
    while (p[1] && !std::strchr("csdiuxXfgeEp", p[1])) ++p;
    if (p[1]) ++p;
    text += "...";
  }
  return text;
}

}  // namespace

void initReporter() {
  reporter = ReporterState{};
}

void registerReporter(bool recoveryPoint, const int* lineCounter) {
  reporter.recoveryPoint = recoveryPoint;
  reporter.lineCounter = lineCounter;
}

void report(const char* format, ...) {
  if (format) {
    char linebuff[kMessageBufferSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(linebuff, sizeof linebuff, format, args);
    va_end(args);
    std::string key = std::strcmp(format, "%s") == 0 ? linebuff : format;
    auto [at, added] = reporter.kindIndex.try_emplace(std::move(key), reporter.kinds.size());
    if (added) reporter.kinds.push_back(MessageKind{format, linebuff});
    MessageKind& kind = reporter.kinds[at->second];
    if (++kind.count > kMessagesShownPerKind) {
      kind.allAlike = kind.allAlike && kind.firstText == linebuff;
    } else {
      if (const char* name = currentFileName()) F_Printf(nullptr, "%s: ", name);
      if (reporter.lineCounter) F_Printf(nullptr, "%d: ", *reporter.lineCounter);
      F_Printf(nullptr, "%s\n", linebuff);
    }
  }
  if (reporter.recoveryPoint) throw RecoveryAbort{};
}

void summariseMessages() {
  for (const MessageKind& kind : reporter.kinds) {
    if (kind.count <= kMessagesShownPerKind) continue;
    std::string text = kind.allAlike ? kind.firstText : withoutValues(kind.format);
    while (!text.empty() && text.back() == '\n') text.pop_back();
    F_Printf(nullptr, "%zu more messages like \"%s\" were not shown\n",
             kind.count - kMessagesShownPerKind, text.c_str());
  }
  reporter.kinds.clear();
  reporter.kindIndex.clear();
}

void stopConversion(const char* message) {
  bool recovery = reporter.recoveryPoint;
  reporter.recoveryPoint = false;
  report("%s", message);
  reporter.recoveryPoint = recovery;
  throw ConversionStop{message};
}

}  // namespace pendra::reader
