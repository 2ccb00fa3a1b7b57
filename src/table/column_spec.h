// The column preamble of a tabular: only the number of columns is taken from it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "reader/arguments.h"

namespace pendra::table {

// Columns a preamble may give; a larger count is held here.
constexpr int kMaxColumns = 1024;
// *-forms inside *-forms; deeper ones count no columns.
constexpr int kMaxRepeatNesting = 32;

// The number of columns of a preamble: c, l and r count one each, and so do p, m and b,
// whose braced width is skipped; @{...} and any other braced group are skipped; *{n}{preamble}
// counts n times the columns of preamble; every other character is ignored. A preamble without
// a column counts as 1. With `wideColumns` (tabularx, tabulary) X, L, C, R and J count one each.
int countColumns(std::string_view preamble, bool wideColumns = false);

// A table's braced arguments (the preamble, a count, a width) are read as they stand.
using reader::readBracedGroup;

}  // namespace pendra::table
