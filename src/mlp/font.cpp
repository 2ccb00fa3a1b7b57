#include "mlp/font.h"

#include <string>

#include "mif/tree.h"
#include "mlp/intern.h"

namespace pendra::mlp {

using mif::Op;

namespace {

struct FontState {
  Font current;
  Font written;
  bool changed = false;
};

FontState fonts;

const char* yesNo(bool on) {
  return on ? "Yes" : "No";
}

}  // namespace

void initFont() {
  fonts = FontState{};
  fonts.current = Font{internString("Times"), kInitialFontSize, 0};
  fonts.written = fonts.current;
}

const Font& currentFont() {
  return fonts.current;
}
void setCurrentFont(const Font& font) {
  fonts.current = font;
}
const Font& writtenFont() {
  return fonts.written;
}
void setWrittenFont(const Font& font) {
  fonts.written = font;
}
bool fontChanged() {
  return fonts.changed;
}
void setFontChanged(bool changed) {
  fonts.changed = changed;
}

const char* positionKeyword(unsigned flags) {
  if (flags & kSuperscript) return "FSuperscript";
  if (flags & kSubscript) return "FSubscript";
  return "FNormal";
}

void emitFontChange(bool force) {
  if (!fonts.changed && !force) return;
  Op group = mif::currentGroupOp();
  if (group != Op::ParaLine && group != Op::TextLine) return;
  fonts.changed = false;
  const Font& now = fonts.current;
  const Font& was = fonts.written;
  unsigned diff = (was.flags & kFlagsUnknown) ? kAttributeFlags : (now.flags ^ was.flags);
  diff &= kAttributeFlags;
  bool familyDiffers = now.family != was.family && now.family;
  if (diff == 0 && !familyDiffers && now.size == was.size) return;
  mif::beginGroup(Op::Font);
  if (familyDiffers) {
    mif::addLeaf(Op::FFamily, now.family);
    std::string family = now.family;
    if (family.find(' ') != std::string::npos) {
      std::erase(family, ' ');
      mif::addLeaf(Op::FPostScriptName, internString(family.c_str()));
    }
  }
  if (now.size != was.size) mif::addLeaf(Op::FSize, static_cast<float>(now.size));
  if (diff & (kItalic | kOblique))
    mif::addLeaf(Op::FItalic, yesNo(now.flags & (kItalic | kOblique)));
  if (diff & kBold) mif::addLeaf(Op::FBold, yesNo(now.flags & kBold));
  if (diff & kUnderline)
    mif::addLeaf(Op::FUnderlining, (now.flags & kUnderline) ? "FSingle" : "FNoUnderlining");
  if (diff & kStrike) mif::addLeaf(Op::FStrike, yesNo(now.flags & kStrike));
  if (diff & kPositionFlags) mif::addLeaf(Op::FPosition, positionKeyword(now.flags));
  mif::endGroup(Op::Font);
  fonts.written = fonts.current;
}

void fontStatement(Code code, const char* name, std::uint32_t size) {
  Font& f = fonts.current;
  switch (code) {
    case Code::Family:
      f.family = internString(name);
      break;
    case Code::Pts:
      if (size > 0) f.size = static_cast<std::int32_t>(size);
      break;
    case Code::Italic:
      f.flags |= kItalic;
      break;
    case Code::NoItalic:
      f.flags &= ~kItalic;
      break;
    case Code::Bold:
      f.flags |= kBold;
      break;
    case Code::NoBold:
      f.flags &= ~kBold;
      break;
    case Code::Underline:
      f.flags |= kUnderline;
      break;
    case Code::NoUnderline:
      f.flags &= ~kUnderline;
      break;
    case Code::Strike:
      f.flags |= kStrike;
      break;
    case Code::NoStrike:
      f.flags &= ~kStrike;
      break;
    case Code::Oblique:
      f.flags |= kOblique;
      break;
    case Code::NoOblique:
      f.flags &= ~kOblique;
      break;
    case Code::Superscript:
      f.flags = (f.flags & ~kPositionFlags) | kSuperscript;
      break;
    case Code::Subscript:
      f.flags = (f.flags & ~kPositionFlags) | kSubscript;
      break;
    case Code::Normal:
      f.flags &= ~kPositionFlags;
      break;
    case Code::Plain:
      f.flags = 0;
      break;
    default:
      return;
  }
  fonts.changed = true;
}

}  // namespace pendra::mlp
