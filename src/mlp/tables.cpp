#include "mlp/tables.h"

#include "mif/tree.h"
#include "mlp/objects.h"
#include "mlp/reader.h"
#include "mlp/statements.h"
#include "mlp/text.h"

namespace pendra::mlp {

using mif::Op;

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
  mif::beginGroup(Op::TblBody);
  // A long table is written out as it is read.
  mif::streamTree(table);
  processStatements(true);
  mif::endGroup(Op::TblBody);
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
  mif::beginGroup(Op::Row);
  // A row may hold any number of cells: they are written out as they are completed.
  mif::streamGroup();
  processStatements(true);
  mif::endGroup(Op::Row);
}

void cellStatement(bool span, std::uint32_t columns) {
  mif::beginGroup(Op::Cell);
  if (span) mif::addLeaf(Op::CellColumns, static_cast<std::int32_t>(columns));
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
