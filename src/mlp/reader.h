// The character source over the MLP channel and the operand readers. Every reader leaves the
// first character it did not take as the current character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "common/byte_runs.h"
#include "common/chars.h"
#include "fdk/fdk.h"

namespace pendra::mlp {

constexpr std::size_t kMaxPushedTexts = 16;
constexpr std::size_t kLineBufferStep = 1024;
constexpr std::size_t kBlockSize = 1024;
constexpr std::size_t kMaxTagLength = 63;
constexpr std::size_t kMaxNameLength = 63;
constexpr std::size_t kMaxStringLength = 1023;

constexpr int kEndOfInput = -1;

enum class Unit { Inch = 0, Centimetre = 1, Millimetre = 2, Pica = 3, Point = 4 };

// Resets the reader onto a channel: current character a space, nothing read, line count 0.
void initReader(ChannelT channel, bool verbose, ChannelT continuation = nullptr);
// Forgets the channel and releases the line buffer and any pushed texts.
void releaseReader();

// The character loop's state, read inline by currentChar and nextChar: the bytes of the text
// being read, the position of the next one, and the current character.
struct CharCursor {
  const char* data = nullptr;
  std::size_t pos = 0;
  std::size_t size = 0;
  int current = ' ';
};
extern CharCursor charCursor;

inline int currentChar() {
  return charCursor.current;
}
// Replaces the current character (the macro evaluation of the font catalog needs this).
void setCurrentChar(int c);
int lineCount();
const int* lineCounter();
bool verboseReader();
Unit defaultUnit();
void setDefaultUnit(Unit unit);

// Moves on by one character: the next byte of the text being read, or, at its end (or at a NUL
// byte, which ends a text), the text it was pushed over or the next line of the channel.
void nextCharSlow();
inline void nextChar() {
  CharCursor& c = charCursor;
  if (c.pos < c.size && c.current != kEndOfInput) {
    auto b = static_cast<unsigned char>(c.data[c.pos]);
    if (b != 0) {
      ++c.pos;
      c.current = b;
      return;
    }
  }
  nextCharSlow();
}
// Takes the bytes that follow the current character within the text being read, up to the first
// one of `Stops` or a NUL, and moves past them: the next nextChar gives the byte that stopped the
// run (or moves on to the next text). The view lasts until the reader moves on.
template <char... Stops>
inline std::string_view takeRunOf() {
  CharCursor& c = charCursor;
  if (c.pos >= c.size) return {};
  const char* from = c.data + c.pos;
  const char* at = bytes::findAnyOf<'\0', Stops...>(from, c.data + c.size);
  c.pos = static_cast<std::size_t>(at - c.data);
  return std::string_view(from, static_cast<std::size_t>(at - from));
}
inline bool isWhite(int c) {
  return chars::isMarkupSpace(c);
}
// Moves past white space; the loop itself stays out of line, most calls finding none.
void skipWhiteRun();
inline void skipWhite() {
  if (isWhite(charCursor.current)) skipWhiteRun();
}

// The hash by which the statement table finds a name: FNV-1a over the folded bytes, mixed at the
// end. The reader takes it of a statement's name as it reads the name.
constexpr std::uint64_t kNameHashStart = 14695981039346656037ull;
constexpr std::uint64_t kNameHashPrime = 1099511628211ull;
inline std::uint64_t nameHashStep(std::uint64_t h, unsigned char c) {
  return (h ^ c) * kNameHashPrime;
}
inline std::size_t nameHashEnd(std::uint64_t h) {
  return static_cast<std::size_t>(h ^ (h >> 29));
}

// Reads a statement name after `<`, folded to lower case; the second form gives its hash too.
std::string readTagName();
std::string readTagName(std::size_t* hash);
// The same into a name of fixed room, with its hash, for the statement loop: no string is made.
struct TagName {
  char text[kMaxTagLength + 1];  // ends in a NUL
  std::size_t length;
  std::size_t hash;
};
void readTagName(TagName& tag);

std::uint32_t readInteger();
std::string readName();
bool readBoolean();
std::string readString();
int readCharacter();
float readFloat();
Unit readUnits();
float readMeasure();
float toPoints(float value, Unit unit);

void skipToClose();
// Skips the rest of a statement, nesting included, leaving its closing `>` current.
void skipOperation(const char* name);
// As skipOperation, but keeps the text (white space at the statement's own level dropped).
std::string collectOperation(const char* name);

// Continues reading in `text`; reading returns behind the push when the text is used up.
void pushInput(std::shared_ptr<const std::string> text);
// Leaves the innermost pushed text at once; false when none is open.
bool popInput();
std::size_t inputDepth();

}  // namespace pendra::mlp
