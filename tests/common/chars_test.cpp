// The character class table against the C library's own classes in the C locale, byte by byte,
// and the values outside a byte (end of input) that belong to no class.
#include "common/chars.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>

namespace pendra::chars {
namespace {

TEST(Chars, EveryByteIsClassedAsTheCLocaleClassesIt) {
  for (int c = 0; c < 256; ++c) {
    bool ascii = c < 128;
    EXPECT_EQ(isLetter(c), ascii && std::isalpha(c) != 0) << c;
    EXPECT_EQ(isDigit(c), ascii && std::isdigit(c) != 0) << c;
    EXPECT_EQ(isHexDigit(c), ascii && std::isxdigit(c) != 0) << c;
    EXPECT_EQ(isCSpace(c), ascii && std::isspace(c) != 0) << c;
    EXPECT_EQ(isWhite(c), c != '\v' && ascii && std::isspace(c) != 0) << c;
    EXPECT_EQ(isMarkupSpace(c), c != '\v' && c != '\f' && ascii && std::isspace(c) != 0) << c;
    int hex = c >= '0' && c <= '9'   ? c - '0'
              : c >= 'a' && c <= 'f' ? c - 'a' + 10
              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                     : -1;
    EXPECT_EQ(hexValue(c), hex) << c;
    // A char with the same bits gives the same answer, upper half included.
    char asChar = static_cast<char>(c);
    EXPECT_EQ(isLetter(asChar), isLetter(c)) << c;
    EXPECT_EQ(hexValue(asChar), hex) << c;
  }
}

TEST(Chars, ValuesOutsideAByteBelongToNoClass) {
  for (int c : {-1, -2, 256, 1000}) {
    EXPECT_FALSE(isLetter(c) || isDigit(c) || isWhite(c) || isCSpace(c) || isMarkupSpace(c)) << c;
    EXPECT_EQ(hexValue(c), -1) << c;
  }
}

}  // namespace
}  // namespace pendra::chars
