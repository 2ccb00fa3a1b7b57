// Tables: each `!table` is built as a Tbl in a side tree of its own, moved into the one Tbls
// group of the document, and anchored in the text by an ATbl with the table's ID.
#pragma once

#include <cstdint>

namespace pendra::mlp {

// Every table uses this one table format, which the table catalog defines.
constexpr const char* kTableFormat = "Table-L";

// `!table n`: reads the column count, then the rows.
void tableStatement();
void rowStatement();
// `!cell` and `!span k` (spanning `k` columns).
void cellStatement(bool span, std::uint32_t columns);

}  // namespace pendra::mlp
