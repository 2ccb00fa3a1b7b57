#include "reader/tokenizer.h"

#include <array>
#include <cstring>

#include "common/byte_runs.h"
#include "common/chars.h"
#include "reader/input.h"
#include "reader/macros.h"
#include "reader/report.h"
#include "reader/unicode.h"

namespace pendra::reader {

namespace {

constexpr std::size_t kMaxTokenLength = kTokenTextSize - 1;
constexpr std::size_t kMaxControlLetters = kMaxTokenLength - 1;  // after the backslash

using chars::isDigit;
using chars::isLetter;

struct TokenText {
  char* text;
  std::size_t length = 0;
  void clear() { text[length = 0] = 0; }
  void put(int c) {
    if (length < kMaxTokenLength) {
      text[length++] = static_cast<char>(c);
      text[length] = 0;
    }
  }
};

// A character or backslash symbol: its table record, or the text (a space above 127) written by
// the text token or the default backslash-symbol token.
CommandRecord* characterToken(TokenText& token, int c, bool backslash) {
  token.clear();
  if (c == kEndOfInput) return specialToken(backslash ? kDefaultSlashToken : kTextToken);
  unsigned char byte = static_cast<unsigned char>(c);
  // Above ASCII the bytes are UTF-8 (the reader turns 8-bit files into it): a whole character,
  // the same after a backslash.
  if (byte >= 0x80) {
    CommandRecord* r = unicodeToken(token.text, byte);
    token.length = std::strlen(token.text);
    return r;
  }
  token.put(byte);
  if (CommandRecord* r = backslash ? slashRecord(byte) : charRecord(byte)) return r;
  if (byte > 127) {
    token.clear();
    token.put(' ');
  }
  return specialToken(backslash ? kDefaultSlashToken : kTextToken);
}

CommandRecord* controlWord(TokenText& token) {
  ReaderState& rd = readerState();
  std::size_t letters = 0;
  while (isNameLetter(rd.currentChar)) {
    if (letters < kMaxControlLetters) {
      token.put(rd.currentChar);
      ++letters;
    }
    advance();
  }
  // A starred form is looked up only when the star fits the token text.
  bool starred = rd.currentChar == '*' && token.length < kMaxTokenLength;
  if (starred) token.put('*');
  if (CommandRecord* r = lookup(token.text, token.length)) {
    if (starred) advance();
    return r;
  }
  if (!starred) return specialToken(kUnknownCommand);
  token.text[--token.length] = 0;
  if (CommandRecord* r = lookup(token.text, token.length)) return r;
  return specialToken(kUnknownCommand);
}

// The german option's double quote; nullptr means "start again".
CommandRecord* germanQuote(TokenText& token) {
  ReaderState& rd = readerState();
  const char* command = nullptr;
  switch (rd.currentChar) {
    case '`':
      command = "\\glqq";
      break;
    case '\'':
      command = "\\grqq";
      break;
    case '<':
      command = "\\flqq";
      break;
    case '>':
      command = "\\frqq";
      break;
    case 's':
      command = "\\ss";
      break;
    case '-':
    case '|':
      advance();
      return nullptr;
    case 'A':
    case 'O':
    case 'U':
    case 'a':
    case 'i':
    case 'o':
    case 'u':
      return characterToken(token, '"', true);
    default:
      if (isLetter(rd.currentChar)) return nullptr;
      return characterToken(token, '"', false);
  }
  advance();
  token.clear();
  for (const char* p = command; *p; ++p) token.put(*p);
  return lookup(token.text, token.length);
}

// How a byte reads in running text: a text token whatever is defined (a letter, a digit, the
// space), a text token while no command is bound to it (ASCII punctuation that the tokenizer
// takes as a character), or neither (line ends, tabs, control bytes, bytes above 127, and the
// bytes that begin tokens of their own: % # $ ' ` - " \).
enum RunClass : unsigned char { kNoRun, kAlwaysRun, kRunWhileUnbound };

constexpr std::array<unsigned char, 256> makeRunClasses() {
  std::array<unsigned char, 256> classes{};
  for (int c = '!'; c <= '~'; ++c) classes[c] = kRunWhileUnbound;
  for (int c : {'%', '#', '$', '\'', '`', '-', '"', '\\'}) classes[c] = kNoRun;
  for (int c = 0; c < 256; ++c)
    if (isLetter(c) || isDigit(c)) classes[c] = kAlwaysRun;
  classes[' '] = kAlwaysRun;
  return classes;
}
constexpr std::array<unsigned char, 256> kRunClasses = makeRunClasses();
static_assert(kRunClasses['a'] == kAlwaysRun && kRunClasses['9'] == kAlwaysRun &&
              kRunClasses[' '] == kAlwaysRun && kRunClasses['.'] == kRunWhileUnbound &&
              kRunClasses['-'] == kNoRun && kRunClasses['\t'] == kNoRun &&
              kRunClasses['\n'] == kNoRun && kRunClasses[0x7f] == kNoRun &&
              kRunClasses[0xc3] == kNoRun && kRunClasses[0] == kNoRun);

}  // namespace

void useGermanQuotes() {
  readerState().germanQuotes = true;
}

bool plainTextAhead(PlainText& text) {
  ReaderState& rd = readerState();
  CommandRecord* const* bound = symbolState().charTable;
  auto isRunByte = [bound](unsigned char c) {
    unsigned char cls = kRunClasses[c];
    return cls == kAlwaysRun || (cls == kRunWhileUnbound && !bound[c]);
  };
  int c = rd.currentChar;
  if (c < 0 || c > 0xff || !isRunByte(static_cast<unsigned char>(c))) return false;
  text.first = static_cast<char>(c);
  text.whole = nullptr;
  const char* p = nullptr;
  const char* end = nullptr;  // a string ends at its zero byte, which is no run byte
  if (rd.pending) {
    p = rd.pending;
  } else if (rd.putBack == kNoPutBack) {
    // The bytes advance() takes inline: what is left of the block.
    p = rd.fileBuffer + rd.readPos;
    end = rd.fileBuffer + rd.bufferLength;
    if (rd.readPos > 0 && p[-1] == text.first) text.whole = p - 1;
  }
  const char* q = p;
  if (end) {
    // Letters, digits and spaces are taken sixteen at a time; punctuation a byte at a time.
    for (;;) {
      q = bytes::skipWordBytes(q, end);
      if (q == end || !isRunByte(static_cast<unsigned char>(*q))) break;
      ++q;
    }
  } else if (q) {
    while (isRunByte(static_cast<unsigned char>(*q))) ++q;  // a string ends at its zero byte
  }
  text.rest = p;
  text.restLength = static_cast<std::size_t>(q - p);
  return true;
}

void skipPlainText(const PlainText& text) {
  ReaderState& rd = readerState();
  if (text.restLength > 0) {
    auto last = static_cast<unsigned char>(text.rest[text.restLength - 1]);
    if (rd.pending) {
      rd.pending += text.restLength;
    } else {
      rd.readPos += text.restLength;
      rd.lastRaw = last;
      rd.currentFromFile = true;
    }
    rd.currentChar = last;
  }
  advance();
}

CommandRecord* nextToken() {
  ReaderState& rd = readerState();
  TokenText token{rd.tokenText};
  for (;;) {
    token.clear();
    int c = rd.currentChar;
    advance();
    switch (c) {
      case kEndOfInput:
        return specialToken(kEndOfInputToken);
      case '\t':
      case ' ':
        token.put(' ');
        return specialToken(kTextToken);
      case '%':
        while (rd.currentChar != '\n' && rd.currentChar != kEndOfInput) advance();
        if (rd.currentChar != kEndOfInput) advance();
        continue;
      case '#': {
        int digit = rd.currentChar;
        int frame = currentFrame();
        advance();
        if (!isDigit(digit)) {
          report("illegal macro argument #%c", digit);
          return specialToken(kTextToken);
        }
        insertArgument(digit - '0', frame);
        continue;
      }
      case '$':
        if (rd.currentChar != '$') return characterToken(token, c, false);
        advance();
        return specialToken(kTwoDollars);
      case '\'':
        if (rd.currentChar != '\'') return characterToken(token, c, false);
        advance();
        return specialToken(kTwoApostrophes);
      case '`':
        if (rd.currentChar != '`') return characterToken(token, c, false);
        advance();
        return specialToken(kTwoGraves);
      case '-':
        if (rd.currentChar != '-') return characterToken(token, c, false);
        advance();
        if (rd.currentChar != '-') return specialToken(kTwoHyphens);
        advance();
        return specialToken(kThreeHyphens);
      case '"':
        if (!rd.germanQuotes) return characterToken(token, c, false);
        if (CommandRecord* r = germanQuote(token)) return r;
        continue;
      case '\\': {
        int next = rd.currentChar;
        if (!isNameLetter(next)) {
          if (next != kEndOfInput) advance();
          return characterToken(token, next, true);
        }
        token.put('\\');
        return controlWord(token);
      }
      default:
        break;
    }
    if (isDigit(c) || isLetter(c)) {
      token.put(c);
      // A word longer than the token text goes on in the next token rather than being lost.
      while (token.length < kMaxTokenLength &&
             (isDigit(rd.currentChar) || (isLetter(c) && isLetter(rd.currentChar)))) {
        token.put(rd.currentChar);
        advance();
      }
      return specialToken(kTextToken);
    }
    return characterToken(token, c, false);
  }
}

}  // namespace pendra::reader
