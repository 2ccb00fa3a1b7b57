#include "reader/report.h"

#include <algorithm>
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

// The uses of unknown names of one kind (commands or environments).
struct UnknownNames {
  std::unordered_map<std::string, std::size_t> counts;
  std::size_t othersUses = 0;  // uses of names past kUnknownNamesMax
};

struct ReporterState {
  bool recoveryPoint = false;
  const int* lineCounter = nullptr;
  // Kinds of message (keyed by their format, or by the text where the format is just "%s") in
  // the order they first came.
  std::unordered_map<std::string, std::size_t> kindIndex;
  std::vector<MessageKind> kinds;
  UnknownNames commands;
  UnknownNames environments;
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

namespace {

void noteUnknown(UnknownNames& names, std::string_view name) {
  std::string key(name.substr(0, kUnknownNameMax));
  auto found = names.counts.find(key);
  if (found != names.counts.end())
    ++found->second;
  else if (names.counts.size() < kUnknownNamesMax)
    names.counts.emplace(std::move(key), 1);
  else
    ++names.othersUses;
}

void summariseKind(const UnknownNames& names, const char* what) {
  if (names.counts.empty() && names.othersUses == 0) return;
  std::vector<std::pair<std::string, std::size_t>> sorted(names.counts.begin(), names.counts.end());
  std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) {
    return a.second != b.second ? a.second > b.second : a.first < b.first;
  });
  std::size_t uses = names.othersUses;
  for (const auto& entry : sorted) uses += entry.second;
  F_Printf(nullptr, "Unknown %s (%zu uses), most frequent first:\n", what, uses);
  std::size_t restUses = names.othersUses;
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    if (i < kUnknownNamesShown) {
      F_Printf(nullptr, "  %zu %s\n", sorted[i].second, sorted[i].first.c_str());
    } else {
      restUses += sorted[i].second;
    }
  }
  if (restUses > 0) F_Printf(nullptr, "  %zu more uses of other %s\n", restUses, what);
}

}  // namespace

void noteUnknownCommand(std::string_view name) {
  noteUnknown(reporter.commands, name);
}

void noteUnknownEnvironment(std::string_view name) {
  noteUnknown(reporter.environments, name);
}

void summariseUnknowns() {
  summariseKind(reporter.commands, "commands");
  summariseKind(reporter.environments, "environments");
  reporter.commands = UnknownNames{};
  reporter.environments = UnknownNames{};
}

void stopConversion(const char* message) {
  bool recovery = reporter.recoveryPoint;
  reporter.recoveryPoint = false;
  report("%s", message);
  reporter.recoveryPoint = recovery;
  throw ConversionStop{message};
}

}  // namespace pendra::reader
