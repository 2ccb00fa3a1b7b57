// Character classes: one table of 256 entries, made at compile time, that every stage asks what a
// byte is. Each function takes a byte as an int; negative values (the end of input) and values
// past a byte belong to no class.
#pragma once

#include <array>

namespace pendra::chars {

enum Class : unsigned char {
  kLetter = 1,  // A-Z a-z
  kDigit = 2,   // 0-9
  kHex = 4,     // 0-9 a-f A-F
  kWhite = 8,   // space, tab, line feed, carriage return, form feed: white space in LaTeX text
  kMarkupSpace = 16,  // space, tab, line feed, carriage return: between the words of MLP statements
  kCSpace = 32,       // the C locale's white space: kWhite and the vertical tab
};

constexpr std::array<unsigned char, 256> makeClasses() {
  std::array<unsigned char, 256> c{};
  for (int i = 'a'; i <= 'z'; ++i) c[i] |= kLetter;
  for (int i = 'A'; i <= 'Z'; ++i) c[i] |= kLetter;
  for (int i = '0'; i <= '9'; ++i) c[i] |= kDigit | kHex;
  for (int i = 'a'; i <= 'f'; ++i) c[i] |= kHex;
  for (int i = 'A'; i <= 'F'; ++i) c[i] |= kHex;
  for (int i : {' ', '\t', '\n', '\r', '\f'}) c[i] |= kWhite | kCSpace;
  for (int i : {' ', '\t', '\n', '\r'}) c[i] |= kMarkupSpace;
  c['\v'] |= kCSpace;
  return c;
}

inline constexpr std::array<unsigned char, 256> kClasses = makeClasses();

constexpr bool is(int c, Class cls) {
  return c >= 0 && c < 256 && (kClasses[static_cast<unsigned>(c)] & cls) != 0;
}

// Every class holds ASCII bytes alone, so a char with its top bit set (negative where char is
// signed) rightly belongs to none.
// clang-format off
constexpr bool isLetter(int c) { return is(c, kLetter); }
constexpr bool isDigit(int c) { return is(c, kDigit); }
constexpr bool isHexDigit(int c) { return is(c, kHex); }
constexpr bool isWhite(int c) { return is(c, kWhite); }
constexpr bool isMarkupSpace(int c) { return is(c, kMarkupSpace); }
constexpr bool isCSpace(int c) { return is(c, kCSpace); }
// clang-format on

// The value of a hexadecimal digit, -1 for any other byte.
constexpr int hexValue(int c) {
  if (!is(c, kHex)) return -1;
  return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
}

}  // namespace pendra::chars
