#include "mlp/objects.h"

#include "mlp/reader.h"
#include "mlp/statements.h"

namespace pendra::mlp {

namespace {

struct ObjectState {
  mif::MifTree* aframes = nullptr;
  mif::MifTree* tables = nullptr;
  mif::MifTree* textFrameFlows = nullptr;
  int tableNesting = 0;
};

ObjectState objects;

}  // namespace

void initObjects() {
  objects = ObjectState{};
}

void objectStatement(Code code, const char* name, const Operands& operands) {
  (void)operands;
  switch (code) {
    case Code::TblFrame:
    case Code::CLine:
      readInteger();  // the second number of the pair; rulings are not carried into MIF
      return;
    default:
      // Tables, frames, graphics, equations and imported files are not converted yet: the rest
      // of the statement is passed over whole.
      skipOperation(name);
      return;
  }
}

mif::MifTree* aframesTree() {
  return objects.aframes;
}
mif::MifTree* tablesTree() {
  return objects.tables;
}
mif::MifTree* textFrameFlowsTree() {
  return objects.textFrameFlows;
}

void forgetObjectTrees() {
  objects.aframes = nullptr;
  objects.tables = nullptr;
  objects.textFrameFlows = nullptr;
  objects.tableNesting = 0;
}

}  // namespace pendra::mlp
