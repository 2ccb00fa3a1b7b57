// The math subsystem's state for one conversion: the frame stack that the parser appends nodes
// to, the writer's annotation state and the pending equation label.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "math/node.h"

namespace pendra::math {

// Frames above the base frame (arguments, \left groups, array rows, the equation itself).
constexpr int kMaxMathFrames = 16;

// Mode characters of the frames: what a frame was pushed for decides what its close does.
constexpr char kInlineFrame = 'M';   // $...$: plain text or an inline FrameMath statement
constexpr char kDisplayFrame = 'Q';  // display math: a display FrameMath statement
constexpr char kArrayFrame = 'A';    // array: a matrix
// One line of align, gather and their kin: each line is a display equation of its own, written
// when its \\ or the environment's end closes it. Inside another equation it is a kStackFrame.
constexpr char kLinesFrame = 'W';
// split, aligned, gathered: lines stacked inside the equation around them, as eqnarray's are.
constexpr char kStackFrame = 'S';
constexpr char kRowFrame = '&';       // one row after a \\, handed back to the row list
constexpr char kArgumentFrame = 'P';  // an argument of a math operator or a script
constexpr char kDroppedFrame = 'X';   // a skipped argument: its nodes are freed
// \left: the delimiter letter is kept beside the mode, since letters such as A (\Updownarrow)
// would otherwise be taken for other modes.
constexpr char kLeftFrame = 'L';

// A chain being built, with the column count of an array and the mode character that decides
// what happens when the frame closes.
struct MathFrame {
  NodePtr first;
  MathNode* last = nullptr;
  std::int16_t columns = 1;  // 0: an array whose columns are counted from its rows when it closes
  std::int16_t ampersands = 0;  // the & met in a line of align and its kin
  // In a line of align and its kin, an & is an alignment point and the one after it separates
  // two columns of equations; elsewhere it separates the cells of an array.
  bool alignPoints = false;
  char mode = 0;
  char delimiter = 0;  // the \left letter of a kLeftFrame
};

// What the last font annotation of the FrameMath writer selected: no family, normal size, plain.
constexpr MathFont kAnnotationStart{output::Family::kNone, output::kNormalSizeIndex, 0};

struct MathState {
  MathFrame frames[kMaxMathFrames + 1];  // frames[0] is the base frame
  int depth = 0;                         // counts pushes beyond the limit too
  MathFont annotation = kAnnotationStart;
  std::string pendingLabel;
  bool hasPendingLabel = false;
  // Modes of the pushes past kMaxMathFrames, so that their closes are matched all the same.
  std::vector<char> overflowModes;
  bool nestingReported = false;  // "Excessive nesting of equations", once per equation
  int optionalNesting = -1;      // construct nesting at which a "]" ends a bracketed argument
  int mboxFrame = -1;            // depth of the frame that \mbox text is read into
  // The line of align and its kin being read: \notag or \nonumber, or \tag's text.
  bool lineUnnumbered = false;
  bool lineTagged = false;
  std::string lineTag;
};

MathState& mathState();

// The frame that new nodes go to: the top one, or the last one that could be pushed.
MathFrame& currentFrame();
// Appends `node` to the current frame's chain.
MathNode* appendToCurrentFrame(NodePtr node);
// Takes the whole chain out of the current frame, leaving it empty.
NodePtr takeCurrentChain();

void initMath();
void finishMath();

}  // namespace pendra::math
