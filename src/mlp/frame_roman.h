// Case folding of tag names by the upper/lower-case pairs of the FrameRoman character set.
#pragma once

namespace pendra::mlp {

// Every byte's lower-case partner, itself where it has none.
struct FoldTable {
  unsigned char fold[256];
};
extern const FoldTable kFrameRomanFold;

// The lower-case partner of a FrameRoman capital (A to Z and the accented capitals); any other
// byte is returned unchanged.
inline unsigned char foldFrameRoman(unsigned char c) {
  return kFrameRomanFold.fold[c];
}

}  // namespace pendra::mlp
