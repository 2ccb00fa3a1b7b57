// \left and \right: the delimiter letters, the constructs built from a pair, and what \bmod and
// \pmod write in math.
#pragma once

#include "math/node.h"

namespace pendra::math {

inline constexpr const char* kUnbalancedDelimiters = "Unbalanced \\left or \\right";

// %G: L opens a \left group, R closes it; any other argument is \bmod (no argument field) or
// \pmod (first field 1).
void delimiterCode(const char* argument);

// Builds the construct of a \left `left` ... \right `right` pair around `content` (not none) and
// appends it to the current frame.
void buildDelimited(char left, char right, NodePtr content);

}  // namespace pendra::math
