// Lookups in the math operator and delimiter tables.
#include "math/operator.h"

#include <cstring>

#include "reader/report.h"

namespace pendra::math {

const MathOperator* findOperator(OperatorTable table, const char* name) {
  if (!name) name = "";
  for (const MathOperator& row : operatorRows(table)) {
    if (std::strcmp(row.name, name) == 0) return &row;
  }
  reader::report("Missing FrameMath entry for %s", name);
  return nullptr;
}

const char* findDelimiterPair(char left, char right) {
  for (const DelimiterPair& pair : delimiterPairs()) {
    if (pair.left == left && pair.right == right) return pair.kText;
  }
  return nullptr;
}

const char* findDelimiterGlyph(char letter) {
  for (const DelimiterGlyph& glyph : delimiterGlyphs()) {
    if (glyph.letter == letter) return glyph.glyph;
  }
  return nullptr;
}

}  // namespace pendra::math
