// The construct loop: tokens are read and their templates run until the construct that a
// delimiter code names has ended.
#include "reader/construct.h"

#include <cstring>

#include "output/fonts.h"
#include "output/paragraph.h"
#include "output/template.h"
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
  output::runInCurrentMode(r->tmpl.c_str());
  int code = env.delimiter;
  // Past the template nesting bound no template runs, that of the end of input included; the
  // input still ends there, or the loop would read the end of input for ever.
  if (code == kNoDelimiter && r == specialToken(kEndOfInputToken)) code = kEndOfInputCode;
  env.delimiter = kNoDelimiter;
  if (record) *record = r;
  return code;
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
  for (;;) {
    const CommandRecord* record = nullptr;
    int c = runNextToken(&record);
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
        if (flatGroups > 0) {
          --flatGroups;
          continue;
        }
        break;
      default:
        break;
    }
    if (c == t) {
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
      case kDoubleDollarClose:
        report("%s mismatched with construct started on line %d\n", tokenName(record), startLine);
        return c;
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
