// The \left/\right tables: letter pairs that name a construct, and the glyphs of the letters.
#include "math/operator.h"

namespace pendra::math {

namespace {

// Searched in order; the first matching pair wins.
constexpr DelimiterPair kDelimiterPairs[] = {
    {'|', '|', "1,abs"},    {kDoubleBarLetter, kDoubleBarLetter, "1,norm"},
    {'<', '|', "1,bra"},    {'|', '>', "1,ket"},
    {'<', '>', "1,dangle"}, {'f', 'F', "1,floor"},
    {'c', 'C', "1,ceil"},   {'(', ')', "i,id,i0"},
    {'[', ']', "i,id,i1"},  {'{', '}', "i,id,i2"},
};

constexpr DelimiterGlyph kDelimiterGlyphs[] = {
    {'|', "|"},        {kDoubleBarLetter, "||"},
    {'<', "<"},        {'>', ">"},
    {'(', "("},        {')', ")"},
    {'[', "["},        {']', "]"},
    {'{', "{"},        {'}', "}"},
    {'\\', "\\"},      {'f', "\xEB"},
    {'F', "\xFB"},     {'c', "\xE9"},
    {'C', "\xF9"},     {'u', "\xAD"},
    {'d', "\xAF"},     {'U', "\xDD"},
    {'D', "\xDF"},     {'a', "\xAD\xAF"},
    {'A', "\xDD\xDF"},
};

}  // namespace

std::span<const DelimiterPair> delimiterPairs() {
  return kDelimiterPairs;
}
std::span<const DelimiterGlyph> delimiterGlyphs() {
  return kDelimiterGlyphs;
}

}  // namespace pendra::math
