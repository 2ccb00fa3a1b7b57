// The math operator tables: one table of rows per arity class, the special rows that layout and
// writers use directly, and the delimiter tables of \left and \right.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace pendra::math {

// One row: the FrameMath name, the plain-text template (nullptr when the operator has no plain
// form) and the binding priority.
struct MathOperator {
  const char* name;
  const char* tmpl;
  std::int32_t priority;
};

// The priority is kept in a 32-bit field but compared as a signed 16-bit value.
inline int priorityOf(const MathOperator& op) {
  return static_cast<std::int16_t>(op.priority);
}

enum class OperatorTable {
  Special,
  Nullary,
  Unary,
  TwoOperand,
  Nary,
  BigOperator,
  Root,
  DelimiterName,
};
constexpr std::size_t kOperatorTableCount = 8;

// Indices of the special rows, in table order.
enum class SpecialRow {
  String,
  Char,
  Indexes,
  Function,
  Lparen,
  Rparen,
  Spacing,
  Id,
  Atop,
  OpPartial,
  Matrix,
};

std::span<const MathOperator> operatorRows(OperatorTable table);
const MathOperator* specialRow(SpecialRow row);

// First row of `table` named `name` (exact, case-sensitive). A missing name is reported as
// "Missing FrameMath entry for %s" and yields nullptr.
const MathOperator* findOperator(OperatorTable table, const char* name);

// The letter that stands for the double bar \| in the delimiter tables.
constexpr char kDoubleBarLetter = '"';

// A \left/\right letter pair that makes a named construct; `kText` is run as a %k argument.
struct DelimiterPair {
  char left;
  char right;
  const char* kText;
};

// The Symbol-font text that draws a delimiter letter.
struct DelimiterGlyph {
  char letter;
  const char* glyph;
};

std::span<const DelimiterPair> delimiterPairs();
std::span<const DelimiterGlyph> delimiterGlyphs();
// The %k text for the pair, or nullptr.
const char* findDelimiterPair(char left, char right);
// The glyph text for the letter, or nullptr.
const char* findDelimiterGlyph(char letter);

}  // namespace pendra::math
