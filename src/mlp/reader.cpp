#include "mlp/reader.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cstdio>
#include <vector>

#include "common/byte_runs.h"
#include "common/chars.h"
#include "mif/fatal.h"
#include "mlp/alongside.h"
#include "mlp/frame_roman.h"

namespace pendra::mlp {

CharCursor charCursor;

using mif::fatal;

namespace {

struct SavedPosition {
  std::shared_ptr<const std::string> text;
  std::size_t pos;
};

struct ReaderState {
  ChannelT channel = nullptr;
  ChannelT continuation = nullptr;  // read after `channel`, as if the two were one file
  bool verbose = false;
  // The text being read: a pushed text, or the line buffer while none is pushed; the cursor
  // holds its bytes and the position in them.
  std::shared_ptr<const std::string> pushed;
  std::vector<SavedPosition> stack;
  std::string line;
  char block[kBlockSize + 1] = {};
  std::size_t blockFill = 0;
  std::size_t blockPos = 0;
  bool channelDone = false;
  bool dropLineFeed = false;  // the last line ended in a carriage return
  int lines = 0;
  Unit unit = Unit::Inch;
};

ReaderState rd;
CharCursor& cur = charCursor;

// The longest word readWord gathers.
constexpr std::size_t kMaxWordLength = 64;

const std::string& source() {
  return rd.pushed ? *rd.pushed : rd.line;
}

// Called whenever the text being read changes or grows.
void refreshSource() {
  const std::string& text = source();
  cur.data = text.data();
  cur.size = text.size();
}

// Reads one line with its line feed into the line buffer; a carriage return (alone or before a
// line feed) ends the line as a line feed. False when the channel has nothing more.
bool readLine() {
  rd.line.clear();
  bool took = false;
  for (;;) {
    if (rd.blockPos == rd.blockFill) {
      if (rd.channelDone || !rd.channel) break;
      rd.blockFill = F_ChannelRead(rd.block, 1, kBlockSize, rd.channel);
      // Beside the reading, the definitions that came with these bytes are taken now, before
      // any statement of them runs.
      if (translatingAlongside()) takeArrivedDefinitions();
      rd.blockPos = 0;
      if (rd.blockFill == 0) {
        if (rd.continuation) {
          rd.channel = rd.continuation;
          rd.continuation = nullptr;
          continue;
        }
        rd.channelDone = true;
        break;
      }
    }
    if (rd.dropLineFeed) {
      rd.dropLineFeed = false;
      if (rd.block[rd.blockPos] == '\n') {
        ++rd.blockPos;
        continue;
      }
    }
    took = true;
    // The bytes up to the next line end are taken at once.
    const char* from = rd.block + rd.blockPos;
    const char* to = rd.block + rd.blockFill;
    const char* end = bytes::findAnyOf<'\n', '\r'>(from, to);
    rd.line.append(from, end);
    rd.blockPos += static_cast<std::size_t>(end - from);
    if (end == to) continue;
    if (*end == '\r') rd.dropLineFeed = true;
    ++rd.blockPos;
    rd.line += '\n';
    break;
  }
  if (!took) return false;
  ++rd.lines;
  return true;
}

using chars::hexValue;
using chars::isDigit;
using chars::isLetter;

// The byte that the k-th call of nextChar from now would produce within the current text (0 when
// the text ends first); a number must lie within one text.
int peekAhead(std::size_t k) {
  const std::string& text = source();
  std::size_t at = cur.pos + k - 1;
  return at < text.size() ? static_cast<unsigned char>(text[at]) : 0;
}

// Bytes that end a word: white space, `>` and the NUL that ends a text.
struct ByteTable {
  bool on[256];
};
constexpr ByteTable makeWordEnds() {
  ByteTable t{};
  for (int c = 0; c < 256; ++c) t.on[c] = c == 0 || c == '>' || chars::isMarkupSpace(c);
  return t;
}
constexpr ByteTable kWordEnds = makeWordEnds();

// ASCII capitals folded to small letters, every other byte as it is.
constexpr FoldTable makeLowerFold() {
  FoldTable t{};
  for (int c = 0; c < 256; ++c)
    t.fold[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return t;
}
constexpr FoldTable kLowerFold = makeLowerFold();

// A word up to white space or `>`, folded to small letters (in FrameRoman with `frameRoman`);
// `tooLong` is reported at the character after the limit.
// With `hash`, the name's hash (see nameHashStep) is taken as it is read.
// The word goes into `word`, which holds `limit` bytes; gives its length.
std::size_t readWordInto(char* word, std::size_t limit, bool frameRoman, const char* tooLong,
                         std::size_t* hash) {
  if (limit > kMaxWordLength) limit = kMaxWordLength;
  const unsigned char* fold = frameRoman ? kFrameRomanFold.fold : kLowerFold.fold;
  // The usual word starts at the current character and ends within the same text, at a byte
  // that ends words, inside the limit: it is taken in one run. Any other word (one that runs
  // to the end of its text, or to the limit) is read again from its start by the loop below.
  if (cur.current >= 0 && !kWordEnds.on[cur.current]) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(cur.data);
    const std::size_t stop = std::min(cur.size, cur.pos + limit - 1);
    unsigned char folded = fold[cur.current];
    word[0] = static_cast<char>(folded);
    std::uint64_t h = nameHashStep(kNameHashStart, folded);
    std::size_t n = 1;
    std::size_t at = cur.pos;
    while (at < stop && !kWordEnds.on[bytes[at]]) {
      folded = fold[bytes[at++]];
      word[n++] = static_cast<char>(folded);
      h = nameHashStep(h, folded);
    }
    if (at < cur.size && bytes[at] != 0 && kWordEnds.on[bytes[at]]) {
      cur.current = bytes[at];
      cur.pos = at + 1;
      if (hash) *hash = nameHashEnd(h);
      return n;
    }
  }
  std::size_t length = 0;
  // The cursor is read into locals and stored back once: the stores into the word would
  // otherwise make the compiler reload it for every character.
  CharCursor c = cur;
  std::uint64_t h = kNameHashStart;
  while (c.current != kEndOfInput && c.current != '>' && !isWhite(c.current)) {
    if (length == limit) {
      cur = c;
      fatal("%s", tooLong);
    }
    word[length++] = static_cast<char>(fold[static_cast<unsigned char>(c.current)]);
    if (hash) h = nameHashStep(h, static_cast<unsigned char>(word[length - 1]));
    // The rest of the word within the same text is taken in one run, the cursor's checks
    // apart; the run stops before the byte that ends the word, the text or the limit.
    const auto* bytes = reinterpret_cast<const unsigned char*>(c.data);
    std::size_t at = c.pos;
    const std::size_t stop = std::min(c.size, at + (limit - length));
    if (hash) {
      while (at < stop && !kWordEnds.on[bytes[at]]) {
        unsigned char folded = fold[bytes[at++]];
        word[length++] = static_cast<char>(folded);
        h = nameHashStep(h, folded);
      }
    } else {
      while (at < stop && !kWordEnds.on[bytes[at]])
        word[length++] = static_cast<char>(fold[bytes[at++]]);
    }
    if (at > c.pos) c.current = bytes[at - 1];
    c.pos = at;
    if (c.pos < c.size && c.data[c.pos] != 0) {
      c.current = static_cast<unsigned char>(c.data[c.pos++]);
    } else {
      cur = c;
      nextCharSlow();
      c = cur;
    }
  }
  cur = c;
  if (hash) *hash = nameHashEnd(h);
  return length;
}

std::string readWord(std::size_t limit, bool frameRoman, const char* tooLong,
                     std::size_t* hash = nullptr) {
  // Both limits fit the buffer; the word is gathered there and made a string once.
  static_assert(kMaxTagLength <= kMaxWordLength && kMaxNameLength <= kMaxWordLength);
  char word[kMaxWordLength];
  std::size_t length = readWordInto(word, limit, frameRoman, tooLong, hash);
  return std::string(word, length);
}

std::string scanOperation(const char* name, bool collect) {
  if (!collect && rd.verbose)
    std::fprintf(stderr, "Line %d: Skipping operation %s\n", rd.lines, name);
  long long depth = 1;
  std::string kept;
  for (;;) {
    int c = cur.current;
    bool keep = true;
    if (c == kEndOfInput) fatal("Unexpected EOF");
    if (isWhite(c)) {
      keep = !(collect && depth == 1);
    } else if (c == '<') {
      ++depth;
    } else if (c == '>') {
      if (--depth == 0) break;
    } else if (c == '\\') {
      if (collect) kept += '\\';
      nextChar();
      c = cur.current;
      if (c == kEndOfInput) fatal("Unexpected EOF");
    }
    if (collect && keep) kept += static_cast<char>(c);
    nextChar();
  }
  return kept;
}

}  // namespace

void initReader(ChannelT channel, bool verbose, ChannelT continuation) {
  rd = ReaderState{};
  cur = CharCursor{};
  rd.channel = channel;
  rd.continuation = continuation;
  rd.verbose = verbose;
  rd.line.reserve(kLineBufferStep);
  refreshSource();
}

void releaseReader() {
  rd.channel = nullptr;
  rd.continuation = nullptr;
  rd.pushed.reset();
  rd.stack.clear();
  rd.line = std::string();
  refreshSource();
}

void setCurrentChar(int c) {
  cur.current = c;
}
int lineCount() {
  return rd.lines;
}
const int* lineCounter() {
  return &rd.lines;
}
bool verboseReader() {
  return rd.verbose;
}
Unit defaultUnit() {
  return rd.unit;
}
void setDefaultUnit(Unit unit) {
  rd.unit = unit;
}

void nextCharSlow() {
  if (cur.current == kEndOfInput) fatal("Attempt to read past EOF");
  for (;;) {
    int b = cur.pos < cur.size ? static_cast<unsigned char>(cur.data[cur.pos]) : 0;
    ++cur.pos;
    if (b != 0) {
      cur.current = b;
      return;
    }
    if (!rd.stack.empty()) {
      popInput();
      continue;
    }
    rd.pushed.reset();
    bool more = readLine();
    refreshSource();
    if (!more) {
      cur.current = kEndOfInput;
      cur.pos = 0;
      return;
    }
    cur.pos = 0;
  }
}

void skipWhiteRun() {
  do nextChar();
  while (isWhite(cur.current));
}

std::string readTagName() {
  return readWord(kMaxTagLength, true, "Overlong tagname");
}

std::string readTagName(std::size_t* hash) {
  return readWord(kMaxTagLength, true, "Overlong tagname", hash);
}

void readTagName(TagName& tag) {
  tag.length = readWordInto(tag.text, kMaxTagLength, true, "Overlong tagname", &tag.hash);
  tag.text[tag.length] = '\0';
}

std::uint32_t readInteger() {
  skipWhite();
  std::uint32_t value = 0;
  while (isDigit(cur.current)) {
    value = value * 10u + static_cast<std::uint32_t>(cur.current - '0');
    nextChar();
  }
  return value;
}

std::string readName() {
  skipWhite();
  return readWord(kMaxNameLength, false, "Excessive name length");
}

bool readBoolean() {
  skipWhite();
  std::string word = readWord(kMaxTagLength, true, "Overlong tagname");
  if (!word.empty() && word[0] == 'y') return true;
  if (!word.empty() && word[0] == 'n') return false;
  fatal("Boolean expected");
}

std::string readString() {
  skipWhite();
  int close;
  if (cur.current == '"') {
    close = '"';
  } else if (cur.current == '`') {
    close = '\'';
  } else {
    fatal("String expected");
  }
  std::string text;
  std::size_t length = 0;
  auto store = [&](int c) {
    if (length++ < kMaxStringLength) text += static_cast<char>(c);
  };
  for (;;) {
    nextChar();
    int c = cur.current;
    if (c == kEndOfInput) nextChar();  // reports reading past the end
    if (c == close) break;
    if (c != '\\') {
      store(c);
      continue;
    }
    nextChar();
    switch (cur.current) {
      case kEndOfInput:
        nextChar();
        break;
      case 'Q':
        store('`');
        break;
      case 'q':
        store('\'');
        break;
      case 't':
        store('\t');
        break;
      case 'n':
        store('\n');
        break;
      case 'x':
        store('\\');
        store('x');
        break;
      default:
        store(cur.current);
    }
  }
  nextChar();
  if (length > kMaxStringLength) fatal("Excessive string length");
  return text;
}

int readCharacter() {
  skipWhite();
  int c = cur.current;
  if (c == '\\') {
    nextChar();
    c = cur.current;
    switch (c) {
      case 'Q':
        c = '`';
        break;
      case 'q':
        c = '\'';
        break;
      case 't':
        c = '\t';
        break;
      case 'n':
        c = '\n';
        break;
      case 'x': {
        unsigned value = 0;
        nextChar();
        for (int digit; (digit = hexValue(cur.current)) >= 0; nextChar())
          value = (value * 16u + static_cast<unsigned>(digit)) & 0xFFu;
        c = static_cast<int>(value);
        break;  // the character that ends the digits is consumed below
      }
      default:
        break;
    }
  }
  nextChar();
  return c;
}

// Numbers of up to this many bytes are read without an allocation.
constexpr std::size_t kNumberInPlace = 64;

float readFloat() {
  skipWhite();
  // Measure the longest decimal number at the read position, then take it.
  auto at = [](std::size_t k) { return k == 0 ? cur.current : peekAhead(k); };
  std::size_t n = 0;
  if (at(n) == '+' || at(n) == '-') ++n;
  std::size_t digits = 0;
  while (isDigit(at(n))) ++n, ++digits;
  if (at(n) == '.') {
    ++n;
    while (isDigit(at(n))) ++n, ++digits;
  }
  if (digits == 0) fatal("Floating-point value expected");
  bool negativeExponent = false;
  if (at(n) == 'e' || at(n) == 'E') {
    std::size_t e = n + 1;
    if (at(e) == '+' || at(e) == '-') negativeExponent = at(e++) == '-';
    if (isDigit(at(e))) {
      while (isDigit(at(e))) ++e;
      n = e;
    } else {
      negativeExponent = false;
    }
  }
  // The number's bytes, in place where they fit (a float written in full has some twenty).
  char inPlace[kNumberInPlace];
  std::string longer;
  char* number = inPlace;
  if (n > sizeof inPlace) {
    longer.resize(n);
    number = longer.data();
  }
  std::size_t length = 0;
  for (std::size_t k = 0; k < n; ++k) {
    if (!(k == 0 && cur.current == '+')) number[length++] = static_cast<char>(cur.current);
    nextChar();
  }
  double value = 0;
  auto [end, ec] = std::from_chars(number, number + length, value);
  (void)end;
  if (ec == std::errc::result_out_of_range) value = negativeExponent ? 0.0 : DBL_MAX;
  if (length > 0 && number[0] == '-' && value > 0) value = -value;
  if (value > FLT_MAX) value = FLT_MAX;
  if (value < -FLT_MAX) value = -FLT_MAX;
  return static_cast<float>(value);
}

Unit readUnits() {
  auto skipLetters = [] {
    while (isLetter(cur.current)) nextChar();
  };
  switch (cur.current) {
    case '"':
      nextChar();
      return Unit::Inch;
    case 'c':
      skipLetters();
      return Unit::Centimetre;
    case 'i':
      skipLetters();
      return Unit::Inch;
    case 'm':
      skipLetters();
      return Unit::Millimetre;
    case 'p': {
      nextChar();
      Unit unit = cur.current == 't' ? Unit::Point : Unit::Pica;
      nextChar();
      skipLetters();
      return unit;
    }
    default:
      return rd.unit;
  }
}

float toPoints(float value, Unit unit) {
  float points = value;
  switch (unit) {
    case Unit::Inch:
      points = value * 72.0f;
      break;
    case Unit::Centimetre:
      points = value * 28.3465f;
      break;
    case Unit::Millimetre:
      points = value * 2.83465f;
      break;
    case Unit::Pica:
      points = value * 12.0f;
      break;
    case Unit::Point:
      break;
  }
  if (points > FLT_MAX) return FLT_MAX;
  if (points < -FLT_MAX) return -FLT_MAX;
  return points;
}

float readMeasure() {
  float value = readFloat();
  return toPoints(value, readUnits());
}

void skipToClose() {
  while (cur.current != '>') nextChar();
}

void skipOperation(const char* name) {
  scanOperation(name, false);
}

std::string collectOperation(const char* name) {
  return scanOperation(name, true);
}

void pushInput(std::shared_ptr<const std::string> text) {
  if (rd.stack.size() >= kMaxPushedTexts) fatal("Too deep macro nesting");
  rd.stack.push_back({std::move(rd.pushed), cur.pos});
  rd.pushed = std::move(text);
  cur.pos = 0;
  refreshSource();
}

bool popInput() {
  if (rd.stack.empty()) return false;
  rd.pushed = std::move(rd.stack.back().text);
  cur.pos = rd.stack.back().pos;
  rd.stack.pop_back();
  refreshSource();
  return true;
}

std::size_t inputDepth() {
  return rd.stack.size();
}

}  // namespace pendra::mlp
