// The construct loop: tokens are read and their templates run until the construct that a
// delimiter code names has ended.
#include "reader/construct.h"

#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "output/fonts.h"
#include "output/paragraph.h"
#include "output/template.h"
#include "reader/arguments.h"
#include "reader/environments.h"
#include "reader/input.h"
#include "reader/report.h"
#include "reader/symbols.h"
#include "reader/tokenizer.h"

namespace pendra::reader {

namespace {

// The token's name for messages: its record's name, or its text.
const char* tokenName(const CommandRecord* record) {
  return record->name.empty() ? readerState().tokenText : record->name.c_str();
}

// Bounds nested construct loops. A loop past the bound is reported once and reads nothing.
class ConstructGuard {
 public:
  ConstructGuard() : state_(environmentState()) {
    ok_ = state_.constructNesting < kMaxConstructDepth;
    if (ok_) {
      ++state_.constructNesting;
    } else if (!state_.nestingReported) {
      state_.nestingReported = true;
      report("constructs nested too deeply; the innermost are ignored");
    }
  }
  ~ConstructGuard() {
    if (ok_) --state_.constructNesting;
  }
  ConstructGuard(const ConstructGuard&) = delete;
  ConstructGuard& operator=(const ConstructGuard&) = delete;
  bool ok() const { return ok_; }

 private:
  EnvironmentState& state_;
  bool ok_;
};

// Runs the next token's template; returns the delimiter code it set and the record.
int runNextToken(const CommandRecord** record) {
  EnvironmentState& env = environmentState();
  env.delimiter = kNoDelimiter;
  const CommandRecord* r = nextToken();
  if (r == specialToken(kUnknownCommand)) noteUnknownCommand(readerState().tokenText);
  output::runInCurrentMode(r->tmpl.c_str());
  int code = env.delimiter;
  // Past the template nesting bound no template runs, that of the end of input included; the
  // input still ends there, or the loop would read the end of input for ever.
  if (code == kNoDelimiter && r == specialToken(kEndOfInputToken)) code = kEndOfInputCode;
  env.delimiter = kNoDelimiter;
  if (record) *record = r;
  return code;
}

// Registers a running construct loop for as long as it runs; the loop reading an environment's
// body is the first loop waiting for an \end after that environment began.
class LoopEntry {
 public:
  explicit LoopEntry(int ending) : env_(environmentState()) {
    index_ = static_cast<int>(env_.loops.size());
    OpenLoop loop;
    loop.ending = ending;
    if (ending == kEndCode && !env_.openEnvironments.empty() &&
        env_.openEnvironments.back().loop < 0) {
      loop.environment = static_cast<int>(env_.openEnvironments.size()) - 1;
      env_.openEnvironments.back().loop = index_;
    }
    env_.loops.push_back(loop);
  }
  ~LoopEntry() { env_.loops.resize(static_cast<std::size_t>(index_)); }
  LoopEntry(const LoopEntry&) = delete;
  LoopEntry& operator=(const LoopEntry&) = delete;
  int index() const { return index_; }
  int environment() const { return env_.loops[static_cast<std::size_t>(index_)].environment; }

