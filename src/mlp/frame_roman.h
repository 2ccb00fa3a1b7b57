// Case folding of tag names by the upper/lower-case pairs of the FrameRoman character set.
#pragma once

namespace pendra::mlp {

// The lower-case partner of a FrameRoman capital (A to Z and the accented capitals); any other
// byte is returned unchanged.
unsigned char foldFrameRoman(unsigned char c);

}  // namespace pendra::mlp
