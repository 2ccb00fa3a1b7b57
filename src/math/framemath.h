// FrameMath output: the expression text of a laid-out math tree in FrameMath's full form, the
// statement around it, and the test that decides whether inline math can be plain text instead.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "math/node.h"

namespace pendra::math {

// What the writer needs of the fonts: the point size of each size index for the document size,
// and the size index of the current font (spacing units are quarters of its em).
struct WriterSizes {
  std::array<int, output::kSizeIndexCount> points;
  int currentSizeIndex = output::kNormalSizeIndex;
};

// 0: inline math must be a FrameMath statement; 1: plain text; 2: plain text with scripts.
int simplicity(const MathNode* tree);

// Appends `text` as it may stand between the double quotes of a FrameMath string.
void escapeMathText(std::string& out, std::string_view text);

// Appends the expression text of `tree` (consumed) to `out`, starting from a fresh annotation
// state; an empty tree is written as a blank string.
void writeExpression(std::string& out, NodePtr tree, const WriterSizes& sizes);

// Appends a whole FrameMath statement of form 'I' (inline) or 'D' (display): the header line,
// the expression on one line, and the closing ">" (followed by a line feed for a display). What
// goes around it in the paragraph (the display's paragraph tag, the Comment statement after an
// inline equation) is the caller's.
void writeFrameMath(std::string& out, char form, NodePtr tree, const WriterSizes& sizes);

}  // namespace pendra::math
