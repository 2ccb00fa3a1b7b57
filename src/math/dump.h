// A readable dump of a math tree, for diagnosis; nothing in a conversion calls it.
#pragma once

#include <string>

#include "math/node.h"

namespace pendra::math {

// Appends the dump of `chain` to `out`: one line per node, indented two blanks per level.
void dumpTree(std::string& out, const MathNode* chain);
// Prints the dump on the console, after a heading with the input line when `title` is given.
void dumpTree(const MathNode* chain, const char* title);

}  // namespace pendra::math
