// Simple inline math written as running text: literals in their fonts, signs in the Symbol
// family, scripts as superscript and subscript style bits, spacing as space statements.
#pragma once

#include <string>
#include <vector>

#include "math/node.h"

namespace pendra::math {

// A stretch of text in one font, or a statement line such as "<EmSpace>". The paragraph layer
// replays them: text through the escaping text writer after the font is made current,
// statements through the statement-line writer.
struct PlainPiece {
  bool statement = false;
  MathFont font;
  std::string text;
};

// Appends the pieces of `tree` (consumed), which the simplicity test found simple.
void writePlainMath(std::vector<PlainPiece>& out, NodePtr tree);

}  // namespace pendra::math
