// The font of the running text: the current font, the font last written into the text, and the
// lazily written Font groups that carry the difference.
#pragma once

#include <cstdint>

#include "mlp/statement_table.h"

namespace pendra::mlp {

// Attribute flags; superscript and subscript together form the position field. kFlagsUnknown
// appears only in the last written flags and forces every attribute out at the next change.
constexpr unsigned kItalic = 1;
constexpr unsigned kBold = 2;
constexpr unsigned kUnderline = 4;
constexpr unsigned kStrike = 8;
constexpr unsigned kOblique = 16;
constexpr unsigned kSuperscript = 32;
constexpr unsigned kSubscript = 64;
constexpr unsigned kPositionFlags = kSuperscript | kSubscript;
constexpr unsigned kFlagsUnknown = 128;
constexpr unsigned kAttributeFlags = 127;

constexpr std::int32_t kInitialFontSize = 10;

struct Font {
  const char* family = nullptr;  // interned, so identity decides equality
  std::int32_t size = 0;
  unsigned flags = 0;
};

// Current font Times 10 with no attributes, written font the same, nothing pending.
void initFont();

const Font& currentFont();
void setCurrentFont(const Font& font);
const Font& writtenFont();
void setWrittenFont(const Font& font);
bool fontChanged();
void setFontChanged(bool changed);

// Writes a Font group for the difference between the current and the written font, when one is
// pending (or `force`) and the next node goes into a ParaLine or TextLine.
void emitFontChange(bool force);

// family, pts and the attribute statements.
void fontStatement(Code code, const char* name, std::uint32_t size);

// The MIF keyword for the position bits of `flags`.
const char* positionKeyword(unsigned flags);

}  // namespace pendra::mlp
