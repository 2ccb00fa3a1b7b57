// The accented capitals of FrameRoman with their lower-case letters, as byte values.
#include "mlp/frame_roman.h"

namespace pendra::mlp {

namespace {

struct CasePair {
  unsigned char upper;
  unsigned char lower;
};

constexpr CasePair kAccentedPairs[] = {
    {0x80, 0x8A},  // A dieresis
    {0x81, 0x8C},  // A ring
    {0x82, 0x8D},  // C cedilla
    {0x83, 0x8E},  // E acute
    {0x84, 0x96},  // N tilde
    {0x85, 0x9A},  // O dieresis
    {0x86, 0x9F},  // U dieresis
    {0xAE, 0xBE},  // AE
    {0xAF, 0xBF},  // O slash
    {0xCB, 0x88},  // A grave
    {0xCC, 0x8B},  // A tilde
    {0xCD, 0x9B},  // O tilde
    {0xCE, 0xCF},  // OE
    {0xD9, 0xD8},  // Y dieresis
    {0xE5, 0x89},  // A circumflex
    {0xE6, 0x90},  // E circumflex
    {0xE7, 0x87},  // A acute
    {0xE8, 0x91},  // E dieresis
    {0xE9, 0x8F},  // E grave
    {0xEA, 0x92},  // I acute
    {0xEB, 0x94},  // I circumflex
    {0xEC, 0x95},  // I dieresis
    {0xED, 0x93},  // I grave
    {0xEE, 0x97},  // O acute
    {0xEF, 0x99},  // O circumflex
    {0xF1, 0x98},  // O grave
    {0xF2, 0x9C},  // U acute
    {0xF3, 0x9E},  // U circumflex
    {0xF4, 0x9D},  // U grave
};

constexpr FoldTable makeFoldTable() {
  FoldTable t{};
  for (int c = 0; c < 256; ++c) t.fold[c] = static_cast<unsigned char>(c);
  for (int c = 'A'; c <= 'Z'; ++c) t.fold[c] = static_cast<unsigned char>(c - 'A' + 'a');
  for (const CasePair& pair : kAccentedPairs) t.fold[pair.upper] = pair.lower;
  return t;
}

}  // namespace

const FoldTable kFrameRomanFold = makeFoldTable();

}  // namespace pendra::mlp
