// Characters beyond ASCII: the input encodings, reading UTF-8 sequences, and the table that maps
// each character to what a MIF document can hold (a FrameRoman character in the current font, a
// Symbol font character, a FrameMaker special character, or a stand-in that is reported).
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "reader/input.h"
#include "reader/symbols.h"

namespace pendra::reader {

constexpr std::size_t kEightBitHalf = 128;  // bytes 128..255 of an 8-bit encoding
constexpr char32_t kLastCodePoint = 0x10FFFF;
constexpr char32_t kReplacementCharacter = 0xFFFD;
// The visible stand-in written for a character that a MIF document cannot hold.
constexpr const char* kPlaceholder = "?";

enum class Fidelity : unsigned char {
  kExact,    // the character itself (or FrameMaker's own equivalent)
  kStandIn,  // a stand-in for a character the fonts lack: reported once
};

// One character: its code point, the template it runs as, and the command that math mode runs
// in its place (a single character names itself; nullptr: the template serves math too).
struct UnicodeRow {
  char32_t code;
  const char* tmpl;
  const char* math;
  Fidelity fidelity;
};

// The table, sorted by code point.
extern const std::span<const UnicodeRow> kUnicodeRows;
// Code points of bytes 128..255 in the 8-bit encodings other than Latin-1 (which is the
// identity).
extern const char16_t kLatin9High[kEightBitHalf];
extern const char16_t kCp1252High[kEightBitHalf];
extern const char16_t kAppleMacHigh[kEightBitHalf];
extern const char16_t kLatin2High[kEightBitHalf];
extern const char16_t kCp1250High[kEightBitHalf];
extern const char16_t kCp850High[kEightBitHalf];
extern const char16_t kCp437High[kEightBitHalf];
extern const char16_t kCp852High[kEightBitHalf];
extern const char16_t kKoi8rHigh[kEightBitHalf];
extern const char16_t kCp1251High[kEightBitHalf];
extern const char16_t kCp866High[kEightBitHalf];

// The row of `code`, or nullptr when the table has none.
const UnicodeRow* findUnicodeRow(char32_t code);
// The code point of `byte` (128..255) in an 8-bit encoding.
char32_t eightBitCodePoint(Encoding encoding, unsigned char byte);
// The encoding an inputenc option names; false for an option that names none this reader knows.
bool encodingOfOption(std::string_view option, Encoding& encoding);
// Writes `code` as UTF-8 into `out` and gives the number of bytes.
std::size_t encodeUtf8(char32_t code, char* out);
// The length of the valid UTF-8 sequence that starts at `text` (`length` bytes available), 0 when
// the bytes there are not one; -1 when they begin one that the available bytes cut short.
int utf8SequenceLength(const unsigned char* text, std::size_t length);

// For the tokenizer: the byte `lead` (above 127) has been read, and the reader's current character
// is the byte after it. Reads the rest of the UTF-8 sequence and gives the record of its
// character: in math mode the math command of its row when there is one, else the row's own
// record, a stand-in (reported once a character), or for bytes that form no sequence the
// character table's record of the byte (reported once a file). The token text is the character's
// UTF-8 bytes.
CommandRecord* unicodeToken(char* tokenText, int lead);
// For text copied as it stands (verbatim lines, index entries): as unicodeToken, but gives MLP
// text: the FrameRoman character, or a stand-in where the character needs a command or a font.
// `step` moves the reader on (the caller's way of reading, so that what follows the character is
// read as the caller reads it).
const char* unicodeText(int lead, void (*step)() = advance);

}  // namespace pendra::reader
