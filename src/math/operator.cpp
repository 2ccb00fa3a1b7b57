// Lookups in the math operator and delimiter tables.
#include "math/operator.h"

#include <array>
#include <cstring>
#include <string_view>
#include <unordered_map>

#include "reader/report.h"

namespace pendra::math {

namespace {

using RowIndex = std::unordered_map<std::string_view, const MathOperator*>;

// Every table's rows by name, made at the first lookup; the first row of a name is the one kept.
const RowIndex& rowIndex(OperatorTable table) {
  static std::array<RowIndex, kOperatorTableCount> indexes;
  static std::array<bool, kOperatorTableCount> made{};
  auto at = static_cast<std::size_t>(table);
  if (!made[at]) {
    for (const MathOperator& row : operatorRows(table)) indexes[at].emplace(row.name, &row);
    made[at] = true;
  }
  return indexes[at];
}

}  // namespace

const MathOperator* findOperator(OperatorTable table, const char* name) {
  if (!name) name = "";
  const RowIndex& index = rowIndex(table);
  if (auto found = index.find(name); found != index.end()) return found->second;
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
