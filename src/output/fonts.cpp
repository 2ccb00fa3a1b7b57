#include "output/fonts.h"

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "output/paragraph.h"
#include "reader/report.h"

namespace pendra::output {

FontState theFonts;

namespace {

FontState& fonts = theFonts;

constexpr std::size_t kPointsStatementSize = 32;  // "<pts %d>" with any int

// Statement names of the on/off styles, by bit, highest first.
struct ToggleStatement {
  int bit;
  const char* on;
  const char* off;
};
constexpr ToggleStatement kToggles[] = {
    {kItalic, "Italic", "NoItalic"},          {kBold, "Bold", "NoBold"},
    {kUnderline, "Underline", "NoUnderline"}, {kStrike, "Strike", "NoStrike"},
    {kOblique, "Oblique", "NoOblique"},
};

int score(const CharacterFormat& row, const Font& font) {
  return (row.family == font.family) + (row.style == font.style) + (row.size == font.size);
}

// The row of the character format table nearest a font, and how many fields they share.
struct NearestRow {
  Font font{Family::kNone, kUnknownSize, kUnknownStyle};
  std::size_t row = kCharacterFormatCount;
  int score = 0;
};

// The first row with the most fields in common; a later row must have strictly more. The table
// is fixed, so the answer for a font never changes: a few answers are kept, by a hash of the
// font, since text and math switch back and forth between a handful of fonts.
const NearestRow& nearestRow(const Font& font) {
  constexpr unsigned kKeptBits = 6;
  static NearestRow kept[1u << kKeptBits];
  // The fields side by side (style 8 bits, size 4, family 3), spread by Fibonacci hashing: the
  // top bits of the product pick the slot.
  std::uint32_t key = (static_cast<std::uint32_t>(font.style) & 0xFFu) |
                      (static_cast<std::uint32_t>(font.size) & 0xFu) << 8 |
                      static_cast<std::uint32_t>(font.family) << 12;
  NearestRow& slot = kept[(key * 0x9E3779B1u) >> (32 - kKeptBits)];
  if (slot.font == font && slot.row != kCharacterFormatCount) return slot;
  slot = NearestRow{font};
  for (std::size_t i = 0; i < kCharacterFormatCount && slot.score < 3; ++i) {
    int s = score(kCharacterFormats[i], font);
    if (s > slot.score) {
      slot.row = i;
      slot.score = s;
    }
  }
  return slot;
}

}  // namespace

// The current font starts as the normal roman font; the first paragraph tag sets it.
void initFonts() {
  fonts = FontState{};
  resetLastWrittenFont();
}

const char* familyStatement(Family family) {
  switch (family) {
    case Family::kTimes:
      return "<Family Times>";
    case Family::kHelvetica:
      return "<Family Helvetica>";
    case Family::kCourier:
      return "<Family Courier>";
    case Family::kSymbol:
      return "<Family Symbol>";
    case Family::kNone:
      break;
  }
  return "";
}

int pointSize(int sizeIndex) {
  int documentSize = fonts.documentSize;
  if (documentSize < 0 || documentSize >= kDocumentSizeCount) documentSize = 0;
  if (sizeIndex < 0 || sizeIndex >= kSizeIndexCount) return 0;
  return kPointSizes[documentSize][sizeIndex];
}

void setFamily(char code) {
  switch (code) {
    case 'C':
      fonts.current.family = Family::kCourier;
      break;
    case 'S':
      fonts.current.family = Family::kSymbol;
      break;
    case 'T':
      fonts.current.family = Family::kTimes;
      break;
    case 'V':
      fonts.current.family = Family::kHelvetica;
      break;
    default:
      reader::report("bad font code %c\n", code);
      break;
  }
}

void applyStyleCodes(const char* codes) {
  int& style = fonts.current.style;
  for (const char* c = codes; *c; ++c) {
    switch (*c) {
      case 'B':
        style |= kBold;
        break;
      case 'M':
        style &= ~kBold;
        break;
      case 'I':
        style |= kItalic;
        break;
      case 'O':
      case 'S':
        style |= kOblique;
        break;
      case 'V':
        style &= ~(kItalic | kOblique);
        break;
      case 'E':  // emphasis: upright inside italic or slanted text, italic elsewhere
        if (style & (kItalic | kOblique))
          style &= ~(kItalic | kOblique);
        else
          style |= kItalic;
        break;
      case 'U':
        style |= kUnderline;
        break;
      case 'D':
        style &= ~kUnderline;
        break;
      case 'H':
        style = (style & ~kScriptStyles) | kSuperscript;
        break;
      case 'L':
        style = (style & ~kScriptStyles) | kSubscript;
        break;
      case 'N':
        style &= ~kScriptStyles;
        break;
      case 'P':
        style = 0;
        break;
      default:
        reader::report("unknown style code %c", *c);
        break;
    }
  }
}

void setSizeByFormat(const char* name) {
  fonts.current.family = Family::kTimes;
  fonts.current.style = 0;
  for (const CharacterFormat& row : kCharacterFormats) {
    if (std::strcmp(row.name, name) == 0) {
      fonts.current.size = row.size;
      return;
    }
  }
  reader::report("bad character format tag %s\n", name);
}

const CharacterFormat* findCharacterFormat(const char* name) {
  for (std::size_t i = 0; i < kCharacterFormatCount; ++i) {
    if (std::strcmp(kCharacterFormats[i].name, name) == 0) {
      fonts.used[i] = true;
      return &kCharacterFormats[i];
    }
  }
  reader::report("cannot find font %s\n", name);
  return nullptr;
}

Font formatFont(const CharacterFormat& row) {
  return Font{row.family, row.size, row.style};
}

void writeFontChanges() {
  const Font& cur = fonts.current;
  Font& last = fonts.lastWritten;
  int count;
  if (last.style == kUnknownStyle) {
    count = 99;
    last.style = ~cur.style & 0xff;
  } else {
    count = (cur.family != last.family) + (cur.style != last.style) + (cur.size != last.size);
  }
  const NearestRow& nearest = nearestRow(cur);
  std::size_t best = nearest.row;
  int bestScore = nearest.score;
  if (best < kCharacterFormatCount && (bestScore == 3 || count >= 2)) {
    writeStatement(kCharacterFormats[best].name);
    last = formatFont(kCharacterFormats[best]);
    fonts.used[best] = true;
  }
  if (cur.family != last.family) {
    writeFontText(familyStatement(cur.family));
    last.family = cur.family;
  }
  if (cur.style != last.style) {
    int changed = (cur.style ^ last.style) & kToggleStyles;
    if (std::popcount(static_cast<unsigned>(changed)) >
        std::popcount(static_cast<unsigned>(cur.style & kToggleStyles))) {
      writeStatement("Plain");
      changed = cur.style & kToggleStyles;
    }
    for (const ToggleStatement& t : kToggles)
      if (changed & t.bit) writeStatement(cur.style & t.bit ? t.on : t.off);
    if ((cur.style ^ last.style) & kScriptStyles) {
      if (cur.style & kSubscript)
        writeStatement("Subscript");
      else if (cur.style & kSuperscript)
        writeStatement("Superscript");
      else
        writeStatement("Normal");
    }
    last.style = cur.style;
  }
  if (cur.size != last.size) {
    if (cur.size >= 0 && cur.size < kSizeIndexCount) {
      char text[kPointsStatementSize];
      std::snprintf(text, sizeof text, "<pts %d>", pointSize(cur.size));
      writeFontText(text);
    }
    last.size = cur.size;
  }
}

void resetLastWrittenFont() {
  fonts.lastWritten = Font{Family::kNone, kUnknownSize, kUnknownStyle};
}

}  // namespace pendra::output
