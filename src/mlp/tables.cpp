#include "mlp/tables.h"

#include "mif/fatal.h"
#include "mif/tree.h"
#include "mlp/objects.h"
#include "mlp/reader.h"
#include "mlp/statements.h"
#include "mlp/text.h"

namespace pendra::mlp {

using mif::Op;

namespace {

// The parts of the table being read: a heading, then the body (opened by the first row that
// stands in the table itself), then a footing, each at most once and in that order.
struct TableParts {
  mif::MifTree* tree = nullptr;
  bool heading = false;   // a heading or a body row has been read: no heading may follow
  bool bodyOpen = false;  // the TblBody group is open
  bool bodyDone = false;  // a footing closed the body: no row may follow
};

// The innermost table being read; none outside tables. Each table's reader keeps the one around
// it and puts it back however the table ends.
TableParts* innermost = nullptr;

class PartsScope {
 public:
  explicit PartsScope(TableParts* parts) : outer_(innermost) { innermost = parts; }
  ~PartsScope() { innermost = outer_; }
  PartsScope(const PartsScope&) = delete;
  PartsScope& operator=(const PartsScope&) = delete;

 private:
  TableParts* outer_;
};

// The parts of the table whose Tbl group is open at the build position; none when the statement
// stands elsewhere (in a cell, or outside any table).
TableParts* partsHere() {
  return innermost && mif::currentGroupOp() == Op::Tbl ? innermost : nullptr;
}

// Heading and footing rows, each group streamed as the body's rows are not: they are few.
void rowGroup(Op group) {
  mif::beginGroup(group);
  processStatements(true);
  mif::endGroup(group);
}

}  // namespace

void tableStatement() {
  std::uint32_t columns = readInteger();
  std::int32_t id = mif::newObjectId();
  SavedText saved = saveTextState();
  mif::MifTree* table = mif::newMifTree();
  mif::MifTree* previous = mif::setCurrentTree(table);
  int nesting = beginTableNesting();
  mif::beginGroup(Op::Tbl);
  mif::addLeaf(Op::TblID, id);
  mif::addLeaf(Op::TblTag, kTableFormat);
  mif::addLeaf(Op::TblNumColumns, static_cast<std::int32_t>(columns));
  TableParts parts;
  parts.tree = table;
  {
    PartsScope scope(&parts);
    processStatements(true);
  }
  if (parts.bodyOpen) {
    mif::endGroup(Op::TblBody);
  } else if (!parts.bodyDone) {
    // A table without rows: the empty body is reported as an empty grouping.
    mif::beginGroup(Op::TblBody);
    mif::endGroup(Op::TblBody);
  }
  restoreTextState(saved);
  mif::endGroup(Op::Tbl);
  enterTablesTree();
  // A MIF table cannot stand in a table cell: an inner table is dropped, its anchor stays.
  if (nesting > 1) {
    mif::discardTree(table);
  } else {
    mif::spliceTree(table);
  }
  mif::setCurrentTree(previous);
  mif::addLeaf(Op::ATbl, id);
  endTableNesting();
}

void rowStatement() {
  if (TableParts* parts = partsHere()) {
    if (parts->bodyDone) mif::fatal("a table row after the table's footing");
    if (!parts->bodyOpen) {
      parts->bodyOpen = true;
      parts->heading = true;
      mif::beginGroup(Op::TblBody);
      // A long table is written out as it is read.
      mif::streamTree(parts->tree);
    }
  }
  mif::beginGroup(Op::Row);
  // A row may hold any number of cells: they are written out as they are completed.
  mif::streamGroup();
  processStatements(true);
  mif::endGroup(Op::Row);
}

void headingStatement() {
  TableParts* parts = partsHere();
  if (!parts || parts->heading) mif::fatal("a table heading stands only first in a table");
  parts->heading = true;
  rowGroup(Op::TblH);
}

void footingStatement() {
  if (innermost && mif::currentGroupOp() == Op::TblBody && innermost->bodyOpen) {
    mif::endGroup(Op::TblBody);
    innermost->bodyOpen = false;
    innermost->bodyDone = true;
  } else {
    mif::fatal("a table footing stands only after the table's body rows");
  }
  rowGroup(Op::TblF);
}

void cellStatement(bool span, std::uint32_t columns, std::uint32_t rows) {
  mif::beginGroup(Op::Cell);
  if (span) mif::addLeaf(Op::CellColumns, static_cast<std::int32_t>(columns));
  if (rows > 1) mif::addLeaf(Op::CellRows, static_cast<std::int32_t>(rows));
  mif::beginGroup(Op::CellContent);
  const mif::MifNode* content = mif::cursorNode();
  processStatements(true);
  // Every cell holds one paragraph at least.
  if (mif::cursorNode() == content) addTextChar(' ');
  endParagraph();
  mif::endGroup(Op::CellContent);
  mif::endGroup(Op::Cell);
}

}  // namespace pendra::mlp
