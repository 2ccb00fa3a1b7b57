#include "reader/macros.h"

#include <cstdio>

#include "output/template.h"
#include "reader/arguments.h"
#include "reader/environments.h"
#include "reader/input.h"
#include "reader/report.h"
#include "reader/symbols.h"

namespace pendra::reader {

namespace {

constexpr const char* kAfterDefinition = "%\t";

std::string macroTemplate(int argCount) {
  char t[] = "%M(0)";
  t[3] = static_cast<char>('0' + argCount);
  return t;
}

// The optional [count] after a name; `badCount` is reported for counts outside 0..9.
int readArgCount(bool* outOfRange) {
  *outOfRange = false;
  skipBlanks();
  ReaderState& rd = readerState();
  if (rd.currentChar != '[') return 0;
  advance();
  std::optional<int> n = readInteger();
  int count = n.value_or(0);
  skipBlanks();
  if (rd.currentChar == ']')
    advanceWithSubstitution();
  else
    report("mismatched `['");
  if (count < 0 || count > kMaxMacroArgs) {
    *outOfRange = true;
    count = 0;
  }
  return count;
}

// Collects a braced ('{' '}') or bracketed ('[' ']') argument character by character.
std::string readDelimited(int open, int close, bool bracket) {
  ReaderState& rd = readerState();
  int startLine = rd.lineCounter;
  if (!bracket) skipBlanks();
  if (rd.currentChar != open) {
    if (!bracket) report("missing argument to macro");
    return {};
  }
  std::string kept;
  std::size_t dropped = 0;
  auto keep = [&](int c) {
    if (kept.size() < kMacroArgumentMax)
      kept += static_cast<char>(c);
    else
      ++dropped;
  };
  int depth = 1;
  bool eof = false;
  advance();
  for (;;) {
    int c = rd.currentChar;
    if (c == kEndOfInput) {
      eof = true;
      break;
    }
    if (c == '%') {
      keep(c);
      while (rd.currentChar != '\n' && rd.currentChar != kEndOfInput) advance();
      continue;  // the line feed is kept like any other character
    }
    if (c == '\\') {
      keep(c);
      advance();
      if (rd.currentChar == kEndOfInput) {
        eof = true;
        break;
      }
      keep(rd.currentChar);
      advance();
      continue;
    }
    if (c == open && !bracket) ++depth;
    if (c == close && !bracket) --depth;
    if (bracket) {
      if (c == '{') ++depth;
      if (c == '}') --depth;
      if (c == ']' && depth == 1) break;
    } else if (depth == 0) {
      break;
    }
    keep(c);
    advance();
  }
  if (eof) {
    report("unexpected eof while reading argument on line %d", startLine);
    return kept;
  }
  if (dropped > 0) report("overflow of macro argument buffer");
  advance();  // the closing brace or bracket
  return kept;
}

// Whether `code` holds the control word `prefix` + one of the names of the verbatim and listing
// environments (\verbatim, \endlstlisting...): the code of an environment defined as one of them.
bool namesListing(const std::string& code, const char* prefix) {
  static constexpr const char* kNames[] = {"verbatim",  "Verbatim",   "BVerbatim",
                                           "LVerbatim", "lstlisting", "minted"};
  for (const char* name : kNames) {
    std::string word = std::string(prefix) + name;
    for (std::size_t at = code.find(word); at != std::string::npos; at = code.find(word, at + 1)) {
      std::size_t after = at + word.size();
      char next = after < code.size() ? code[after] : ' ';
      if (!((next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z'))) return true;
    }
  }
  return false;
}

// Makes `name` an environment whose lines are copied as a listing's; an environment defined with
// other code than a listing's loses a listing record made for it before.
void defineListingEnvironment(const std::string& name, bool listing) {
  if (name.empty()) return;
  if (listing) {
    if (const EnvironmentRecord* pattern = lookupEnvironment("lstlisting"))
      defineEnvironment(name.c_str(), *pattern);
    return;
  }
  const EnvironmentRecord* found = lookupEnvironment(name.c_str());
  if (found && found->body == BodyHandler::kListing && environmentState().made.count(found))
    defineEnvironment(name.c_str(), kOutermostEnvironment);
}

}  // namespace

void defineMacro(const std::string& name, int argCount, const std::string& body) {
  CommandRecord* record = lookup(name);
  if (!record || symbolState().foundLevel != symbolState().level) record = newLocalRecord(name, "");
  record->argCount = argCount;
  record->tmpl = macroTemplate(argCount);
  record->body = std::make_shared<const std::string>(body + kMacroBodyEnd);
}

void invokeMacro(const char* name, int argCount) {
  CommandRecord* record = lookup(std::string(name));
  if (!record) return;
  if (argCount != record->argCount) report("Internal error: wrong number of args to macro");
  std::vector<std::string> args;
  if (argCount == 0) {
    skipToLineEnd();
  } else {
    for (int i = 0; i < argCount; ++i) args.push_back(readMacroArgument());
  }
  if (!record->body) {
    report("Internal error: null macro body");
    return;
  }
  startExpansion(record->body, std::move(args), argCount);
}

void newCommandProc(char kind) {
  std::optional<std::string> name = readCommandName();
  bool outOfRange = false;
  int count = readArgCount(&outOfRange);
  std::string body = readMacroArgument();
  if (outOfRange) report("Illegal number of macro arguments");
  if (!name) return;
  if (kind == 'p' && lookup(*name)) return;
  defineMacro(*name, count, body);
  output::runInCurrentMode(kAfterDefinition);
}

void defProc() {
  std::optional<std::string> name = readCommandName();
  skipBlanks();
  std::string body = readMacroArgument();
  if (!name) return;
  defineMacro(*name, 0, body);
  output::runInCurrentMode(kAfterDefinition);
}

void letProc() {
  std::optional<std::string> name = readCommandName();
  ReaderState& rd = readerState();
  skipBlanks();
  if (rd.currentChar == '=') {
    advance();
    skipBlanks();
  }
  // The meaning copied: a control word's. A control symbol or a character (\let\bgroup={) is
  // passed over, so that a brace there does not open a group.
  std::string target;
  if (rd.currentChar == '\\') {
    advance();
    auto isLetter = [](int c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (isLetter(rd.currentChar)) {
      target.assign(1, '\\');
      while (isLetter(rd.currentChar)) {
        if (target.size() < kNameBufferMax) target += static_cast<char>(rd.currentChar);
        advance();
      }
      while (rd.currentChar == ' ' || rd.currentChar == '\t') advance();
    } else if (rd.currentChar != kEndOfInput) {
      advance();
    }
  } else if (rd.currentChar != kEndOfInput) {
    advance();
  }
  if (!name || target.empty() || target == *name) return;
  const CommandRecord* source = lookup(target);
  if (!source) return;
  // Copied before the record of the name may be made (which may move records).
  CommandRecord copy = *source;
  CommandRecord* record = lookup(*name);
  if (!record || symbolState().foundLevel != symbolState().level)
    record = newLocalRecord(*name, "");
  record->tmpl = copy.tmpl;
  record->argCount = copy.argCount;
  record->length = copy.length;
  record->counter = copy.counter;
  record->body = copy.body;
}

void newEnvironmentProc() {
  ReaderState& rd = readerState();
  skipBlanks();
  int closer = 0;
  if (rd.currentChar == '{' || rd.currentChar == '[') {
    closer = rd.currentChar == '{' ? '}' : ']';
    advancePastSpaces();
  }
  std::string name;
  while ((rd.currentChar >= 'a' && rd.currentChar <= 'z') ||
         (rd.currentChar >= 'A' && rd.currentChar <= 'Z')) {
    if (name.size() < kNameBufferMax) name += static_cast<char>(rd.currentChar);
    advance();
  }
  if (closer) {
    skipBlanks();
    if (rd.currentChar == closer)
      advanceWithSubstitution();
    else
      report("mismatched { or [\n");
  }
  bool outOfRange = false;
  int count = readArgCount(&outOfRange);
  std::string begin = readMacroArgument();
  std::string end = readMacroArgument();
  if (outOfRange) report("Bad number of arguments to environment %s", name.c_str());
  defineMacro("\\" + name, count, begin);
  defineMacro("\\end" + name, 0, end);
  defineListingEnvironment(name, namesListing(begin, "\\") && namesListing(end, "\\end"));
  output::runInCurrentMode(kAfterDefinition);
}

void newListingEnvironmentProc(char kind) {
  ReaderState& rd = readerState();
  auto skipOptional = [&rd] {
    skipBlanks();
    if (rd.currentChar == '[') readBracketArgument();
  };
  if (kind == 't') skipOptional();  // \newtcblisting[init options]{name}
  std::optional<std::string> name = readWord();
  if (kind == 'v') {
    readMacroArgument();  // the environment it is based on
    readMacroArgument();  // its options
  } else {
    skipOptional();                        // the number of arguments
    skipOptional();                        // the default of the first
    if (kind == 'l') readMacroArgument();  // begin code
    readMacroArgument();                   // end code, or the tcolorbox options
  }
  if (name) defineListingEnvironment(*name, true);
  output::runInCurrentMode(kAfterDefinition);
}

std::string readMacroArgument() {
  return readDelimited('{', '}', false);
}

std::string readBracketArgument() {
  return readDelimited('[', ']', true);
}

}  // namespace pendra::reader
