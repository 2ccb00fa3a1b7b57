#include "mlp/frames.h"

#include <string>
#include <vector>

#include "common/chars.h"
#include "mif/fatal.h"
#include "mif/tree.h"
#include "mlp/objects.h"
#include "mlp/pgf.h"
#include "mlp/reader.h"
#include "mlp/statements.h"
#include "mlp/text.h"

namespace pendra::mlp {

using mif::Op;

namespace {

struct FrameState {
  int open = 0;  // frames being built
  // Frames begun outside the AFrames tree (in a table cell, say) while a frame was being built
  // in it: each is built in a tree of its own, which joins the AFrames tree's top level when the
  // outermost frame is done, since the cursor there stands inside the open frame.
  std::vector<mif::MifTree*> deferred;
};

FrameState frameState;

// Makes the tree the next frame is built in current; returns the tree that was current.
mif::MifTree* enterFrameTree() {
  mif::MifTree* aframes = aframesTree();
  bool deferred = frameState.open > 0 && aframes && mif::currentTree() != aframes;
  ++frameState.open;
  if (!deferred) return enterAframesTree();
  mif::MifTree* own = mif::newMifTree();
  frameState.deferred.push_back(own);
  return mif::setCurrentTree(own);
}

// Opens a Frame with a new ID at the current position; pen width 0 means no border.
std::int32_t openFrame(float penWidth, float width, float height) {
  std::int32_t id = mif::newObjectId();
  mif::beginGroup(Op::Frame);
  // A picture may hold any number of objects: they are written out as they are completed.
  mif::streamGroup();
  mif::addLeaf(Op::ID, id);
  mif::addLeaf(Op::Pen, penWidth == 0 ? 15 : 0);
  mif::addLeaf(Op::Fill, 15);
  mif::addLeaf(Op::PenWidth, finitePoints(penWidth));
  float w = inches(width > 0 ? width : kMinFrameWidth);
  float h = inches(height > 0 ? height : kMinFrameHeight);
  mif::addLeaf(Op::ShapeRect, 0.0f, 0.0f, w, h);
  mif::addLeaf(Op::BRect, 0.0f, 0.0f, w, h);
  mif::addLeaf(Op::FrameType, "Inline");
  mif::addLeaf(Op::Float, "No");
  mif::addLeaf(Op::NSOffset, 0.0f);
  mif::addLeaf(Op::BLOffset, -0.05f);
  mif::addLeaf(Op::AnchorAlign, "Center");
  mif::addLeaf(Op::Cropped, "No");
  return id;
}

// Closes the frame built in the AFrames tree and anchors it in the text around it.
void anchorFrame(std::int32_t id, mif::MifTree* previous, const SavedText& saved) {
  mif::endGroup(Op::Frame);
  if (--frameState.open == 0 && !frameState.deferred.empty()) {
    // The outermost frame is done, the cursor after it at the AFrames tree's top level.
    for (mif::MifTree* tree : frameState.deferred) mif::spliceTree(tree);
    frameState.deferred.clear();
  }
  mif::setCurrentTree(previous);
  restoreTextState(saved);
  mif::addLeaf(Op::AFrame, id);
}

using chars::hexValue;

// A quoted part of an expression, current character on its opening quote.
void readQuotedPart(std::string& out) {
  out += '"';
  nextChar();
  for (;;) {
    int c = currentChar();
    if (c == kEndOfInput) mif::fatal("Unexpected EOF");
    nextChar();
    if (c == '"') break;
    if (c != '\\') {
      out += static_cast<char>(c);
      continue;
    }
    c = currentChar();
    if (c == kEndOfInput) mif::fatal("Unexpected EOF");
    nextChar();
    if (c == 'x') {
      int high = hexValue(currentChar());
      if (high >= 0) {
        int first = currentChar();
        nextChar();
        int low = hexValue(currentChar());
        if (low >= 0) {
          nextChar();
          // A NUL byte cannot stand in a MIF string.
          if (int byte = high * 16 + low; byte != 0) out += static_cast<char>(byte);
          continue;
        }
        out += 'x';
        out += static_cast<char>(first);
        continue;
      }
    }
    out += static_cast<char>(c);
  }
  out += '"';
}

// The expression of `!framemath` up to the statement's `>`: white space outside quoted parts
// dropped, quoted parts kept with their quotes and their escapes decoded.
std::string readMathExpression() {
  std::string out;
  for (;;) {
    skipWhite();
    int c = currentChar();
    if (c == '>') break;
    if (c == kEndOfInput) mif::fatal("Unexpected EOF");
    if (c == '"') {
      readQuotedPart(out);
    } else {
      out += static_cast<char>(c);
      // The bytes after it up to white space, a quote or the end go in at once.
      out += takeRunOf<' ', '\t', '\n', '\r', '"', '>'>();
      nextChar();
    }
  }
  return out;
}

}  // namespace

void initFrames() {
  frameState = FrameState{};
}

void frameStatement(float penWidth, float width, float height) {
  SavedText saved = saveTextState();
  mif::MifTree* previous = enterFrameTree();
  std::int32_t id = openFrame(penWidth, width, height);
  processStatements(true);
  anchorFrame(id, previous, saved);
}

void rawFrameStatement(const char* name) {
  std::int32_t id = mif::newObjectId();
  SavedText saved = saveTextState();
  mif::MifTree* previous = enterFrameTree();
  mif::beginGroup(Op::Frame);
  mif::addLeaf(Op::ID, id);
  mif::addLeaf(Op::Pen, 15);
  mif::addLeaf(Op::Fill, 15);
  mif::addLeaf(Op::PenWidth, 1.0f);
  mif::addRawText(collectOperation(name).c_str());
  anchorFrame(id, previous, saved);
}

void frameMathStatement(float width, float height) {
  SavedText saved = saveTextState();
  mif::MifTree* previous = enterFrameTree();
  std::int32_t id = openFrame(0, width, height);
  mif::beginGroup(Op::Math);
  mif::addLeaf(Op::BRect, 0.0f, 0.0f, kMathBoxSize, kMathBoxSize);
  mif::addLeaf(Op::ShapeRect, 0.0f, 0.0f, kMathBoxSize, kMathBoxSize);
  mif::beginString(Op::MathFullForm);
  std::string expression = readMathExpression();
  mif::addStringText(expression.data(), expression.size());
  mif::flushString();
  mif::addLeaf(Op::MathOrigin, inches(width) / 2, inches(height) - kMathBaselineRaise);
  mif::addLeaf(Op::MathAlignment, "Center");
  mif::addLeaf(Op::MathSize, "MathMedium");
  mif::endGroup(Op::Math);
  anchorFrame(id, previous, saved);
  // The line feed that usually follows an equation is neither a space nor half a paragraph end.
  absorbNextLineFeed();
}

void textFrameStatement() {
  std::int32_t frameId = mif::newObjectId();
  SavedText saved = saveTextState();
  mif::MifTree* flow = mif::newMifTree();
  mif::MifTree* previous = mif::setCurrentTree(flow);
  switchPgf("body");
  forgetWrittenPgf();
  processStatements(true);
  restoreTextState(saved);
  mif::setCurrentTree(previous);
  std::int32_t rectId = mif::newObjectId();

  // The flow is tied to its text rectangle by a TextRectID at the start of its first paragraph
  // line, which takes the place of that line's placeholder. Content that does not begin with a
  // paragraph cannot be a text flow and is dropped.
  mif::MifNode* para = flow->first;
  mif::MifNode* line = nullptr;
  if (para && para->op == Op::Para) {
    for (mif::MifNode* child = para->child; child && !line;
         child = child->last ? nullptr : child->next) {
      if (child->op == Op::ParaLine) line = child;
    }
  }
  mif::MifNode* placeholder = line ? line->child : nullptr;
  if (!placeholder || placeholder->op != mif::kPlaceholderOp) {
    mif::discardTree(flow);
    return;
  }
  placeholder->op = Op::TextRectID;
  placeholder->ref = nullptr;
  placeholder->integer = rectId;

  previous = enterAframesTree();
  mif::beginGroup(Op::Frame);
  mif::addLeaf(Op::ID, frameId);
  mif::addLeaf(Op::ShapeRect, 0.0f, 0.0f, kTextFrameSize, kTextFrameSize);
  mif::addLeaf(Op::BRect, 0.0f, 0.0f, kTextFrameSize, kTextFrameSize);
  mif::addLeaf(Op::FrameType, "Below");
  mif::addLeaf(Op::Float, "Yes");
  mif::addLeaf(Op::AnchorAlign, "Center");
  mif::addLeaf(Op::Cropped, "Yes");
  mif::beginGroup(Op::TextRect);
  mif::addLeaf(Op::ID, rectId);
  mif::addLeaf(Op::Overprint, "No");
  mif::addLeaf(Op::ShapeRect, 0.0f, 0.0f, kTextFrameSize, kTextFrameSize);
  mif::addLeaf(Op::BRect, 0.0f, 0.0f, kTextFrameSize, kTextFrameSize);
  mif::endGroup(Op::TextRect);
  mif::endGroup(Op::Frame);
  enterTextFrameFlowsTree();
  mif::beginGroup(Op::TextFlow);
  mif::spliceTree(flow);
  mif::endGroup(Op::TextFlow);
  mif::setCurrentTree(previous);
  mif::addLeaf(Op::AFrame, frameId);
}

}  // namespace pendra::mlp
