// Anchored objects of the text: tables, anchored frames with their graphics, equations, imported
// files and text frames. They are built in side trees that the document assembly places at the
// top level.
#pragma once

#include <cstdint>

#include "mif/tree.h"
#include "mlp/statement_table.h"

namespace pendra::mlp {

struct Operands;

// MIF coordinates are inches of this many points; MLP measurements arrive in points.
constexpr float kPointsPerInch = 72.27f;

void initObjects();

// Runs a table, frame, graphic, equation or imported-file statement.
void objectStatement(Code code, const char* name, const Operands& operands);

// The side trees (none until their first object) and their release to the assembly.
mif::MifTree* aframesTree();
mif::MifTree* tablesTree();
mif::MifTree* textFrameFlowsTree();
void forgetObjectTrees();

// For the object handlers: make a side tree current, creating it at first use (the AFrames tree
// with its open AFrames group, the tables tree with its open Tbls group), and return the tree
// that was current before.
mif::MifTree* enterAframesTree();
mif::MifTree* enterTablesTree();
mif::MifTree* enterTextFrameFlowsTree();

// The number of tables being built, the one starting now included.
int beginTableNesting();
void endTableNesting();

// Points to inches, kept finite so that every value can be written.
float inches(float points);
float finitePoints(float points);

}  // namespace pendra::mlp
