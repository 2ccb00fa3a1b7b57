#include "mlp/objects.h"

#include <cfloat>

#include "mlp/frames.h"
#include "mlp/graphics.h"
#include "mlp/reader.h"
#include "mlp/statements.h"
#include "mlp/tables.h"

namespace pendra::mlp {

using mif::Op;

namespace {

struct ObjectState {
  mif::MifTree* aframes = nullptr;
  mif::MifTree* tables = nullptr;
  mif::MifTree* textFrameFlows = nullptr;
  int tableNesting = 0;
};

ObjectState objects;

mif::MifTree* enterTree(mif::MifTree*& tree, Op group) {
  if (tree) return mif::setCurrentTree(tree);
  tree = mif::newMifTree();
  mif::MifTree* previous = mif::setCurrentTree(tree);
  if (group != mif::kSentinelOp) {
    mif::beginGroup(group);
    // The group stands at the top level; its objects are written out as they are completed.
    mif::streamTree(tree);
  }
  return previous;
}

}  // namespace

void initObjects() {
  objects = ObjectState{};
}

void objectStatement(Code code, const char* name, const Operands& o) {
  switch (code) {
    case Code::Table:
      tableStatement();
      break;
    case Code::Row:
      rowStatement();
      break;
    case Code::Cell:
      cellStatement(false, 0, 1);
      break;
    case Code::Span:
      cellStatement(true, o.integer, 1);
      break;
    case Code::Straddle:
      cellStatement(o.angles[1] > 1, o.angles[1], o.angles[0]);
      break;
    case Code::TblHeading:
      headingStatement();
      break;
    case Code::TblFooting:
      footingStatement();
      break;
    case Code::TblFrame:
    case Code::CLine:
      readInteger();  // the second number of the pair; rulings are not carried into MIF
      break;
    case Code::Frame:
      frameStatement(1, o.pair[0], o.pair[1]);
      break;
    case Code::InlineFrame:
      frameStatement(static_cast<float>(o.integer), o.pair[0], o.pair[1]);
      break;
    case Code::AFrame:
      rawFrameStatement(name);
      break;
    case Code::TextFrame:
      textFrameStatement();
      break;
    case Code::FrameMath:
      frameMathStatement(o.rect[2], o.rect[3]);
      break;
    case Code::Line:
    case Code::Arrow:
      lineStatement(code == Code::Arrow, o.measure, o.rect);
      break;
    case Code::Arc:
      arcStatement(o.measure, o.rect, o.angles);
      break;
    case Code::Ellipse:
    case Code::Rectangle:
      shapeStatement(code == Code::Ellipse ? Op::Ellipse : Op::Rectangle, o.boolean, o.measure,
                     o.rect);
      break;
    case Code::TextLine:
      textLineStatement(o.name, o.integer, o.pair);
      break;
    case Code::EpsFile:
      epsFileStatement(o.text, o.rect, o.pair);
      break;
    case Code::ImportFile:
      // An angle may follow the size.
      importFileStatement(o.text, o.pair[0], o.pair[1], readInteger());
      break;
    default:
      break;
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

mif::MifTree* enterAframesTree() {
  return enterTree(objects.aframes, Op::AFrames);
}
mif::MifTree* enterTablesTree() {
  return enterTree(objects.tables, Op::Tbls);
}
mif::MifTree* enterTextFrameFlowsTree() {
  return enterTree(objects.textFrameFlows, mif::kSentinelOp);
}

int beginTableNesting() {
  return ++objects.tableNesting;
}
void endTableNesting() {
  if (objects.tableNesting > 0) --objects.tableNesting;
}

float finitePoints(float points) {
  if (points != points) return 0;
  if (points < -FLT_MAX) return -FLT_MAX;
  if (points > FLT_MAX) return FLT_MAX;
  return points;
}

float inches(float points) {
  return finitePoints(points) / kPointsPerInch;
}

}  // namespace pendra::mlp
