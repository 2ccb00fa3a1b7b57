// Anchored objects of the text: tables, anchored frames with their graphics, equations, imported
// files and text frames. They are built in side trees that the document assembly places at the
// top level.
#pragma once

#include <cstdint>

#include "mif/tree.h"
#include "mlp/statement_table.h"

namespace pendra::mlp {

struct Operands;

void initObjects();

// Runs a table, frame, graphic, equation or imported-file statement.
void objectStatement(Code code, const char* name, const Operands& operands);

// The side trees (none until their first object) and their release to the assembly.
mif::MifTree* aframesTree();
mif::MifTree* tablesTree();
mif::MifTree* textFrameFlowsTree();
void forgetObjectTrees();

}  // namespace pendra::mlp
