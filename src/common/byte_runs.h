// Searches over runs of bytes that the hot loops of every stage make (running text in the
// source, in the paragraph being written, in the MLP being read): sixteen bytes are looked at a
// time where the processor can, the rest one by one, and nothing is read at or past `end`.
#pragma once

#include <cstddef>

#include "common/chars.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pendra::bytes {

// The first byte in [p, end) that is one of `Stops`, or `end`.
template <char... Stops>
inline const char* findAnyOf(const char* p, const char* end) {
#if defined(__SSE2__)
  while (end - p >= 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i hits = _mm_setzero_si128();
    ((hits = _mm_or_si128(hits, _mm_cmpeq_epi8(v, _mm_set1_epi8(Stops)))), ...);
    if (int mask = _mm_movemask_epi8(hits)) return p + __builtin_ctz(static_cast<unsigned>(mask));
    p += 16;
  }
#endif
  while (p != end && ((*p != Stops) && ...)) ++p;
  return p;
}

inline bool isNameByte(char c) {
  return chars::isLetter(static_cast<unsigned char>(c)) ||
         chars::isDigit(static_cast<unsigned char>(c));
}

inline bool isWordByte(char c) {
  return c == ' ' || isNameByte(c);
}

// The first byte in [p, end) that is not an ASCII letter or digit (nor a space, with
// `WithSpaces`), or `end`.
template <bool WithSpaces>
inline const char* skipLettersAndDigits(const char* p, const char* end) {
#if defined(__SSE2__)
  while (end - p >= 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    // A range of bytes moved to start at -128 is the bytes below -128 + its length, compared
    // with sign. A letter with the lower-case bit set lies from 'a' to 'z'.
    __m128i letter = _mm_cmplt_epi8(_mm_add_epi8(_mm_or_si128(v, _mm_set1_epi8(0x20)),
                                                 _mm_set1_epi8(static_cast<char>(-128 - 'a'))),
                                    _mm_set1_epi8(-128 + 26));
    __m128i digit = _mm_cmplt_epi8(_mm_add_epi8(v, _mm_set1_epi8(static_cast<char>(-128 - '0'))),
                                   _mm_set1_epi8(-128 + 10));
    __m128i in = _mm_or_si128(letter, digit);
    if constexpr (WithSpaces) in = _mm_or_si128(in, _mm_cmpeq_epi8(v, _mm_set1_epi8(' ')));
    unsigned others = static_cast<unsigned>(_mm_movemask_epi8(in)) ^ 0xFFFFu;
    if (others) return p + __builtin_ctz(others);
    p += 16;
  }
#endif
  while (p != end && (WithSpaces ? isWordByte(*p) : isNameByte(*p))) ++p;
  return p;
}

// The first byte in [p, end) that is not an ASCII letter, a digit or a space, or `end`.
inline const char* skipWordBytes(const char* p, const char* end) {
  return skipLettersAndDigits<true>(p, end);
}

// The first byte in [p, end) that is not an ASCII letter or digit, or `end`.
inline const char* skipNameBytes(const char* p, const char* end) {
  return skipLettersAndDigits<false>(p, end);
}

}  // namespace pendra::bytes