 private:
  EnvironmentState& env_;
  int index_;
};

// Reads the environment name after an \end, for the loops to match against their own.
void readEndName() {
  EnvironmentState& env = environmentState();
  std::optional<std::string> name = readWord();
  env.endName = name ? *name : std::string();
  if (!name && readerState().currentChar != kEndOfInput)
    report("missing argument to \\end command");
}

// Whether loop `i` is the one that the closing delimiter `c` ends: an \end ends the loop of the
// environment it names (any environment's when it names none).
bool loopTakes(int i, int c) {
  const EnvironmentState& env = environmentState();
  const OpenLoop& loop = env.loops[static_cast<std::size_t>(i)];
  if (loop.ending != c) return false;
  if (c != kEndCode || loop.environment < 0 || env.endName.empty()) return true;
  return env.openEnvironments[static_cast<std::size_t>(loop.environment)].name == env.endName;
}

bool isDocumentLoop(int i) {
  const EnvironmentState& env = environmentState();
  int index = env.loops[static_cast<std::size_t>(i)].environment;
  return index >= 0 && env.openEnvironments[static_cast<std::size_t>(index)].name == "document";
}

// The innermost loop outside loop `self` that `c` ends, or -1. The search stops at the document's
// body: a brace or a math delimiter left open before \begin{document} does not end it, whose end
// would end the reading.
int outerLoopTaking(int c, int self) {
  for (int i = self - 1; i >= 0; --i) {
    if (loopTakes(i, c)) return i;
    if (isDocumentLoop(i)) break;
  }
  return -1;
}

// An \end of a user environment met inside a construct that the environment's begin code opened
// (a tabular begun in the begin code and ended in the end code, say): the end code is read here,
// where it can close that construct, and the \end follows it. True when it was started.
bool runEndCodeEarly(int outer) {
  EnvironmentState& env = environmentState();
  int index = env.loops[static_cast<std::size_t>(outer)].environment;
  if (index < 0) return false;
  OpenEnvironment& open = env.openEnvironments[static_cast<std::size_t>(index)];
  if (!open.user || open.endCodeRun) return false;
  const CommandRecord* macro = lookup("\\end" + open.name);
  if (!macro || !macro->body || macro->argCount != 0) return false;
  open.endCodeRun = true;
  auto body = std::make_shared<const std::string>(*macro->body + "\\end{" + open.name + "}");
  startExpansion(std::move(body), {}, 0);
  return true;
}

}  // namespace

int parseUntil(int t) {
  ConstructGuard guard;
  if (!guard.ok()) return kNoDelimiter;
  EnvironmentState& env = environmentState();
  ReaderState& rd = readerState();
  int startLine = rd.lineCounter;
  output::Font savedFont = output::currentFont();
  int flatGroups = 0;  // groups opened past the nesting bound and read by this loop
  LoopEntry entry(t);
  int self = entry.index();
  for (;;) {
    const CommandRecord* record = nullptr;
    bool pending = env.pendingClose != kNoDelimiter;
    int c;
    if (pending) {
      c = env.pendingClose;
      record = env.pendingRecord;
    } else if (output::takePlainText()) {
      continue;
    } else {
      c = runNextToken(&record);
      if (c == kEndCode) readEndName();
    }
    switch (c) {
      case kDisplayOpen:
        runMathRecord(*env.displayMath, kDisplayClose);
        continue;
      case kInlineOpen:
        runMathRecord(*env.math, kInlineClose);
        continue;
      case kGroupOpen:
        // Groups nested past the bound are counted, not read by a loop of their own.
        if (env.constructNesting >= kMaxConstructNesting) {
          if (!env.nestingReported) {
            env.nestingReported = true;
            report("braces nested too deeply; the inner groups are read as one");
          }
          ++flatGroups;
        } else {
          parseUntil(kGroupClose);
        }
        continue;
      case kDollarOpen:
        runMathRecord(*env.math, kDollarClose);
        continue;
      case kDoubleDollarOpen:
        runMathRecord(*env.displayMath, kDoubleDollarClose);
        continue;
      case kNoDelimiter:
        continue;
      case kGroupClose:
        if (flatGroups > 0 && !pending) {
          --flatGroups;
          continue;
        }
        break;
      default:
        break;
    }
    if (c == t && loopTakes(self, c)) {
      env.pendingClose = kNoDelimiter;
      if (entry.environment() >= 0) env.openEnvironments[entry.environment()].ended = true;
      if (t != kEndOfInputCode) output::currentFont() = savedFont;
      // Text of a last line without a line feed is still written.
      if (t == kEndOfInputCode && env.constructNesting == 1) output::flushAtEndOfInput();
      return c;
    }
    switch (c) {
      case kOptionalClose:
        output::writeTextChar(']');
        continue;
      case kEndOfInputCode:
        rd.lineCounter = startLine;
        report("construct unclosed when end-of-file reached\n");
        if (t != kEndOfInputCode) output::currentFont() = savedFont;
        return c;
      case kDisplayClose:
      case kInlineClose:
      case kEndCode:
      case kGroupClose:
      case kDollarClose:
      case kDoubleDollarClose: {
        int outer = outerLoopTaking(c, self);
        if (pending) {
          // An outer construct ends here: this one ends with it.
          output::currentFont() = savedFont;
          return c;
        }
        if (c == kEndCode && outer >= 0 && runEndCodeEarly(outer)) continue;
        if (c == kEndCode && t == kEndCode && entry.environment() >= 0) {
          OpenEnvironment& open = env.openEnvironments[entry.environment()];
          report("closing env. name (%s) != opening name (%s) on line %d", env.endName.c_str(),
                 open.name.c_str(), open.line);
          // An \end naming no open environment ends this one, unless this is the document,
          // whose end would end the reading.
          if (outer < 0 && !isDocumentLoop(self)) {
            open.ended = true;
            output::currentFont() = savedFont;
            return c;
          }
        } else {
          report("%s mismatched with construct started on line %d\n", tokenName(record), startLine);
        }
        // A closing delimiter that no open construct waits for is left out; one that ends an
        // outer construct ends this one as well.
        if (outer < 0) continue;
        env.pendingClose = c;
        env.pendingRecord = record;
        output::currentFont() = savedFont;
        return c;
      }
      default:
        report("inappropriate use of %s inside %s mode text\n", tokenName(record),
               modeName(currentMode()));
        continue;
    }
  }
}

void processOneArgument() {
  if (runNextToken(nullptr) == kGroupOpen) parseUntil(kGroupClose);
}

void skipArgument(char kind) {
  output::Font savedFont = output::currentFont();
  int savedMode = currentMode();
  skipBlanks();
  if (kind == '[' && readerState().currentChar != '[') return;
  output::OutputState& out = output::outputState();
  ++out.suppression;
  if (kind != '[') {
    processOneArgument();
  } else {
    skipBlanks();
    advance();
    parseUntil(kOptionalClose);
  }
  setCurrentMode(savedMode);
  output::currentFont() = savedFont;
  --out.suppression;
}

void processOptionalText() {
  ReaderState& rd = readerState();
  while (rd.currentChar == ' ' || rd.currentChar == '\t' || rd.currentChar == '\n' ||
         rd.currentChar == '\r' || rd.currentChar == '\f')
    advance();
  if (rd.currentChar != '[') return;
  advance();
  parseUntil(kOptionalClose);
}

void setDelimiter(const char* a) {
  EnvironmentState& env = environmentState();
  bool math = currentMode() == kMathMode;
  int code = kNoDelimiter;
  if (std::strcmp(a, "E") == 0) {
    code = kEndOfInputCode;
    finishReading();
  } else if (std::strcmp(a, "\\[") == 0) {
    code = kDisplayOpen;
  } else if (std::strcmp(a, "\\]") == 0) {
    code = kDisplayClose;
  } else if (std::strcmp(a, "[") == 0) {
    code = kOptionalOpen;
  } else if (std::strcmp(a, "]") == 0) {
    code = kOptionalClose;
  } else if (std::strcmp(a, "\\(") == 0) {
    code = kInlineOpen;
  } else if (std::strcmp(a, "\\)") == 0) {
    code = kInlineClose;
  } else if (std::strcmp(a, "e") == 0) {
    code = kEndCode;
  } else if (std::strcmp(a, "{") == 0) {
    code = kGroupOpen;
  } else if (std::strcmp(a, "}") == 0) {
    code = kGroupClose;
  } else if (std::strcmp(a, "$") == 0) {
    code = math ? kDollarClose : kDollarOpen;
  } else if (std::strcmp(a, "$$") == 0) {
    code = math ? kDoubleDollarClose : kDoubleDollarOpen;
  }
  env.delimiter = code;
}

}  // namespace pendra::reader
