#include "reader/arguments.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "common/chars.h"
#include "output/fonts.h"
#include "output/paragraph.h"
#include "reader/counters.h"
#include "reader/environments.h"
#include "reader/input.h"
#include "reader/macros.h"
#include "reader/report.h"
#include "reader/symbols.h"
#include "reader/tokenizer.h"

namespace pendra::reader {

namespace {

constexpr int kCloseBracketDelimiter = 5;
constexpr int kMaxIntegerBraces = 64;  // "{{{...12...}}}" is read to this depth
constexpr std::size_t kDigitsMax = 255;

using chars::isDigit;
using chars::isLetter;
int& current() {
  return readerState().currentChar;
}

// Takes an optional '{' or '[' and gives the closer then expected (0 when none).
int takeOpener() {
  int c = current();
  if (c != '{' && c != '[') return 0;
  advance();
  return c == '{' ? '}' : ']';
}

void expectCloser(int closer) {
  skipBlanks();
  if (current() == closer)
    advanceWithSubstitution();
  else
    report("mismatched { or [\n");
}

std::string letters(std::size_t max) {
  std::string s;
  while (isNameLetter(current())) {
    if (s.size() < max) s += static_cast<char>(current());
    advance();
  }
  return s;
}

// A backslash and the letters that follow it (the backslash itself is already passed).
std::string controlWordName() {
  std::string name(1, '\\');
  name += letters(kNameBufferMax - 1);
  return name;
}

bool isMacro(const CommandRecord* r) {
  return r && r->tmpl.rfind("%M(", 0) == 0;
}

std::optional<int> readIntegerAt(int depth) {
  skipBlanks();
  if (current() == '{') {
    if (depth >= kMaxIntegerBraces) return std::nullopt;
    advance();
    std::optional<int> v = readIntegerAt(depth + 1);
    skipBlanks();
    if (current() == '}') advance();
    return v;
  }
  bool negative = false;
  if (current() == '+') {
    advance();
  } else if (current() == '-') {
    negative = true;
    advance();
  }
  if (current() == '\\') {
    advance();
    std::string word = controlWordName();
    if (word != "\\value") return std::nullopt;
    std::optional<std::string> name = readWord();
    if (!name) return std::nullopt;
    long long v = getCounter(*name);
    return static_cast<int>(negative ? -v : v);
  }
  if (!isDigit(current())) return std::nullopt;
  std::string digits;
  while (isDigit(current())) {
    if (digits.size() < kDigitsMax) digits += static_cast<char>(current());
    advance();
  }
  skipBlanks();
  // Values beyond the 32-bit range are held at its ends.
  errno = 0;
  long long v = std::strtoll(digits.c_str(), nullptr, 10);
  if (errno == ERANGE) v = std::numeric_limits<long long>::max();
  if (negative) v = -v;
  if (v > std::numeric_limits<int>::max()) v = std::numeric_limits<int>::max();
  if (v < std::numeric_limits<int>::min()) v = std::numeric_limits<int>::min();
  return static_cast<int>(v);
}

}  // namespace

std::optional<std::string> readTextArgument() {
  skipBlanks();
  int open = current();
  if (open != '{' && open != '[') {
    report("missing argument");
    return std::nullopt;
  }
  advance();
  skipBlanks();
  std::string text;
  text.reserve(40);
  int depth = 1;
  const CommandRecord* openBrace = charRecord('{');
  const CommandRecord* closeBrace = charRecord('}');
  const CommandRecord* closeBracket = charRecord(']');
  for (;;) {
    CommandRecord* r = nextToken();
    if (r == specialToken(kEndOfInputToken)) break;
    if (r == openBrace) {
      ++depth;
      continue;
    }
    if (r == closeBrace) {
      if (--depth == 0) break;
      continue;
    }
    if (open == '[' && r == closeBracket && depth == 1) break;
    if (isMacro(r)) {
      invokeMacro(readerState().tokenText, r->argCount);
      continue;
    }
    if (r == specialToken(kUnknownCommand) || (!r->name.empty() && r->name[0] == '\\')) continue;
    text += r->name.empty() ? std::string(readerState().tokenText) : r->name;
  }
  return text;
}

std::optional<std::string> readCommandName() {
  skipBlanks();
  int closer = takeOpener();
  skipBlanks();
  if (current() == kEndOfInput) return std::nullopt;
  substituteParameterHere();
  if (current() != '\\') report("argument must begin with \\");
  advance();
  std::string name = controlWordName();
  // \def\expandafter\x\csname..: the \expandafter chain is passed, and the name after it taken.
  for (std::size_t n = 0; (name == "\\expandafter" || name == "\\noexpand") && n < kNameBufferMax;
       ++n) {
    skipBlanks();
    substituteParameterHere();
    if (current() != '\\') break;
    advance();
    name = controlWordName();
    definitionState().expandafter = true;
  }
  if (name == "\\csname") name = std::string(1, '\\').append(readCsnameText());
  if (closer) {
    skipToLineEnd();
    if (current() == closer)
      advanceWithSubstitution();
    else
      report("mismatched { or [\n");
  }
  return name;
}

std::optional<std::string> readWord() {
  skipBlanks();
  int closer = takeOpener();
  std::string word;
  if (closer || current() == '\\') {
    for (;;) {
      int c = current();
      if (c == '\t' || c == '\n' || c == kEndOfInput || (closer && c == closer)) break;
      if (c == '\\') {
        advance();
        std::string name = controlWordName();
        // The control symbol that ends every macro body is no part of the word: a name built
        // by a macro (\input{\chapter}) ends with it.
        if (name.size() == 1 && current() == kMacroBodyEndChar) {
          advance();
          continue;
        }
        skipToLineEnd();
        CommandRecord* r = lookup(name);
        if (isMacro(r)) invokeMacro(name.c_str(), r->argCount);
        continue;
      }
      if (word.size() < kNameBufferMax) word += static_cast<char>(c);
      advancePastSpaces();
    }
    if (closer) expectCloser(closer);
  } else if (current() != kEndOfInput) {
    word += static_cast<char>(current());
    advance();
  }
  if (word.empty()) return std::nullopt;
  return word;
}

std::optional<std::string> readOptionLetters() {
  skipBlanks();
  if (current() != '[') return std::nullopt;
  advance();
  std::string letters;
  while (current() != ']' && current() != kEndOfInput) {
    int c = current();
    if (c != ' ' && c != '\t' && c != '\n' && letters.size() < kOptionLettersMax)
      letters += static_cast<char>(c);
    advance();
  }
  if (current() == ']') advanceWithSubstitution();
  return letters;
}

std::optional<int> readInteger() {
  return readIntegerAt(0);
}

std::optional<int> readCharCode() {
  // Inside a macro's body, #1..#9 stand for their argument's text (\char`#1).
  auto substituted = [] {
    if (current() == '#') substituteParameterHere();
  };
  skipBlanks();
  substituted();
  if (current() == '`') {
    advance();
    substituted();
    if (current() == '\\') advance();
    int c = current();
    if (c == kEndOfInput || c > kCharCodeMax) return std::nullopt;
    advance();
    if (current() == ' ') advance();
    return c;
  }
  int base = 10;
  if (current() == '\'') {
    base = 8;
    advance();
  } else if (current() == '"') {
    base = 16;
    advance();
  }
  substituted();
  long value = 0;
  bool digits = false;
  for (;;) {
    int c = current();
    int digit = chars::isDigit(c) ? c - '0' : base == 16 ? chars::hexValue(c) : -1;
    if (digit < 0 || digit >= base) break;
    digits = true;
    if (value <= kCharCodeMax) value = value * base + digit;
    advance();
  }
  if (!digits) return std::nullopt;
  if (current() == ' ') advance();
  if (value > kCharCodeMax) return std::nullopt;
  return static_cast<int>(value);
}

std::optional<float> readDecimal() {
  skipBlanks();
  if (current() == '\\') {
    // A command is never a number.
    nextToken();
    return std::nullopt;
  }
  std::string text;
  auto put = [&](int c) {
    if (text.size() < kNumberTextMax) text += static_cast<char>(c);
  };
  if (current() == '-') {
    put('-');
    advance();
  } else if (current() == '+') {
    advance();
  }
  if (current() == '.') put('0');
  while (isDigit(current())) {
    put(current());
    advance();
  }
  if (current() == '.') {
    put('.');
    advance();
    while (isDigit(current())) {
      put(current());
      advance();
    }
  }
  skipBlanks();
  if (text.empty() || text == "-") return std::nullopt;
  char* end = nullptr;
  float v = std::strtof(text.c_str(), &end);
  if (end == text.c_str() || !std::isfinite(v)) return std::nullopt;
  return v;
}

float unitFactor(const std::string& unit) {
  if (unit.empty() || unit == "pt") return 1.0f;
  if (unit == "in" || unit == "truein") return 72.0f;
  if (unit == "cm") return 28.35f;
  if (unit == "mm") return 2.835f;
  if (unit == "pc") return 12.0f;
  if (unit == "em") return static_cast<float>(output::currentFont().size) * 1.0f;
  if (unit == "ex") return static_cast<float>(output::currentFont().size) * 0.4f;
  report("unrecognized length unit %s", unit.c_str());
  return 1.0f;
}

std::optional<float> readLength(float* fallback) {
  skipBlanks();
  float result = 1.0f;
  if (current() != '\\') {
    std::optional<float> number = readDecimal();
    if (!number) {
      result = unitFactor(letters(kNameBufferMax));
      if (fallback) *fallback = result;
      return std::nullopt;
    }
    result = *number;
  }
  if (current() == '\\') {
    advance();
    std::string name = controlWordName();
    result *= getLength(name);
  } else {
    result *= unitFactor(letters(kNameBufferMax));
  }
  if (fallback) *fallback = result;
  return result;
}

namespace {

// A dimension's sign, number and unit or length command.
// A unit as TeX reads it: two letters, "true" and two letters, or fil, fill and filll (a glue's
// infinite stretch). A letter after it is the text's own (\kern-.125emX).
void skipUnit() {
  char first = 0;
  char second = 0;
  if (isLetter(current())) {
    first = static_cast<char>(current());
    advance();
  }
  if (isLetter(current())) {
    second = static_cast<char>(current());
    advance();
  }
  if (first == 'f' && second == 'i') {
    for (int l = 0; l < 3 && current() == 'l'; ++l) advance();
  } else if (first == 't' && second == 'r' && current() == 'u') {
    advance();
    if (current() == 'e') advance();
    for (int i = 0; i < 2 && isLetter(current()); ++i) advance();
  }
}

void skipDimension() {
  while (current() == ' ' || current() == '\t' || current() == '-' || current() == '+') advance();
  bool number = false;
  while (isDigit(current()) || current() == '.' || current() == ',') {
    number = true;
    advance();
  }
  while (current() == ' ' || current() == '\t') advance();
  if (current() == '\\') {
    advance();
    if (isLetter(current()))
      controlWordName();
    else if (current() != kEndOfInput)
      advance();
  } else if (number) {
    skipUnit();
  }
}

// At a letter: whether the word there is `word`; the letters that matched before one that did
// not are written as text, behind a space when blanks stood before them.
bool atWord(const char* word, bool spaceBefore) {
  std::size_t matched = 0;
  while (word[matched] && current() == static_cast<unsigned char>(word[matched])) {
    ++matched;
    advance();
  }
  if (!word[matched] && !isLetter(current())) return true;
  if (matched > 0 || spaceBefore) {
    std::string text = spaceBefore ? " " : "";
    text.append(word, matched);
    for (char c : text) output::writeTextChar(static_cast<unsigned char>(c));
  }
  return false;
}

// Passes over everything up to `closer` at brace depth zero, a blank line or the end of input.
void skipToCloser(int closer) {
  int depth = 0;
  int previous = 0;
  for (;;) {
    int c = current();
    if (c == kEndOfInput || (c == '\n' && previous == '\n')) return;
    if (depth == 0 && c == closer) return;
    if (c == '{') ++depth;
    if (c == '}') {
      if (depth == 0) return;
      --depth;
    }
    if (c == '\\') {
      advance();
      if (current() == kEndOfInput) return;
    }
    if (c != ' ' && c != '\t') previous = c;
    if (c == '\n') previous = '\n';
    advance();
  }
}

}  // namespace

bool skipStretchTo(int closer) {
  for (;;) {
    skipBlanks();
    if (current() == closer) return true;
    if (isLetter(current())) {
      std::string word = letters(kNameBufferMax);
      if (word == "plus" || word == "minus") {
        skipDimension();
        continue;
      }
    }
    skipToCloser(closer);
    return false;
  }
}

void skipKern() {
  skipDimension();
  if (current() == ' ') advance();
}

void skipGlue(bool dimension) {
  if (dimension) skipDimension();
  for (;;) {
    bool blanks = false;
    while (current() == ' ' || current() == '\t') {
      blanks = true;
      advance();
    }
    if (current() == 'p') {
      if (!atWord("plus", blanks)) return;
    } else if (current() == 'm') {
      if (!atWord("minus", blanks)) return;
    } else {
      if (blanks) output::writeTextChar(' ');
      return;
    }
    skipDimension();
  }
}

void skipBoxSpecification() {
  skipBlanks();
  bool matched = false;
  if (current() == 't')
    matched = atWord("to", false);
  else if (current() == 's')
    matched = atWord("spread", false);
  if (matched) skipDimension();
}

std::optional<float> readDelimitedLength(int d1, int d2, bool* present) {
  skipBlanks();
  if (present) *present = current() == d1;
  if (current() != d1) return std::nullopt;
  advance();
  std::optional<float> len = readLength();
  skipStretchTo(d2);
  skipBlanks();
  if (current() == d2) advanceWithSubstitution();
  return len;
}

std::optional<CoordinatePair> readCoordinatePair() {
  skipBlanks();
  if (current() != '(') return std::nullopt;
  advance();
  std::optional<float> x = readDecimal();
  if (!x) return std::nullopt;
  skipBlanks();
  if (current() != ',') return std::nullopt;
  advance();
  std::optional<float> y = readDecimal();
  if (!y) return std::nullopt;
  skipBlanks();
  if (current() != ')') return std::nullopt;
  advance();
  skipBlanks();
  return CoordinatePair{*x, *y};
}

void readOptionalArgument() {
  skipBlanks();
  if (current() != '[') return;
  advance();
  parseUntil(kCloseBracketDelimiter);
}

std::string readBracedGroup(bool* present) {
  while (chars::isWhite(peekChar())) advanceWithSubstitution();
  if (present) *present = peekChar() == '{';
  std::string text;
  if (peekChar() != '{') return text;
  auto keep = [&](int c) {
    if (text.size() < kBracedGroupMax) text += static_cast<char>(c);
  };
  int depth = 1;
  advanceWithSubstitution();
  while (peekChar() != kEndOfInput) {
    int c = peekChar();
    if (c == '\\') {
      keep(c);
      advance();
      if (peekChar() == kEndOfInput) break;
      keep(peekChar());
    } else if (c == '{') {
      ++depth;
      keep(c);
    } else if (c == '}' && --depth == 0) {
      advanceWithSubstitution();
      break;
    } else {
      keep(c);
    }
    advanceWithSubstitution();
  }
  return text;
}

}  // namespace pendra::reader
