// The math state, its reset, and the frame that new nodes are appended to.
#include "math/state.h"

#include <algorithm>

namespace pendra::math {

namespace {

MathState state;

}  // namespace

MathState& mathState() {
  return state;
}

MathFrame& currentFrame() {
  return state.frames[std::clamp(state.depth, 0, kMaxMathFrames)];
}

MathNode* appendToCurrentFrame(NodePtr node) {
  MathFrame& frame = currentFrame();
  MathNode* raw = node.get();
  if (frame.last)
    frame.last->next = std::move(node);
  else
    frame.first = std::move(node);
  frame.last = lastNode(raw);
  return raw;
}

NodePtr takeCurrentChain() {
  MathFrame& frame = currentFrame();
  frame.last = nullptr;
  return std::move(frame.first);
}

void initMath() {
  state = MathState{};
}

// Math left open at the end of input is dropped with its nodes.
void finishMath() {
  initMath();
}

}  // namespace pendra::math
