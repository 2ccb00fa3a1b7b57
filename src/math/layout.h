// Layout: turns the flat chain that the parser leaves in a frame into a tree, by operator
// priority and by the author's spacing; and builds matrices from array frames.
#pragma once

#include "math/node.h"

namespace pendra::math {

// Entries of the grouping stack, the sentinel included.
constexpr int kSpacingStackSize = 32;
// Units of the sentinel below every piece, and of the end of the chain.
constexpr int kSentinelUnits = 32767;
constexpr int kEndUnits = 32766;
// Spacing of at least this many units separates the cells of an array row.
constexpr int kColumnSeparatorUnits = 500;
// Cells of one matrix (rows and columns are 16-bit).
constexpr int kMaxMatrixCells = 32767;
// Blanks that spacing beside a string can turn into, on each side.
constexpr int kMaxSpacingBlanks = 10;

// The whole layout of a frame's chain: operator strings, blanks from spacing, bracket matching,
// grouping by spacing and collapse. An empty chain, or one of Spacing nodes only, gives none.
NodePtr layout(NodePtr chain);

// An UndefArity `matrix` of `columns` columns whose rows are the elements of the chain's `atop`
// node (or the chain itself), each cut into cells at the column separators.
NodePtr makeMatrix(NodePtr chain, int columns);

// The priority pass: operators take their operands up to the next node of at least their own
// priority.
NodePtr collapse(NodePtr chain);

// Cuts the chain after `first` before the first later node whose priority is at least `priority`
// and returns the rest (none when there is no such node). `first` itself is never tested, and
// nodes without an operator never stop.
NodePtr split(MathNode* first, int priority);

// Appends `b` to the end of `a`. A missing `a` is reported as "Bad argument to join"; the result
// is then `b`.
NodePtr join(NodePtr a, NodePtr b);

}  // namespace pendra::math
