// The accented letters of FrameRoman: base letter, accent character, code. Data only.
#include "output/char_commands.h"

namespace pendra::output {

const AccentRow kAccents[kAccentCount] = {
    {'A', '"', 0x80},  {'O', '"', 0x85},  {'U', '"', 0x86},  {'a', '"', 0x8A},  {'e', '"', 0x91},
    {'i', '"', 0x95},  {'o', '"', 0x9A},  {'u', '"', 0x9F},  {'y', '"', 0xD8},  {'Y', '"', 0xD9},
    {'E', '"', 0xE8},  {'I', '"', 0xEC},  {'A', '.', 0x81},  {'a', '.', 0x8C},  {'C', 'c', 0x82},
    {'c', 'c', 0x8D},  {'E', '\'', 0x83}, {'a', '\'', 0x87}, {'e', '\'', 0x8E}, {'i', '\'', 0x92},
    {'o', '\'', 0x97}, {'u', '\'', 0x9C}, {'A', '\'', 0xE7}, {'I', '\'', 0xEA}, {'O', '\'', 0xEE},
    {'U', '\'', 0xF2}, {'N', '~', 0x84},  {'a', '~', 0x8B},  {'n', '~', 0x96},  {'o', '~', 0x9B},
    {'A', '~', 0xCC},  {'O', '~', 0xCD},  {'a', '`', 0x88},  {'e', '`', 0x8F},  {'i', '`', 0x93},
    {'o', '`', 0x98},  {'u', '`', 0x9D},  {'A', '`', 0xCB},  {'E', '`', 0xE9},  {'I', '`', 0xED},
    {'O', '`', 0xF1},  {'U', '`', 0xF4},  {'a', '^', 0x89},  {'e', '^', 0x90},  {'i', '^', 0x94},
    {'o', '^', 0x99},  {'u', '^', 0x9E},  {'A', '^', 0xE5},  {'E', '^', 0xE6},  {'I', '^', 0xEB},
    {'O', '^', 0xEF},  {'U', '^', 0xF3},
};

}  // namespace pendra::output
