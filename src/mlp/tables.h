// Tables: each `!table` is built as a Tbl in a side tree of its own, moved into the one Tbls
// group of the document, and anchored in the text by an ATbl with the table's ID.
#pragma once

#include <cstdint>

namespace pendra::mlp {

// Every table uses this one table format, which the table catalog defines.
constexpr const char* kTableFormat = "Table-L";

// `!table n`: reads the column count, then the rows: a `!tblheading` first, the body rows, a
// `!tblfooting` last.
void tableStatement();
// `!row`: directly in a table, its first row opens the body.
void rowStatement();
// `!tblheading` and `!tblfooting`: the rows that FrameMaker repeats at the top and at the bottom
// of each page the table runs over.
void headingStatement();
void footingStatement();
// `!cell`, `!span k` (spanning `k` columns) and `!straddle r k` (spanning `r` rows and `k`
// columns): a span writes its column count always, a straddle only counts above one.
void cellStatement(bool span, std::uint32_t columns, std::uint32_t rows);

}  // namespace pendra::mlp
