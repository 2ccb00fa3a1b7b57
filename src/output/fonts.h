// Fonts: the current and the last-written font, the built-in character formats and point sizes,
// the font codes of the templates, and the synchronisation that turns a font change into the
// shortest MLP font statements before the next character is stored.
#pragma once

#include <cstddef>

namespace pendra::output {

enum class Family : unsigned char { kNone, kTimes, kHelvetica, kCourier, kSymbol };

enum StyleBit : int {
  kSuperscript = 1,
  kSubscript = 2,
  kOblique = 4,
  kStrike = 8,
  kUnderline = 16,
  kBold = 32,
  kItalic = 64,
};
constexpr int kUnknownStyle = 128;
// Italic, Bold, Underline, Strike and Oblique: the bits written as on/off statements.
constexpr int kToggleStyles = 124;
constexpr int kScriptStyles = kSubscript | kSuperscript;

constexpr int kSizeIndexCount = 10;
constexpr int kUnknownSize = 10;
constexpr int kNormalSizeIndex = 4;

struct Font {
  Family family = Family::kTimes;
  int size = kNormalSizeIndex;  // size index 0..9; kUnknownSize when not known
  int style = 0;                // StyleBit set; kUnknownStyle when not known
  bool operator==(const Font&) const = default;
};

// One row of the built-in character format table.
struct CharacterFormat {
  const char* name;
  Family family;
  int size;
  int style;
};

constexpr std::size_t kCharacterFormatCount = 19;
extern const CharacterFormat kCharacterFormats[kCharacterFormatCount];

// Document sizes: 10pt, 11pt, 12pt and slides.
constexpr int kDocumentSizeCount = 4;
constexpr int kSlidesDocumentSize = 3;
extern const int kPointSizes[kDocumentSizeCount][kSizeIndexCount];

struct FontState {
  Font current;
  Font lastWritten;
  bool used[kCharacterFormatCount] = {};
  bool sent[kCharacterFormatCount] = {};  // handed out ahead of the prologue (takeNewDefinitions)
  int documentSize = 0;
};

// The fonts' state, the one fontState() returns; declared here so that the accessors and the
// check of synchroniseFont are inline (they run for every piece of text).
extern FontState theFonts;
inline FontState& fontState() {
  return theFonts;
}
inline Font& currentFont() {
  return theFonts.current;
}
// Resets the fonts, the used flags and the document size for a new conversion.
void initFonts();

// The family statement text ("<Family Times>"...); empty for kNone.
const char* familyStatement(Family family);
// Point size of a size index in the current document size; 0 for an unknown index.
int pointSize(int sizeIndex);

// %f: C Courier, S Symbol, T Times, V Helvetica.
void setFamily(char code);
// %s: applies each style code in turn.
void applyStyleCodes(const char* codes);
// %h: Times, plain, at the size index of the named character format.
void setSizeByFormat(const char* name);

// The row of that name, marked used; reports and returns nullptr when there is none.
const CharacterFormat* findCharacterFormat(const char* name);
// The font of a character format row.
Font formatFont(const CharacterFormat& row);

// Writes into the paragraph buffer whatever font statements make the last-written font the
// current one.
void writeFontChanges();
inline void synchroniseFont() {
  const Font& last = theFonts.lastWritten;
  if (last.style != kUnknownStyle && last == theFonts.current) return;
  writeFontChanges();
}
// Forgets the last-written font, so that the next synchronisation writes everything again.
void resetLastWrittenFont();

}  // namespace pendra::output
