// The frame stack of the parser. Frames are pushed for an equation, an array, each argument of a
// math operator, each \left group and each row after a \\; closing one lays its chain out and
// either hands the tree to the frame below or, for an outermost equation, writes it.
#include "math/frames.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "math/delimiters.h"
#include "math/equation_output.h"
#include "math/layout.h"
#include "math/parser.h"
#include "math/state.h"
#include "output/paragraph.h"
#include "output/xref.h"
#include "reader/report.h"

namespace pendra::math {

namespace {

bool isRowList(const MathNode* node) {
  return node && node->kind == NodeKind::Nary && node->op &&
         std::strcmp(node->op->name, "atop") == 0;
}

// A frame's chain after the base frame: nothing closes the base frame, so what reaches it (the
// spacing an array puts before itself in running text) is dropped when the next equation starts
// or ends.
void clearBaseFrame() {
  MathFrame& base = mathState().frames[0];
  base.first.reset();
  base.last = nullptr;
}

// Step 2 of the row separator: the row goes into the row list at the head of the frame below.
void appendRow(NodePtr row) {
  if (!row) return;
  MathFrame& frame = currentFrame();
  if (isRowList(frame.first.get())) {
    MathNode* list = frame.first.get();
    setOperand(list, operandCount(list), std::move(row));
  } else {
    appendToCurrentFrame(std::move(row));
  }
}

// A frame that the construct around it leaves open: a row whose array or display ends, or a
// \left group without its \right.
void closeDangling() {
  MathState& state = mathState();
  char mode = frameModeAt(state.depth);
  if (mode == kRowFrame) {
    appendRow(closeFrame());
    return;
  }
  char left = state.depth <= kMaxMathFrames ? currentFrame().delimiter : '.';
  if (mode == kLeftFrame) reader::report("%s", kUnbalancedDelimiters);
  NodePtr content = closeFrame();
  if (mode == kLeftFrame)
    buildDelimited(left, '.', std::move(content));
  else if (content)
    appendToCurrentFrame(std::move(content));
}

// A line of align and its kin: unnumbered after \notag or \nonumber, and after \tag, whose text
// stands after the equation. An empty line (after the last \\) is not written.
void writeLine(NodePtr tree) {
  MathState& state = mathState();
  if (!tree) return;
  bool own = state.lineUnnumbered || state.lineTagged;
  writeDisplayMath(std::move(tree), own ? kUnnumberedTag : nullptr,
                   state.lineTagged ? &state.lineTag : nullptr);
}

void writeOutermost(char mode, NodePtr& tree) {
  if (mode == kInlineFrame)
    writeInlineMath(std::move(tree));
  else if (mode == kDisplayFrame || mode == kArrayFrame || mode == kStackFrame)
    writeDisplayMath(std::move(tree));
  else if (mode == kLinesFrame)
    writeLine(std::move(tree));
}

// The columns of an array that gave none (matrix, cases): the most cells a row has.
int countColumns(const MathNode* chain) {
  auto cellsOf = [](const MathNode* row) {
    int cells = 1;
    for (const MathNode* n = row; n && cells < kMaxMatrixCells; n = n->next.get())
      if (n->kind == NodeKind::Spacing && n->spaces >= kColumnSeparatorUnits) ++cells;
    return cells;
  };
  if (!isRowList(chain)) return cellsOf(chain);
  int columns = 1;
  for (const NodePtr& row : chain->list) columns = std::max(columns, cellsOf(row.get()));
  // Nodes after the row list belong to its last row.
  if (chain->next && !chain->list.empty())
    columns = std::max(columns, cellsOf(chain->list.back().get()) + cellsOf(chain->next.get()) - 1);
  return columns;
}

}  // namespace

char frameModeAt(int depth) {
  MathState& state = mathState();
  if (depth <= 0) return 0;
  if (depth <= kMaxMathFrames) return state.frames[depth].mode;
  auto index = static_cast<std::size_t>(depth - kMaxMathFrames - 1);
  return index < state.overflowModes.size() ? state.overflowModes[index] : 0;
}

void pushFrame(char mode, char delimiter) {
  MathState& state = mathState();
  if (state.depth == 0) {
    clearBaseFrame();
    state.nestingReported = false;
  }
  std::int16_t columns = currentFrame().columns;
  bool alignPoints = currentFrame().alignPoints;
  // Lines of their own exist only at the outermost level.
  if (mode == kLinesFrame && state.depth > 0) mode = kStackFrame;
  if (mode == kLinesFrame) {
    state.lineUnnumbered = false;
    state.lineTagged = false;
    state.lineTag.clear();
  }
  ++state.depth;
  if (state.depth > kMaxMathFrames) {
    if (!state.nestingReported) reader::report("Excessive nesting of equations");
    state.nestingReported = true;
    state.overflowModes.push_back(mode);
    return;
  }
  MathFrame& frame = state.frames[state.depth];
  frame = MathFrame();
  frame.mode = mode;
  frame.delimiter = delimiter;
  // A row keeps the columns of the array it belongs to.
  if (mode == kRowFrame) frame.columns = columns;
  frame.alignPoints =
      mode == kLinesFrame || mode == kStackFrame || (mode == kRowFrame && alignPoints);
}

NodePtr closeFrame() {
  MathState& state = mathState();
  if (state.depth <= 0) return nullptr;
  if (state.depth > kMaxMathFrames) {
    --state.depth;
    state.overflowModes.pop_back();
    return nullptr;
  }
  MathFrame& closed = state.frames[state.depth];
  NodePtr chain = std::move(closed.first);
  char mode = closed.mode;
  int columns = closed.columns;
  closed = MathFrame();
  --state.depth;
  bool rowOfArray = mode == kRowFrame && currentFrame().mode == kArrayFrame;
  NodePtr tree;
  if (rowOfArray)
    tree = std::move(chain);  // its cells are laid out when the array becomes a matrix
  else if (mode == kArrayFrame)
    tree = makeMatrix(std::move(chain), columns > 0 ? columns : countColumns(chain.get()));
  else
    tree = layout(std::move(chain));
  if (mode == kDroppedFrame) tree.reset();
  if (state.depth == 0) {
    writeOutermost(mode, tree);
    // Whatever an outermost equation did not write is not kept either.
    tree.reset();
    clearBaseFrame();
    if (std::optional<std::string> label = output::takePendingEquationLabel())
      setPendingEquationLabel(*label);
    if (state.hasPendingLabel) {
      std::string label = std::move(state.pendingLabel);
      state.pendingLabel.clear();
      state.hasPendingLabel = false;
      writeEquationLabel(label, mode != kInlineFrame);
    }
  }
  return tree;
}

void closeFramesAbove(int depth) {
  while (mathState().depth > depth && mathState().depth > 0) closeDangling();
}

void rowSeparator() {
  MathState& state = mathState();
  if (state.depth <= 0) return;
  char mode = frameModeAt(state.depth);
  if (mode == kLinesFrame) {
    closeFrame();
    pushFrame(kLinesFrame);
    return;
  }
  if (mode == kRowFrame) {
    std::int16_t columns = currentFrame().columns;
    appendRow(closeFrame());
    pushFrame(kRowFrame);
    if (state.depth <= kMaxMathFrames) currentFrame().columns = columns;
    return;
  }
  // Rows belong to equations and arrays; a \\ inside an argument or a \left group is ignored.
  if (state.depth > kMaxMathFrames ||
      (mode != kInlineFrame && mode != kDisplayFrame && mode != kArrayFrame && mode != kStackFrame))
    return;
  NodePtr first = takeCurrentChain();
  if (mode != kArrayFrame) first = layout(std::move(first));
  MathNode* list = newNode(NodeKind::Nary, specialRow(SpecialRow::Atop), output::currentFont());
  if (first) setOperand(list, 0, std::move(first));
  pushFrame(kRowFrame);
}

void endFrame() {
  MathState& state = mathState();
  while (state.depth > 0) {
    char mode = frameModeAt(state.depth);
    if (mode != kRowFrame && mode != kLeftFrame) break;
    closeDangling();
  }
  if (state.depth <= 0) return;
  char mode = frameModeAt(state.depth);
  // An argument frame belongs to the operator reading it, which closes it itself.
  if (mode != kInlineFrame && mode != kDisplayFrame && mode != kArrayFrame &&
      mode != kDroppedFrame && mode != kLinesFrame && mode != kStackFrame)
    return;
  if (NodePtr tree = closeFrame()) appendToCurrentFrame(std::move(tree));
  // Text that reached the paragraph while a display was read (the operands and ">" of a \ref)
  // goes out now, before the environment sets its paragraph tag again and so asks for a new tag
  // line, which must not land inside that statement.
  if ((mode == kDisplayFrame || mode == kArrayFrame || mode == kLinesFrame) &&
      output::outputState().length > 0)
    output::endParagraph();
}

}  // namespace pendra::math
