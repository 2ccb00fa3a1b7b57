// The math subsystem's state for one conversion: the frame stack that the parser appends nodes
// to, the writer's annotation state and the pending equation label.
#pragma once

#include <cstdint>
#include <string>

#include "math/node.h"

namespace pendra::math {

// Frames above the base frame (arguments, \left groups, array rows, the equation itself).
constexpr int kMaxMathFrames = 16;

// A chain being built, with the column count of an array and the mode character that decides
// what happens when the frame closes.
struct MathFrame {
  NodePtr first;
  MathNode* last = nullptr;
  std::int16_t columns = 1;
  char mode = 0;
};

// What the last font annotation of the FrameMath writer selected: no family, normal size, plain.
constexpr MathFont kAnnotationStart{output::Family::kNone, output::kNormalSizeIndex, 0};

struct MathState {
  MathFrame frames[kMaxMathFrames + 1];  // frames[0] is the base frame
  int depth = 0;                         // counts pushes beyond the limit too
  MathFont annotation = kAnnotationStart;
  std::string pendingLabel;
  bool hasPendingLabel = false;
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
